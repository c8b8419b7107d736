// Which face an image button shows: its state from the control's flags, and
// the slice of its image strip (or the effect on a single image) for that
// state. Portable.
#pragma once

namespace vt::ui {

// Face states of an image button; Flash is the extra frame of a strip whose
// last slice is a flash frame.
enum FaceState : int {
    kFaceNormal = 0,
    kFaceHover = 1,
    kFacePressed = 2,
    kFaceDisabled = 3,
    kFaceFlash = 5,
};

// Disabled before pressed (selected by the system, or checked) before hover.
FaceState ChooseFaceState(bool disabled, bool selected, bool checked, bool hovering);

// An image strip of stateCount slices side by side.
struct FaceStrip {
    int stateCount = 0;
    int sliceWidth = 0;   // image width / stateCount, rounded down
    int sliceHeight = 0;  // the image height
    bool flashFrame = false;

    // Slices that show states: stateCount, less the flash frame.
    int UsableSlices() const;
};

// The strip of an image. A stateCount below 1 counts as one slice, so a
// missing count never divides by zero.
FaceStrip MakeFaceStrip(int imageWidth, int imageHeight, int stateCount, bool flashFrame);

// What a single-slice image looks like in each state.
enum class FaceEffect {
    None,
    Lighter,  // red, green and blue x 1.05 + 0.05
    Shifted,  // moved by the button's press offset
    Grey,     // luminance 0.3 R + 0.59 G + 0.11 B
};

struct FaceChoice {
    int slice = 0;  // index of the slice to draw, stretched to the button
    FaceEffect effect = FaceEffect::None;
};

// With more than one usable slice: Flash takes the strip's last slice, any
// other state the slice of its number while that is a usable one, else slice
// 0. With one usable slice or none, slice 0 (the flash frame for Flash when
// the strip has one) with the state's effect.
FaceChoice ChooseFace(const FaceStrip& strip, int state);

}  // namespace vt::ui
