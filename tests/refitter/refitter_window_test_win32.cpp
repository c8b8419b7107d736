// The updater's window under wine: a run that fails shows its reason and
// waits for the user; the button cancels only while nothing has been
// touched; pictures of the window's moments go to build/windows/screens.
#include <gtest/gtest.h>

#include "platform/system.h"
#include "refitter/refitter_window_win32.h"
#include "support/gui_win32.h"
#include "support/temp_dir.h"
#include "ui/gdiplus_session.h"

namespace vt::refitter {
namespace {

class StillRunningProgram : public ProgramControl {
  public:
    int endRequests = 0;
    EndResult EndProgram(uint32_t, unsigned, int) override {
        ++endRequests;
        return EndResult::kTimedOut;
    }
    bool ProgramRunning() override { return true; }
    WatchResult StartAndWatch(const std::string&, const std::string&, int) override {
        return WatchResult::kNotStarted;
    }
    bool Start(const std::string&, const std::string&) override { return false; }
};

UpdateOffer SampleOffer() {
    UpdateOffer offer;
    offer.hostWindow = 1;
    offer.exitMessage = 3038;
    offer.version = 9126;
    offer.versionText = "9126";
    offer.downloadUrl = "http://127.0.0.1:1/upgrade/VaelTessel_9126.zip";
    offer.manualUrl = "http://127.0.0.1:1/manual";
    offer.date = "2026-12-08";
    // GBK: "修正了插件列表的刷新问题，新增了自动更新的签名校验。"
    offer.description =
        "\xD0\xDE\xD5\xFD\xC1\xCB\xB2\xE5\xBC\xFE\xC1\xD0\xB1\xED\xB5\xC4\xCB\xA2\xD0\xC2\xCE\xCA"
        "\xCC\xE2\xA3\xAC\xD0\xC2\xD4\xF6\xC1\xCB\xD7\xD4\xB6\xAF\xB8\xFC\xD0\xC2\xB5\xC4\xC7\xA9"
        "\xC3\xFB\xD0\xA3\xD1\xE9\xA1\xA3";
    return offer;
}

class RefitterWindowTest : public ::testing::Test {
  protected:
    std::string ImageDir() const {
        return platform::GetEnv("TESSEL_BINARY_DIR") + "\\bin\\ImageRes\\";
    }
    ui::GdiplusSession gdiplus_;
    test::TempDir dir_;
};

TEST_F(RefitterWindowTest, AFailedRunShowsItsReasonAndWaitsForTheUser) {
    CRefitterWindow window(ImageDir());
    RefitterJob job;
    job.programDir = dir_.path();
    job.start.line = {"map", "VaelTessel.exe"};
    job.start.offer = SampleOffer();
    job.start.offer.moduleDir = dir_.path();
    auto control = std::make_unique<StillRunningProgram>();
    StillRunningProgram* program = control.get();
    ASSERT_TRUE(window.Start(job, std::move(control)));
    ASSERT_TRUE(test::PumpUntil([&] { return window.State().finished; }, 60000));
    EXPECT_EQ(window.Result().failure, Failure::kDownloadFailed);
    EXPECT_EQ(program->endRequests, 0);
    EXPECT_TRUE(window.IsWindow());  // a failure stays on screen
    test::PumpPending();
    EXPECT_TRUE(test::CaptureWindow(window.hwnd(), "refitter_failed"));

    const Box& button = Layout().button;
    test::ClickAt(window.hwnd(), (button.left + button.right) / 2,
                  (button.top + button.bottom) / 2);
    EXPECT_TRUE(test::PumpUntil([&] { return !window.IsWindow(); }));
}

TEST_F(RefitterWindowTest, TheButtonDoesNothingOnceTheProgramIsBeingReplaced) {
    CRefitterWindow window(ImageDir());
    ASSERT_TRUE(
        window.Preview(SampleOffer(), Stage::kDownloading, 4 * 1024 * 1024, 10 * 1024 * 1024));
    test::PumpPending();
    EXPECT_TRUE(test::CaptureWindow(window.hwnd(), "refitter_downloading"));

    ASSERT_TRUE(window.Preview(SampleOffer(), Stage::kReplacing, 10, 10));
    test::PumpPending();
    EXPECT_TRUE(test::CaptureWindow(window.hwnd(), "refitter_replacing"));
    const Box& button = Layout().button;
    test::ClickAt(window.hwnd(), (button.left + button.right) / 2,
                  (button.top + button.bottom) / 2);
    window.Send(WM_CLOSE);
    test::PumpPending();
    EXPECT_TRUE(window.IsWindow());
}

TEST_F(RefitterWindowTest, AStartWithoutARecordSaysSo) {
    CRefitterWindow window(ImageDir());
    ASSERT_TRUE(window.ShowFailure(Failure::kBadCommandLine));
    test::PumpPending();
    EXPECT_TRUE(window.State().finished);
    EXPECT_TRUE(test::CaptureWindow(window.hwnd(), "refitter_no_record"));
    window.Send(WM_CLOSE);
    EXPECT_TRUE(test::PumpUntil([&] { return !window.IsWindow(); }));
}

}  // namespace
}  // namespace vt::refitter
