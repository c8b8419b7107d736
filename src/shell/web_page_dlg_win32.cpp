#include "shell/web_page_dlg.h"

#include "resource.h"
#include "shell/html_document.h"
#include "shell/url_opener.h"

namespace vt::shell {

namespace {

// Links that only carry an onclick handler; following them would leave the
// page for an empty one.
constexpr char kVoidLink[] = "javascript:;";

}  // namespace

CWebPageDlg::CWebPageDlg() : ui::Dialog(IDD_WEB_PAGE), page_(this), newWindow_(this) {}

CWebPageDlg::~CWebPageDlg() {
    // The browsers go first, while the dialog they live in still exists.
    page_.Close();
    newWindow_.Close();
}

bool CWebPageDlg::Create(HWND parent, const RECT& rect, bool visible) {
    if (!CreateModeless(parent))
        return false;
    Place(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    Show(visible);
    return true;
}

bool CWebPageDlg::OnInitDialog() {
    const RECT area = ClientRect();
    page_.Create(hwnd(), IDC_PAGE_BROWSER, area, true);
    newWindow_.Create(hwnd(), IDC_NEW_WINDOW_BROWSER, RECT{0, 0, 1, 1}, false);
    escape_.Install(hwnd(), [](const MSG& message) {
        return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE;
    });
    return false;
}

void CWebPageDlg::LoadUrl(const std::string& url) {
    url_ = url;
    SetTimer(kLoadTimer, 0);
}

void CWebPageDlg::OnTimer(UINT_PTR id) {
    if (id == kLoadTimer) {
        KillTimer(kLoadTimer);
        page_.Navigate(url_);
    } else if (id == kScriptTimer) {
        RunScript();
    }
}

void CWebPageDlg::RunScript() {
    if (script_.empty() || page_.Browser() == nullptr)
        return;
    ui::ComPtr<IDispatch> document;
    if (SUCCEEDED(page_.Browser()->get_Document(document.Put())) && document)
        ExecScriptInDocument(document.get(), script_);
}

void CWebPageDlg::OnNewWindow2(WebBrowserHost& browser, IDispatch** newWindow, bool& /*cancel*/) {
    IWebBrowser2* catcher = newWindow_.Browser();
    if (&browser != &page_ || catcher == nullptr)
        return;
    // The hidden browser takes the new window; its first navigation then
    // reaches OnBeforeNavigate2 below and goes to the user's browser.
    catcher->put_RegisterAsBrowser(VARIANT_TRUE);
    IDispatch* application = nullptr;
    if (SUCCEEDED(catcher->get_Application(&application)) && application != nullptr) {
        if (*newWindow != nullptr)
            (*newWindow)->Release();
        *newWindow = application;  // the browser takes over this reference
    }
}

void CWebPageDlg::OnBeforeNavigate2(WebBrowserHost& browser, const std::string& url, bool& cancel) {
    if (&browser == &newWindow_) {
        OpenUrlInUserBrowser(url);
        cancel = true;
    } else if (url == kVoidLink) {
        cancel = true;
    }
}

void CWebPageDlg::OnNavigateComplete2(WebBrowserHost& browser, const std::string& /*url*/) {
    if (&browser != &page_)
        return;
    page_.Show(true);
    if (notifyMessage_ != 0)
        ::PostMessageA(Parent(), notifyMessage_, 1, 0);
    if (!script_.empty())
        SetTimer(kScriptTimer, kScriptPeriodMs);
}

LRESULT CWebPageDlg::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && page_.hwnd() != nullptr)
        page_.Place(0, 0, LOWORD(lParam), HIWORD(lParam));
    return Dialog::WndProc(message, wParam, lParam);
}

}  // namespace vt::shell
