#include "shell/web_browser_host.h"

#include <gtest/gtest.h>

#include "page_server.h"
#include "support/gui_win32.h"

namespace vt::shell {
namespace {

// Records the events a host hands on.
class RecordingEvents : public BrowserEvents {
  public:
    int beforeNavigate = 0;
    int navigateComplete = 0;
    std::string lastUrl;

    void OnBeforeNavigate2(WebBrowserHost&, const std::string& url, bool&) override {
        ++beforeNavigate;
        lastUrl = url;
    }
    void OnNavigateComplete2(WebBrowserHost&, const std::string& url) override {
        ++navigateComplete;
        lastUrl = url;
    }
};

class BrowserHostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(parent_.Create(
            {.title = "host", .style = WS_POPUP, .x = 0, .y = 0, .width = 400, .height = 300}));
    }
    void TearDown() override {
        parent_.Destroy();
        test::PumpPending();
        // The browser gave back every reference to our site and sink.
        EXPECT_EQ(CCustomControlSite::LiveCount(), 0);
        EXPECT_EQ(LiveBrowserEventSinks(), 0);
    }

    ui::Wnd parent_;
};

TEST_F(BrowserHostTest, TheControlIsCreatedSitedAndPlacedInItsWindow) {
    RecordingEvents events;
    WebBrowserHost host(&events);
    ASSERT_EQ(host.Create(parent_.hwnd(), 1023, RECT{10, 20, 310, 220}, true),
              WebBrowserHost::Status::kReady);
    ASSERT_NE(host.Browser(), nullptr);
    EXPECT_EQ(host.Id(), 1023);
    EXPECT_EQ(host.Parent(), parent_.hwnd());
    const RECT place = host.RectInParent();
    EXPECT_EQ(place.left, 10);
    EXPECT_EQ(place.top, 20);
    EXPECT_EQ(place.right - place.left, 300);
    EXPECT_EQ(place.bottom - place.top, 200);
    EXPECT_EQ(CCustomControlSite::LiveCount(), 1);
    EXPECT_EQ(LiveBrowserEventSinks(), 1);

    // The control asked its site for the container window and sits in it.
    ui::ComPtr<IOleWindow> window =
        ui::ComPtr<IWebBrowser2>::Share(host.Browser()).As<IOleWindow>(IID_IOleWindow);
    ASSERT_TRUE(window);
    HWND controlWindow = nullptr;
    ASSERT_EQ(window->GetWindow(&controlWindow), S_OK);
    ASSERT_NE(controlWindow, nullptr);
    EXPECT_EQ(::GetParent(controlWindow), host.hwnd());
    // It follows the container's size.
    host.Resize(200, 100);
    RECT control{};
    ::GetWindowRect(controlWindow, &control);
    EXPECT_EQ(control.right - control.left, 200);
    EXPECT_EQ(control.bottom - control.top, 100);

    host.Close();
    EXPECT_EQ(host.Browser(), nullptr);
    EXPECT_EQ(host.EventSink(), nullptr);
    EXPECT_FALSE(host.Navigate("http://127.0.0.1:1/"));
    EXPECT_TRUE(host.IsWindow());
}

TEST_F(BrowserHostTest, DestroyingTheParentTearsTheControlDown) {
    WebBrowserHost host;
    ASSERT_EQ(host.Create(parent_.hwnd(), 1024, RECT{0, 0, 1, 1}, false),
              WebBrowserHost::Status::kReady);
    EXPECT_FALSE(host.IsVisible());
    parent_.Destroy();
    EXPECT_EQ(host.hwnd(), nullptr);
    EXPECT_EQ(host.Browser(), nullptr);
    EXPECT_EQ(CCustomControlSite::LiveCount(), 0);
}

TEST_F(BrowserHostTest, CatalogueServerPageIsFetched) {
    if (test::PageServer().empty())
        GTEST_SKIP() << "no page server (run through with_page_server.sh)";
    RecordingEvents events;
    WebBrowserHost host(&events);
    ASSERT_EQ(host.Create(parent_.hwnd(), 1023, RECT{0, 0, 400, 300}, true),
              WebBrowserHost::Status::kReady);
    const std::string url = test::PageServer() + "/Statistics/ZPQStatistics.html";
    ASSERT_TRUE(host.Navigate(url));
    EXPECT_TRUE(test::PumpUntil([&] { return events.beforeNavigate > 0; }));
    EXPECT_EQ(events.lastUrl, url);
    // Without an HTML engine the page is fetched but never shown.
    EXPECT_TRUE(test::PumpUntil([&] {
        return test::ServerRequests().find("GET /Statistics/ZPQStatistics.html 200") !=
               std::string::npos;
    }));
    host.Close();
}

}  // namespace
}  // namespace vt::shell
