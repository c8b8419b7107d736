#include "ui/button_face.h"

#include <gtest/gtest.h>

namespace vt::ui {
namespace {

TEST(FaceState, DisabledBeforePressedBeforeHover) {
    EXPECT_EQ(ChooseFaceState(false, false, false, false), kFaceNormal);
    EXPECT_EQ(ChooseFaceState(false, false, false, true), kFaceHover);
    EXPECT_EQ(ChooseFaceState(false, true, false, true), kFacePressed);
    EXPECT_EQ(ChooseFaceState(false, false, true, false), kFacePressed) << "a checked box";
    EXPECT_EQ(ChooseFaceState(false, false, true, true), kFacePressed);
    EXPECT_EQ(ChooseFaceState(true, true, true, true), kFaceDisabled);
}

TEST(FaceStrip, SlicesAreWholeFractionsOfTheImage) {
    const FaceStrip strip = MakeFaceStrip(401, 30, 4, false);
    EXPECT_EQ(strip.sliceWidth, 100) << "a width that is no multiple is rounded down";
    EXPECT_EQ(strip.sliceHeight, 30);
    EXPECT_EQ(strip.UsableSlices(), 4);

    const FaceStrip none = MakeFaceStrip(80, 20, 0, false);
    EXPECT_EQ(none.stateCount, 1) << "no count divides by zero";
    EXPECT_EQ(none.sliceWidth, 80);
    EXPECT_EQ(MakeFaceStrip(80, 20, -2, false).sliceWidth, 80);
    EXPECT_EQ(MakeFaceStrip(80, 20, 4, true).UsableSlices(), 3);
}

TEST(FaceChoice, FourSliceStripShowsOneSlicePerState) {
    const FaceStrip strip = MakeFaceStrip(400, 30, 4, false);
    for (int state = 0; state < 4; ++state) {
        EXPECT_EQ(ChooseFace(strip, state).slice, state);
        EXPECT_EQ(ChooseFace(strip, state).effect, FaceEffect::None);
    }
    EXPECT_EQ(ChooseFace(strip, ChooseFaceState(false, false, true, false)).slice, 2)
        << "a checked check box shows the pressed slice while not hovered";
    EXPECT_EQ(ChooseFace(strip, 4).slice, 0);
    EXPECT_EQ(ChooseFace(strip, -1).slice, 0);
}

TEST(FaceChoice, ThreeSliceStripFallsBackToTheNormalSliceWhenDisabled) {
    const FaceStrip strip = MakeFaceStrip(300, 30, 3, false);
    EXPECT_EQ(ChooseFace(strip, kFacePressed).slice, 2);
    EXPECT_EQ(ChooseFace(strip, kFaceDisabled).slice, 0);
}

TEST(FaceChoice, FlashFrameIsTheLastSliceAndNoState) {
    const FaceStrip strip = MakeFaceStrip(500, 30, 5, true);
    for (int state = 0; state < 4; ++state)
        EXPECT_EQ(ChooseFace(strip, state).slice, state);
    EXPECT_EQ(ChooseFace(strip, kFaceFlash).slice, 4);
    EXPECT_EQ(ChooseFace(strip, 4).slice, 0) << "state 4 is no face of its own";
}

TEST(FaceChoice, SingleImageIsTintedShiftedOrGreyed) {
    const FaceStrip strip = MakeFaceStrip(100, 30, 1, false);
    EXPECT_EQ(ChooseFace(strip, kFaceNormal).effect, FaceEffect::None);
    EXPECT_EQ(ChooseFace(strip, kFaceHover).effect, FaceEffect::Lighter);
    EXPECT_EQ(ChooseFace(strip, kFacePressed).effect, FaceEffect::Shifted);
    EXPECT_EQ(ChooseFace(strip, kFaceDisabled).effect, FaceEffect::Grey);
    for (int state : {0, 1, 2, 3, 5})
        EXPECT_EQ(ChooseFace(strip, state).slice, 0);

    // One face and a flash frame: the flash state shows the frame.
    const FaceStrip flashing = MakeFaceStrip(200, 30, 2, true);
    EXPECT_EQ(ChooseFace(flashing, kFaceFlash).slice, 1);
    EXPECT_EQ(ChooseFace(flashing, kFaceHover).slice, 0);
    EXPECT_EQ(ChooseFace(flashing, kFaceHover).effect, FaceEffect::Lighter);
}

}  // namespace
}  // namespace vt::ui
