#include "shell/web_page_dlg.h"

#include <exdispid.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page_server.h"
#include "resource.h"
#include "shell/com_values.h"
#include "shell/url_opener.h"
#include "support/gui_win32.h"

namespace vt::shell {
namespace {

using ui::ComPtr;

constexpr UINT kNotify = WM_USER + 200;

// The events' argument blocks as the browser builds them: the arguments last
// first, URLs as VARIANT references holding a BSTR, Cancel as a reference to
// a VARIANT_BOOL the handler may set.
class BrowserEventCall {
  public:
    ~BrowserEventCall() {
        for (VARIANT& value : values_)
            ::VariantClear(&value);
    }

    // Invokes BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData,
    // Headers, Cancel); the handler's cancel flag.
    VARIANT_BOOL BeforeNavigate2(IDispatch* sink, IDispatch* browser, const std::string& url) {
        values_.resize(5);
        SetText(values_[0], url);
        V_VT(&values_[1]) = VT_I4;
        SetText(values_[2], "");
        SetText(values_[4], "");
        VARIANT_BOOL cancel = VARIANT_FALSE;
        std::vector<VARIANT> block(7);
        SetDispatch(block[6], browser);
        SetReference(block[5], values_[0]);
        SetReference(block[4], values_[1]);
        SetReference(block[3], values_[2]);
        SetReference(block[2], values_[3]);
        SetReference(block[1], values_[4]);
        V_VT(&block[0]) = VT_BOOL | VT_BYREF;
        V_BOOLREF(&block[0]) = &cancel;
        Invoke(sink, DISPID_BEFORENAVIGATE2, block);
        return cancel;
    }

    // Invokes NewWindow2(ppDisp, Cancel); the new window the handler set.
    ComPtr<IDispatch> NewWindow2(IDispatch* sink, VARIANT_BOOL& cancel) {
        IDispatch* window = nullptr;
        cancel = VARIANT_FALSE;
        std::vector<VARIANT> block(2);
        V_VT(&block[1]) = VT_DISPATCH | VT_BYREF;
        V_DISPATCHREF(&block[1]) = &window;
        V_VT(&block[0]) = VT_BOOL | VT_BYREF;
        V_BOOLREF(&block[0]) = &cancel;
        Invoke(sink, DISPID_NEWWINDOW2, block);
        return ComPtr<IDispatch>::Adopt(window);
    }

    // Invokes NavigateComplete2(pDisp, URL).
    void NavigateComplete2(IDispatch* sink, IDispatch* browser, const std::string& url) {
        values_.resize(1);
        SetText(values_[0], url);
        std::vector<VARIANT> block(2);
        SetDispatch(block[1], browser);
        SetReference(block[0], values_[0]);
        Invoke(sink, DISPID_NAVIGATECOMPLETE2, block);
    }

  private:
    static void SetText(VARIANT& value, const std::string& text) {
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = ::SysAllocString(LocalToWide(text).c_str());
    }
    static void SetReference(VARIANT& value, VARIANT& target) {
        V_VT(&value) = VT_VARIANT | VT_BYREF;
        V_VARIANTREF(&value) = &target;
    }
    static void SetDispatch(VARIANT& value, IDispatch* object) {
        V_VT(&value) = VT_DISPATCH;
        V_DISPATCH(&value) = object;  // borrowed, as the browser lends it
    }
    static void Invoke(IDispatch* sink, DISPID id, std::vector<VARIANT>& block) {
        DISPPARAMS parameters{block.data(), nullptr, static_cast<UINT>(block.size()), 0};
        ASSERT_EQ(sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                               nullptr, nullptr, nullptr),
                  S_OK);
    }

    std::vector<VARIANT> values_ = std::vector<VARIANT>(5);
};

// A window that receives the keys a page host lets through.
class KeyRecorder : public ui::Wnd {
  public:
    std::vector<WPARAM> keys;

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYDOWN)
            keys.push_back(wParam);
        return Wnd::WndProc(message, wParam, lParam);
    }
};

