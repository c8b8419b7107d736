#include "ui/button_face.h"

namespace vt::ui {

FaceState ChooseFaceState(bool disabled, bool selected, bool checked, bool hovering) {
    if (disabled)
        return kFaceDisabled;
    if (selected || checked)
        return kFacePressed;
    return hovering ? kFaceHover : kFaceNormal;
}

int FaceStrip::UsableSlices() const {
    return stateCount - (flashFrame ? 1 : 0);
}

FaceStrip MakeFaceStrip(int imageWidth, int imageHeight, int stateCount, bool flashFrame) {
    FaceStrip strip;
    strip.stateCount = stateCount < 1 ? 1 : stateCount;
    strip.sliceWidth = imageWidth > 0 ? imageWidth / strip.stateCount : 0;
    strip.sliceHeight = imageHeight > 0 ? imageHeight : 0;
    strip.flashFrame = flashFrame;
    return strip;
}

FaceChoice ChooseFace(const FaceStrip& strip, int state) {
    const int usable = strip.UsableSlices();
    if (usable > 1) {
        if (state == kFaceFlash)
            return {strip.stateCount - 1, FaceEffect::None};
        return {state >= 0 && state < usable ? state : 0, FaceEffect::None};
    }
    switch (state) {
        case kFaceHover:
            return {0, FaceEffect::Lighter};
        case kFacePressed:
            return {0, FaceEffect::Shifted};
        case kFaceDisabled:
            return {0, FaceEffect::Grey};
        case kFaceFlash:
            return {strip.flashFrame && strip.stateCount > 1 ? strip.stateCount - 1 : 0,
                    FaceEffect::None};
        default:
            return {0, FaceEffect::None};
    }
}

}  // namespace vt::ui
