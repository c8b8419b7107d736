#include "shell/web_popup_dlg.h"

#include <gtest/gtest.h>

#include <functional>

#include "page_server.h"
#include "resource.h"
#include "shell/url_opener.h"
#include "support/gui_win32.h"
#include "ui/gdi.h"

namespace vt::shell {
namespace {

// Draws window and its visible children (wine's WM_PRINT leaves them out)
// into dc at (x, y).
void PrintTree(HWND window, HDC dc, int x, int y) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ui::Canvas own(dc, rect.right - rect.left, rect.bottom - rect.top);
    if (!own || !::PrintWindow(window, own.dc(), 0))
        return;
    own.CopyTo(dc, x, y);
    // Children from the bottom of the Z order up.
    for (HWND child = ::GetWindow(::GetWindow(window, GW_CHILD), GW_HWNDLAST); child != nullptr;
         child = ::GetWindow(child, GW_HWNDPREV)) {
        if (!::IsWindowVisible(child))
            continue;
        RECT place{};
        ::GetWindowRect(child, &place);
        PrintTree(child, dc, x + place.left - rect.left, y + place.top - rect.top);
    }
}

// Saves what the window draws of itself as a screenshot. Without a window
// manager the X server keeps a maximised window at its old size, so the
// screen does not show what the window is.
bool PrintedCapture(HWND window, const std::string& name) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ui::ClientDc screen(nullptr);
    ui::Canvas canvas(screen.get(), rect.right - rect.left, rect.bottom - rect.top);
    if (!canvas)
        return false;
    PrintTree(window, canvas.dc(), 0, 0);
    return test::SaveBitmapPng(canvas.bitmap(), test::ScreensDir() + "\\" + name + ".png");
}

// Runs a popup modally and looks at it from inside its modal loop.
class PopupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousOpener_ = SetUrlOpener([](const std::string&) {});
    }
    void TearDown() override {
        SetUrlOpener(previousOpener_);
        EXPECT_EQ(CWebPopupDlg::LastPopup(), nullptr);
        EXPECT_EQ(CCustomControlSite::LiveCount(), 0);
    }

    // Runs the popup; inspect runs once it is up, then the popup is closed
    // through its own close button unless inspect closed it.
    INT_PTR Run(const PopupOptions& options, std::function<void(CWebPopupDlg&)> inspect) {
        CWebPopupDlg popup(options);
        test::RunLater([&] {
            // The modal loop shows the dialog once it falls idle, which this
            // work (run from inside the loop) would wait for in vain.
            if (popup.IsWindow() && !popup.IsVisible())
                popup.Show(true);
            test::PumpPending();
            if (popup.IsWindow())
                inspect(popup);
            if (popup.IsWindow() && !closing_)
                ::PostMessageA(popup.hwnd(), WM_COMMAND, IDC_CLOSE, 0);
        });
        return popup.DoModal(nullptr);
    }

    static RECT Place(HWND window) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    static SIZE WindowSize(HWND window) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        return {rect.right - rect.left, rect.bottom - rect.top};
    }
    static bool Shown(HWND window) {
        return (::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
    }
    // Checks the caption buttons and the page host against a client width.
    static void ExpectLayout(CWebPopupDlg& popup) {
        const RECT client = popup.ClientRect();
        const RECT close = Place(popup.Item(IDC_CLOSE));
        const RECT maximise = Place(popup.Item(IDC_POPUP_MAXIMISE));
        const RECT restore = Place(popup.Item(IDC_POPUP_RESTORE));
        const CaptionButtonPlaces places = PlaceCaptionButtons(
            client.right, close.right - close.left, maximise.right - maximise.left);
        EXPECT_EQ(close.left, places.close.x);
        EXPECT_EQ(close.top, 10);
        EXPECT_EQ(maximise.left, places.maximise.x);
        EXPECT_EQ(restore.left, places.restore.x);
        ASSERT_NE(popup.PageHost(), nullptr);
        const RECT page = popup.PageHost()->RectInParent();
        EXPECT_EQ(page.left, 1);
        EXPECT_EQ(page.top, 34);
        EXPECT_EQ(page.right - page.left, client.right - 4);
        EXPECT_EQ(page.bottom - page.top, client.bottom - 36);
        const RECT browser = popup.PageHost()->PageBrowser().RectInParent();
        EXPECT_EQ(browser.right, client.right - 4);
        EXPECT_EQ(browser.bottom, client.bottom - 36);
    }

    UrlOpener previousOpener_;
    bool closing_ = false;  // inspect closed the popup itself
};