// The window's own visibility, whatever its (hidden) parents say: the tests
// keep their windows off screen, which spares wine mapping each one.
bool Shown(const ui::Wnd& window) {
    return (::GetWindowLongA(window.hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

class PageHostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousOpener_ = SetUrlOpener([this](const std::string& url) { opened_.push_back(url); });
        ASSERT_TRUE(parent_.Create(
            {.title = "tabs", .style = WS_POPUP, .x = 0, .y = 0, .width = 700, .height = 520}));
        ASSERT_TRUE(page_.Create(parent_.hwnd(), RECT{254, 59, 876, 499}, true));
        ASSERT_EQ(page_.PageBrowser().status(), WebBrowserHost::Status::kReady);
        ASSERT_EQ(page_.NewWindowBrowser().status(), WebBrowserHost::Status::kReady);
    }
    void TearDown() override {
        page_.Destroy();
        parent_.Destroy();
        test::PumpPending();
        SetUrlOpener(previousOpener_);
        EXPECT_EQ(CCustomControlSite::LiveCount(), 0);
        EXPECT_EQ(LiveBrowserEventSinks(), 0);
    }

    IDispatch* PageSink() { return page_.PageBrowser().EventSink(); }
    IDispatch* CatcherSink() { return page_.NewWindowBrowser().EventSink(); }
    IDispatch* PageControl() { return page_.PageBrowser().Browser(); }
    IDispatch* CatcherControl() { return page_.NewWindowBrowser().Browser(); }

    // Takes a posted notify message from the parent's queue.
    bool TakeNotify(MSG& message) {
        return ::PeekMessageA(&message, parent_.hwnd(), kNotify, kNotify, PM_REMOVE) != FALSE;
    }
    // Whether the page host has a timer with this id (stopping it).
    bool TakeTimer(UINT_PTR id) { return ::KillTimer(page_.hwnd(), id) != FALSE; }

    ui::Wnd parent_;
    CWebPageDlg page_;
    std::vector<std::string> opened_;
    UrlOpener previousOpener_;
};

TEST_F(PageHostTest, ThePageBrowserFillsTheHostAndTheCatcherStaysHidden) {
    const RECT place = page_.RectInParent();
    EXPECT_EQ(place.left, 254);
    EXPECT_EQ(place.top, 59);
    EXPECT_EQ(place.right - place.left, 622);
    EXPECT_EQ(place.bottom - place.top, 440);
    EXPECT_EQ(page_.PageBrowser().hwnd(), page_.Item(IDC_PAGE_BROWSER));
    EXPECT_EQ(page_.NewWindowBrowser().hwnd(), page_.Item(IDC_NEW_WINDOW_BROWSER));
    EXPECT_TRUE(Shown(page_.PageBrowser()));
    EXPECT_FALSE(Shown(page_.NewWindowBrowser()));
    RECT browser = page_.PageBrowser().RectInParent();
    EXPECT_EQ(browser.left, 0);
    EXPECT_EQ(browser.top, 0);
    EXPECT_EQ(browser.right, 622);
    EXPECT_EQ(browser.bottom, 440);

    page_.Resize(300, 200);
    browser = page_.PageBrowser().RectInParent();
    EXPECT_EQ(browser.right, 300);
    EXPECT_EQ(browser.bottom, 200);
}

TEST_F(PageHostTest, LoadUrlNavigatesFromTheNextLoopTurn) {
    page_.LoadUrl("http://127.0.0.1:9/Index.aspx");
    EXPECT_EQ(page_.url(), "http://127.0.0.1:9/Index.aspx");
    // The navigation waits for timer 3039; nothing was started on the call.
    EXPECT_TRUE(TakeTimer(CWebPageDlg::kLoadTimer));
    EXPECT_FALSE(TakeTimer(CWebPageDlg::kLoadTimer));
}

TEST_F(PageHostTest, NewWindowsAreHandedToTheHiddenBrowser) {
    VARIANT_BOOL cancel = VARIANT_TRUE;
    ComPtr<IDispatch> window = BrowserEventCall().NewWindow2(PageSink(), cancel);
    ASSERT_TRUE(window);
    EXPECT_EQ(cancel, VARIANT_FALSE);
    // The new window is the hidden browser's application object.
    ComPtr<IDispatch> application;
    ASSERT_EQ(page_.NewWindowBrowser().Browser()->get_Application(application.Put()), S_OK);
    EXPECT_EQ(window.As<IUnknown>(IID_IUnknown).get(),
              application.As<IUnknown>(IID_IUnknown).get());
    VARIANT_BOOL registered = VARIANT_FALSE;
    ASSERT_EQ(page_.NewWindowBrowser().Browser()->get_RegisterAsBrowser(&registered), S_OK);
    EXPECT_EQ(registered, VARIANT_TRUE);

    // The hidden browser's own new windows are not taken.
    ComPtr<IDispatch> none = BrowserEventCall().NewWindow2(CatcherSink(), cancel);
    EXPECT_FALSE(none);
}

TEST_F(PageHostTest, TheHiddenBrowserSendsEveryUrlToTheUserBrowserAndStays) {
    const std::string url = "http://127.0.0.1:9/forum.php?mod=forumdisplay&fid=307";
    EXPECT_EQ(BrowserEventCall().BeforeNavigate2(CatcherSink(), CatcherControl(), url),
              VARIANT_TRUE);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], url);
}

