#include "ui/wnd.h"

#include <gtest/gtest.h>

#include "resource.h"
#include "support/gui_win32.h"
#include "ui/gdi.h"
#include "ui/program_strings.h"

namespace vt::ui {
namespace {

// A top-level window that records what reaches its hooks.
class RecordingWindow : public Wnd {
  public:
    int commands = 0;
    int lastCommandId = 0;
    int timers = 0;
    bool destroyed = false;

  protected:
    bool OnCommand(int id, int /*code*/, HWND /*control*/) override {
        ++commands;
        lastCommandId = id;
        return true;
    }
    void OnTimer(UINT_PTR id) override {
        ++timers;
        KillTimer(id);
    }
    void OnDestroyed() override { destroyed = true; }
};

// A subclassed push button that handles its own clicks when asked to.
class SelfHandlingButton : public Wnd {
  public:
    bool handleClicks = true;
    int clicks = 0;

  protected:
    bool Reflect(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result) override {
        if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED || !handleClicks)
            return false;
        ++clicks;
        result = 0;
        return true;
    }
};

TEST(Wnd, CreatedWindowIsBoundUntilDestroyed) {
    RecordingWindow window;
    ASSERT_TRUE(window.Create(
        {.title = "bound", .style = WS_POPUP, .x = 0, .y = 0, .width = 50, .height = 40}));
    const HWND hwnd = window.hwnd();
    EXPECT_EQ(Wnd::FromHandle(hwnd), &window);
    EXPECT_EQ(window.Text(), "bound");
    window.SetTimer(7, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return window.timers == 1; }));
    window.Destroy();
    EXPECT_TRUE(window.destroyed);
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_EQ(Wnd::FromHandle(hwnd), nullptr);
}

TEST(Wnd, ChildNotificationsReachTheChildObjectFirst) {
    RecordingWindow parent;
    ASSERT_TRUE(parent.Create({.style = WS_POPUP, .x = 0, .y = 0, .width = 200, .height = 100}));
    HWND buttonWindow =
        ::CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 40, 20,
                          parent.hwnd(), reinterpret_cast<HMENU>(77), nullptr, nullptr);
    SelfHandlingButton button;
    ASSERT_TRUE(button.Attach(buttonWindow));
    EXPECT_FALSE(SelfHandlingButton().Attach(buttonWindow)) << "a window is bound to one object";

    button.Send(BM_CLICK);
    EXPECT_EQ(button.clicks, 1);
    EXPECT_EQ(parent.commands, 0) << "handled by the button itself";

    button.handleClicks = false;
    button.Send(BM_CLICK);
    EXPECT_EQ(parent.commands, 1);
    EXPECT_EQ(parent.lastCommandId, 77);

    // Detaching gives the control back its own procedure.
    EXPECT_EQ(button.Detach(), buttonWindow);
    EXPECT_EQ(Wnd::FromHandle(buttonWindow), nullptr);
    ::SendMessageA(buttonWindow, BM_CLICK, 0, 0);
    EXPECT_EQ(parent.commands, 2);
}

TEST(Wnd, ObjectDestructionDestroysItsWindowAndDetachesAttachedOnes) {
    HWND created = nullptr;
    HWND control = ::CreateWindowExA(0, "STATIC", "s", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
    {
        RecordingWindow window;
        ASSERT_TRUE(window.Create({.style = WS_POPUP, .width = 10, .height = 10}));
        created = window.hwnd();
        Wnd attached;
        ASSERT_TRUE(attached.Attach(control));
    }
    EXPECT_FALSE(::IsWindow(created));
    EXPECT_TRUE(::IsWindow(control));
    EXPECT_EQ(Wnd::FromHandle(control), nullptr);
    ::DestroyWindow(control);
}

// A dialog from the program's resources that records its initialisation.
class ProbeDialog : public Dialog {
  public:
    ProbeDialog() : Dialog(IDD_MESSAGE_BOX) {}
    bool initialised = false;
    int customCommands = 0;

  protected:
    bool OnInitDialog() override {
        initialised = true;
        return true;
    }
    bool OnCommand(int id, int code, HWND control) override {
        if (id == IDC_BOX_CANCEL) {
            ++customCommands;
            EndDialog(42);
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }
};

TEST(Dialog, ModalDialogEndsWithTheResultOfItsButtons) {
    ProbeDialog okDialog;
    test::RunLater([&] { ::SendMessageA(okDialog.Item(IDOK), BM_CLICK, 0, 0); });
    EXPECT_EQ(okDialog.DoModal(nullptr), IDOK);
    EXPECT_TRUE(okDialog.initialised);
    EXPECT_EQ(okDialog.hwnd(), nullptr);

    ProbeDialog customDialog;
    test::RunLater([&] { ::SendMessageA(customDialog.Item(IDC_BOX_CANCEL), BM_CLICK, 0, 0); });
    EXPECT_EQ(customDialog.DoModal(nullptr), 42);
    EXPECT_EQ(customDialog.customCommands, 1);

    ProbeDialog closedDialog;
    test::RunLater([&] { closedDialog.Send(WM_CLOSE); });
    EXPECT_EQ(closedDialog.DoModal(nullptr), IDCANCEL) << "the close box cancels";
}

TEST(Dialog, ModelessDialogIsDestroyedByEndDialog) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    EXPECT_TRUE(dialog.initialised);
    EXPECT_FALSE(dialog.IsModal());
    dialog.EndDialog(IDOK);
    EXPECT_EQ(dialog.hwnd(), nullptr);
}

TEST(Resources, StringTableGivesTheSharedTextsInTheSystemCodePage) {
    for (int id : {107, 130, 169, 186, 193}) {
        const std::string utf8 = ProgramText(id);
        std::wstring wide(utf8.size() + 1, L'\0');
        wide.resize(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                          wide.data(), static_cast<int>(wide.size())));
        std::string local(wide.size() * 2 + 1, '\0');
        local.resize(::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                           local.data(), static_cast<int>(local.size()), nullptr,
                                           nullptr));
        EXPECT_EQ(LoadText(id), local) << "string " << id;
    }
    EXPECT_EQ(LoadText(130), "\xCC\xE1\xCA\xBE") << "提示 in GBK";
    EXPECT_EQ(LoadText(125), "");
}

TEST(Canvas, AlphaCanvasExposesItsPixelsAndCopiesToAWindow) {
    ClientDc screen(nullptr);
    Canvas canvas(screen.get(), 4, 3, true);
    ASSERT_TRUE(canvas);
    ASSERT_NE(canvas.bits(), nullptr);
    canvas.bits()[2 * 4 + 3] = 0xFF112233;  // row 2, column 3
    EXPECT_EQ(::GetPixel(canvas.dc(), 3, 2), RGB(0x11, 0x22, 0x33));
    Canvas moved = std::move(canvas);
    EXPECT_FALSE(canvas);
    EXPECT_TRUE(moved);
    EXPECT_FALSE(Canvas(screen.get(), 0, 5)) << "an empty size gives no canvas";
}

TEST(Screenshots, DialogIsCapturedToAPngFile) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    dialog.Show(true);
    ASSERT_TRUE(test::CaptureWindow(dialog.hwnd(), "window_layer_plain_dialog"));
    const std::string path = test::ScreensDir() + "\\window_layer_plain_dialog.png";
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char signature[8] = {};
    DWORD read = 0;
    ::ReadFile(file, signature, sizeof signature, &read, nullptr);
    ::CloseHandle(file);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    dialog.EndDialog(IDOK);
}

}  // namespace
}  // namespace vt::ui
