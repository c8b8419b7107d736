// The updater window's decisions: a text for every moment and every failure,
// cancelling only while nothing has been touched, and the progress figures.
#include "refitter/refitter_face.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/program_strings.h"

namespace vt::refitter {
namespace {

TEST(RefitterFaceTest, EveryFailureHasItsOwnText) {
    std::set<int> seen;
    for (int f = static_cast<int>(Failure::kBadCommandLine);
         f <= static_cast<int>(Failure::kCancelled); ++f) {
        const int id = FailureText(static_cast<Failure>(f));
        EXPECT_NE(std::string(ui::ProgramText(id)), "") << f;
        EXPECT_TRUE(seen.insert(id).second) << f;
    }
    EXPECT_EQ(FailureText(Failure::kNone), 0);
    for (int id = kTextCaption; id <= kTextManualDownload; ++id)
        EXPECT_NE(std::string(ui::ProgramText(id)), "") << id;
}

TEST(RefitterFaceTest, CancellingOnlyBeforeTheProgramIsAskedToExit) {
    for (Stage stage : {Stage::kDownloading, Stage::kVerifying, Stage::kClosingProgram,
                        Stage::kReplacing, Stage::kStartingProgram}) {
        const RefitterFace face = FaceFor({false, stage, Failure::kNone});
        EXPECT_EQ(face.buttonText, kTextCancel);
        EXPECT_EQ(face.buttonEnabled, stage == Stage::kDownloading || stage == Stage::kVerifying);
        EXPECT_TRUE(face.showProgress);
        EXPECT_FALSE(face.closesItself);
    }
    EXPECT_EQ(FaceFor({false, Stage::kReplacing, Failure::kNone}).statusText, kTextReplacing);
}

TEST(RefitterFaceTest, AFinishedRunSaysHowItEnded) {
    RefitterFace done = FaceFor({true, Stage::kDone, Failure::kNone});
    EXPECT_EQ(done.statusText, kTextDone);
    EXPECT_TRUE(done.closesItself);
    EXPECT_FALSE(done.offerManualLink);

    RefitterFace refused = FaceFor({true, Stage::kVerifying, Failure::kSignatureRefused});
    EXPECT_EQ(refused.statusText, FailureText(Failure::kSignatureRefused));
    EXPECT_EQ(refused.buttonText, kTextClose);
    EXPECT_TRUE(refused.buttonEnabled);
    EXPECT_FALSE(refused.closesItself);
    EXPECT_TRUE(refused.offerManualLink);
    EXPECT_FALSE(FaceFor({true, Stage::kDownloading, Failure::kCancelled}).offerManualLink);
}

TEST(RefitterFaceTest, ProgressFigures) {
    EXPECT_EQ(Percent(0, 0), 0);
    EXPECT_EQ(Percent(50, 0), 0);
    EXPECT_EQ(Percent(1, 3), 33);
    EXPECT_EQ(Percent(3, 3), 100);
    EXPECT_EQ(Percent(4, 3), 100);  // a server that sends more than it said
    EXPECT_EQ(Percent(-1, 3), 0);
    EXPECT_EQ(Percent(int64_t{1} << 40, int64_t{1} << 41), 50);  // no overflow on large sizes
    EXPECT_EQ(FilledWidth(400, 1, 2), 200);
    EXPECT_EQ(FilledWidth(400, 9, 8), 400);
    EXPECT_EQ(FilledWidth(0, 1, 2), 0);
    EXPECT_EQ(FilledWidth(400, 5, -1), 0);
}

TEST(RefitterFaceTest, TheLayoutFitsTheWindow) {
    const RefitterLayout& layout = Layout();
    for (const Box& box :
         {layout.title, layout.close, layout.heading, layout.date, layout.description,
          layout.status, layout.progress, layout.link, layout.button}) {
        EXPECT_GE(box.left, 0);
        EXPECT_LE(box.right, layout.width);
        EXPECT_LE(box.bottom, layout.height);
        EXPECT_GT(box.Width(), 0);
        EXPECT_GT(box.Height(), 0);
    }
    EXPECT_LE(layout.close.bottom, layout.captionHeight);
    EXPECT_GE(layout.heading.top, layout.captionHeight);
    EXPECT_TRUE(layout.button.Contains(layout.button.left, layout.button.top));
    EXPECT_FALSE(layout.button.Contains(layout.button.right, layout.button.top));
}

}  // namespace
}  // namespace vt::refitter