TEST_F(PageHostTest, ThePageBrowserCancelsOnlyVoidScriptLinks) {
    EXPECT_EQ(BrowserEventCall().BeforeNavigate2(PageSink(), PageControl(), "javascript:;"),
              VARIANT_TRUE);
    for (const char* url : {"http://127.0.0.1:9/Pages/Pluglist.shtml", "javascript:void(0)",
                            "javascript:; ", "JAVASCRIPT:;", "about:blank"})
        EXPECT_EQ(BrowserEventCall().BeforeNavigate2(PageSink(), PageControl(), url), VARIANT_FALSE)
            << url;
    EXPECT_TRUE(opened_.empty());
}

TEST_F(PageHostTest, ACompletedNavigationShowsThePageNotifiesAndStartsTheScript) {
    page_.SetNotifyMessage(kNotify);
    page_.SetScript("refresh();");
    page_.PageBrowser().Show(false);
    BrowserEventCall().NavigateComplete2(PageSink(), PageControl(), "http://127.0.0.1:9/a");
    EXPECT_TRUE(Shown(page_.PageBrowser()));
    MSG message;
    ASSERT_TRUE(TakeNotify(message));
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_EQ(message.lParam, 0);
    EXPECT_TRUE(TakeTimer(CWebPageDlg::kScriptTimer));
}

TEST_F(PageHostTest, WithoutNotifyOrScriptACompletedNavigationOnlyShowsThePage) {
    page_.PageBrowser().Show(false);
    BrowserEventCall().NavigateComplete2(PageSink(), PageControl(), "http://127.0.0.1:9/a");
    EXPECT_TRUE(Shown(page_.PageBrowser()));
    MSG message;
    EXPECT_FALSE(TakeNotify(message));
    EXPECT_FALSE(TakeTimer(CWebPageDlg::kScriptTimer));

    // The hidden browser's navigations complete unnoticed.
    page_.SetNotifyMessage(kNotify);
    page_.SetScript("x();");
    BrowserEventCall().NavigateComplete2(CatcherSink(), CatcherControl(), "http://127.0.0.1:9/b");
    EXPECT_FALSE(TakeNotify(message));
    EXPECT_FALSE(TakeTimer(CWebPageDlg::kScriptTimer));
}

TEST_F(PageHostTest, EscapeNeverReachesThePage) {
    KeyRecorder inner;
    ASSERT_TRUE(inner.Create({.parent = page_.hwnd(),
                              .style = WS_CHILD | WS_VISIBLE,
                              .x = 0,
                              .y = 0,
                              .width = 10,
                              .height = 10,
                              .id = 77}));
    inner.Post(WM_KEYDOWN, VK_ESCAPE, 0);
    inner.Post(WM_KEYDOWN, VK_F5, 0);
    inner.Post(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return !inner.keys.empty(); }));
    test::PumpPending();
    EXPECT_EQ(inner.keys, std::vector<WPARAM>{VK_F5});
}

TEST_F(PageHostTest, CatalogueServerPageLoadsAndNewWindowsStayAway) {
    if (test::PageServer().empty())
        GTEST_SKIP() << "no page server (run through with_page_server.sh)";
    page_.LoadUrl(test::PageServer() + "/Statistics/VAELToolStatistics.html");
    EXPECT_TRUE(test::PumpUntil([] {
        return test::ServerRequests().find("GET /Statistics/VAELToolStatistics.html 200") !=
               std::string::npos;
    }));
    // A new window's first navigation reaches the hidden browser, which sends
    // it to the user's browser and cancels it: the server never sees it.
    const std::string forum = test::PageServer() + "/forum.php";
    ASSERT_TRUE(page_.NewWindowBrowser().Navigate(forum));
    EXPECT_TRUE(test::PumpUntil([&] { return !opened_.empty(); }));
    EXPECT_EQ(opened_, std::vector<std::string>{forum});
    test::PumpPending();
    EXPECT_EQ(test::ServerRequests().find("/forum.php"), std::string::npos);
}

}  // namespace
}  // namespace vt::shell
