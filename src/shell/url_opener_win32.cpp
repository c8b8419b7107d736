#include "shell/url_opener.h"

#include <windows.h>

#include <shellapi.h>

#include <utility>

namespace vt::shell {

namespace {

// Touched on the user-interface thread only, like every caller.
UrlOpener& Replacement() {
    static UrlOpener opener;
    return opener;
}

}  // namespace

void OpenUrlInUserBrowser(const std::string& url) {
    if (Replacement()) {
        Replacement()(url);
        return;
    }
    ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

UrlOpener SetUrlOpener(UrlOpener opener) {
    return std::exchange(Replacement(), std::move(opener));
}

}  // namespace vt::shell
