// A page host (dialog 121): one visible WebBrowser that shows a page of the
// catalogue server and one hidden WebBrowser that only catches the page's
// new-window requests and sends them to the user's own web browser. It can
// run a script after each completed navigation and tell its parent when a
// page has arrived. The main window makes three (the tabs), the popup one.
// Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "shell/keyboard_filter.h"
#include "shell/web_browser_host.h"
#include "ui/wnd.h"

namespace vt::shell {

class CWebPageDlg : public ui::Dialog, private BrowserEvents {
  public:
    static constexpr int kLoadTimer = 3039;    // LoadUrl's deferred Navigate
    static constexpr int kScriptTimer = 3040;  // runs the script every second
    static constexpr UINT kScriptPeriodMs = 1000;

    CWebPageDlg();
    ~CWebPageDlg() override;

    // Makes the page host as a child of parent at rect (parent client
    // coordinates), shown or hidden, its page browser filling it. False when
    // the dialog cannot be made; browsers that cannot be made leave an empty
    // page.
    bool Create(HWND parent, const RECT& rect, bool visible);

    // Keeps url (local code page) and navigates the page browser to it from
    // the next message loop turn (timer 3039), so a caller's own start-up is
    // never held up by the browser.
    void LoadUrl(const std::string& url);
    // A JavaScript text run in the page one second after each completed
    // navigation and every second after that; empty: none.
    void SetScript(const std::string& script) { script_ = script; }
    // Posted to the parent (wParam 1, lParam 0) when a navigation completes;
    // 0: none.
    void SetNotifyMessage(UINT message) { notifyMessage_ = message; }
    const std::string& url() const { return url_; }

    WebBrowserHost& PageBrowser() { return page_; }
    WebBrowserHost& NewWindowBrowser() { return newWindow_; }

  protected:
    bool OnInitDialog() override;
    // A page host never ends itself: Enter and Escape belong to the page.
    void OnOK() override {}
    void OnCancel() override {}
    void OnTimer(UINT_PTR id) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnNewWindow2(WebBrowserHost& browser, IDispatch** newWindow, bool& cancel) override;
    void OnBeforeNavigate2(WebBrowserHost& browser, const std::string& url, bool& cancel) override;
    void OnNavigateComplete2(WebBrowserHost& browser, const std::string& url) override;
    void RunScript();

    WebBrowserHost page_;
    WebBrowserHost newWindow_;
    KeyboardFilter escape_;
    std::string url_;
    std::string script_;
    UINT notifyMessage_ = 0;
};

}  // namespace vt::shell
