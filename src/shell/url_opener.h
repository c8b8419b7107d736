// The one road from the program to the user's own web browser. Tests replace
// the opener, so no test starts a real browser.
#pragma once

#include <functional>
#include <string>

namespace vt::shell {

// Receives a URL in the local code page.
using UrlOpener = std::function<void(const std::string& url)>;

// Opens url with the system's default handler (the shell's "open" verb, shown
// normally, no parent window), or hands it to the replacement when one is set.
void OpenUrlInUserBrowser(const std::string& url);
// Replaces the opener of this process; an empty function restores the
// system's. Gives back the replacement that was set before.
UrlOpener SetUrlOpener(UrlOpener opener);

}  // namespace vt::shell