TEST_F(PopupTest, DefaultPopupAndItsCaptionButtons) {
    const INT_PTR result =
        Run(DetailPopupOptions("http://127.0.0.1:9/Pages/Plug/PlugDetail_3.shtml#1"),
            [&](CWebPopupDlg& popup) {
                EXPECT_EQ(CWebPopupDlg::LastPopup(), popup.hwnd());
                const SIZE size = WindowSize(popup.hwnd());
                EXPECT_EQ(size.cx, 589);
                EXPECT_EQ(size.cy, 381);
                EXPECT_EQ(popup.Text(), ui::LoadText(107));
                EXPECT_EQ(popup.PageHost()->url(),
                          "http://127.0.0.1:9/Pages/Plug/PlugDetail_3.shtml#1");
                EXPECT_TRUE(Shown(popup.Item(IDC_POPUP_MAXIMISE)));
                EXPECT_FALSE(Shown(popup.Item(IDC_POPUP_RESTORE)));
                EXPECT_FALSE(Shown(popup.Item(IDC_POPUP_LOADING)));
                EXPECT_TRUE(Shown(popup.PageHost()->hwnd()));
                // The caption buttons keep their images' size: a quarter of the strip.
                const RECT close = Place(popup.Item(IDC_CLOSE));
                EXPECT_EQ(close.right - close.left, 22);
                EXPECT_EQ(close.bottom - close.top, 20);
                ExpectLayout(popup);
                test::CaptureWindow(popup.hwnd(), "web_popup_default");

                // "M" maximises and swaps itself for "R".
                const RECT maximise = Place(popup.Item(IDC_POPUP_MAXIMISE));
                test::ClickAt(popup.hwnd(), maximise.left + 5, maximise.top + 5);
                EXPECT_TRUE(test::PumpUntil([&] { return ::IsZoomed(popup.hwnd()) != FALSE; }));
                test::PumpPending();
                EXPECT_FALSE(Shown(popup.Item(IDC_POPUP_MAXIMISE)));
                EXPECT_TRUE(Shown(popup.Item(IDC_POPUP_RESTORE)));
                EXPECT_GT(popup.ClientRect().right, 589);
                ExpectLayout(popup);
                PrintedCapture(popup.hwnd(), "web_popup_maximised");

                // "R" restores.
                const RECT restore = Place(popup.Item(IDC_POPUP_RESTORE));
                test::ClickAt(popup.hwnd(), restore.left + 5, restore.top + 5);
                EXPECT_TRUE(test::PumpUntil([&] { return ::IsZoomed(popup.hwnd()) == FALSE; }));
                test::PumpPending();
                EXPECT_EQ(WindowSize(popup.hwnd()).cx, 589);
                EXPECT_TRUE(Shown(popup.Item(IDC_POPUP_MAXIMISE)));
                EXPECT_FALSE(Shown(popup.Item(IDC_POPUP_RESTORE)));
                ExpectLayout(popup);

                // "X" closes it.
                const RECT x = Place(popup.Item(IDC_CLOSE));
                test::ClickAt(popup.hwnd(), x.left + 5, x.top + 5);
            });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(PopupTest, SimulatorPopupWaitsForItsPageBehindTheAnimation) {
    // Texts are in the system code page: "技能模拟器" in GBK.
    const std::string title = "\xBC\xBC\xC4\xDC\xC4\xA3\xC4\xE2\xC6\xF7";
    SimulatorRequest request{title, "http://127.0.0.1:9/MacroInfo/Simulator.aspx", "0", "300",
                             "init();"};
    Run(SimulatorPopupOptions(request), [&](CWebPopupDlg& popup) {
        // Either size 0 means the default size.
        const SIZE size = WindowSize(popup.hwnd());
        EXPECT_EQ(size.cx, 589);
        EXPECT_EQ(size.cy, 381);
        EXPECT_EQ(popup.Text(), title);
        EXPECT_FALSE(Shown(popup.Item(IDC_POPUP_MAXIMISE)));
        EXPECT_FALSE(Shown(popup.Item(IDC_POPUP_RESTORE)));
        HWND loading = popup.Item(IDC_POPUP_LOADING);
        EXPECT_TRUE(Shown(loading));
        EXPECT_FALSE(Shown(popup.PageHost()->hwnd()));
        const RECT picture = Place(loading);
        const PopupPoint centre =
            LoadingImagePlace(585, 345, picture.right - picture.left, picture.bottom - picture.top);
        EXPECT_EQ(picture.left, centre.x);
        EXPECT_EQ(picture.top, centre.y);
        test::CaptureWindow(popup.hwnd(), "web_popup_loading");

        popup.Send(CWebPopupDlg::kPageLoaded, 1);
        EXPECT_FALSE(Shown(loading));
        EXPECT_TRUE(Shown(popup.PageHost()->hwnd()));
        popup.Send(CWebPopupDlg::kPageLoaded, 0);
        EXPECT_TRUE(Shown(loading));
        EXPECT_FALSE(Shown(popup.PageHost()->hwnd()));
    });
}

TEST_F(PopupTest, APageSizeMakesTheWindowFourByThirtySixLarger) {
    PopupOptions options = DetailPopupOptions("about:blank");
    options.width = 600;
    options.height = 400;
    options.title = "Title";
    Run(options, [&](CWebPopupDlg& popup) {
        const SIZE size = WindowSize(popup.hwnd());
        EXPECT_EQ(size.cx, 604);
        EXPECT_EQ(size.cy, 436);
        EXPECT_EQ(popup.Text(), "Title");
        ExpectLayout(popup);
    });
}

TEST_F(PopupTest, CloseLastWebPopupEndsTheOpenPopup) {
    const INT_PTR result = Run(DetailPopupOptions("about:blank"), [&](CWebPopupDlg& popup) {
        CloseLastWebPopup();
        // The request waits in the queue; the modal loop ends the popup
        // with it once this work returns.
        MSG message;
        closing_ = ::PeekMessageA(&message, popup.hwnd(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
        EXPECT_TRUE(closing_);
    });
    EXPECT_EQ(result, IDCANCEL);
    // With no popup left, the request does nothing.
    EXPECT_EQ(CWebPopupDlg::LastPopup(), nullptr);
    CloseLastWebPopup();
}

TEST_F(PopupTest, CatalogueServerSimulatorPageIsRequested) {
    if (test::PageServer().empty())
        GTEST_SKIP() << "no page server (run through with_page_server.sh)";
    SimulatorRequest request{"技能模拟器", test::PageServer() + "/MacroInfo/Simulator.aspx", "600",
                             "400", ""};
    Run(SimulatorPopupOptions(request), [&](CWebPopupDlg&) {
        EXPECT_TRUE(test::PumpUntil([] {
            return test::ServerRequests().find("GET /MacroInfo/Simulator.aspx 200") !=
                   std::string::npos;
        }));
    });
}

}  // namespace
}  // namespace vt::shell
