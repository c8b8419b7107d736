#include "shell/single_instance.h"

#include <gtest/gtest.h>

#include "addons/addon_window.h"
#include "support/gui_win32.h"
#include "ui/wnd.h"

namespace vt::shell {
namespace {

// A main window stand-in that counts UM_ACTIVATE_INSTANCE.
class ActivationSink : public ui::Wnd {
  public:
    int activations = 0;

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == addons::UM_ACTIVATE_INSTANCE && wParam == 0 && lParam == 0)
            ++activations;
        return Wnd::WndProc(message, wParam, lParam);
    }
};

std::string RecordName() {
    return "vaeltessel_map_test_" + std::to_string(::GetCurrentProcessId());
}

TEST(SingleInstance, ALaterCopyActivatesTheFirstAndEnds) {
    ActivationSink window;
    ui::Wnd::CreateArgs args;
    args.style = WS_POPUP;
    ASSERT_TRUE(window.Create(args));

    SingleInstance first;
    ASSERT_EQ(first.ProbeOrCreate(RecordName()), SingleInstance::Probe::kFirst);
    // Before the first copy's window is known a later copy still ends, and
    // nothing is posted anywhere.
    SingleInstance early;
    EXPECT_EQ(early.ProbeOrCreate(RecordName()), SingleInstance::Probe::kOtherRunning);
    EXPECT_FALSE(early.Publish(window.hwnd()));

    ASSERT_TRUE(first.Publish(window.hwnd()));
    SingleInstance later;
    EXPECT_EQ(later.ProbeOrCreate(RecordName()), SingleInstance::Probe::kOtherRunning);
    EXPECT_TRUE(test::PumpUntil([&] { return window.activations == 1; }, 3000));
    test::PumpPending();
    EXPECT_EQ(window.activations, 1);

    // The record goes with the copy that made it; the next start is first.
    first.Release();
    SingleInstance next;
    EXPECT_EQ(next.ProbeOrCreate(RecordName()), SingleInstance::Probe::kFirst);
}

TEST(SingleInstance, ARecordNamingNoWindowPostsNothing) {
    SingleInstance first;
    ASSERT_EQ(first.ProbeOrCreate(RecordName() + "_gone"), SingleInstance::Probe::kFirst);
    HWND gone = nullptr;
    {
        ActivationSink window;
        ui::Wnd::CreateArgs args;
        args.style = WS_POPUP;
        ASSERT_TRUE(window.Create(args));
        gone = window.hwnd();
        ASSERT_TRUE(first.Publish(gone));
    }
    ASSERT_FALSE(::IsWindow(gone));
    SingleInstance later;
    EXPECT_EQ(later.ProbeOrCreate(RecordName() + "_gone"), SingleInstance::Probe::kOtherRunning);
}

}  // namespace
}  // namespace vt::shell
