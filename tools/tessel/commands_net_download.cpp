// `tessel download`: one resumable transfer with HttpDownload, with a
// progress bar on stderr and the DownloadResult at the end.
#include <cstdio>
#include <string>

#include "cli.h"
#include "net/http_download.h"
#include "terminal_text.h"

namespace vt::cli {

namespace {

// "user:pass" split at the first ":"; no ":" gives the whole text as user.
void SplitCredentials(const std::string& text, std::string& user, std::string& password) {
    const size_t colon = text.find(':');
    user = text.substr(0, colon);
    password = colon == std::string::npos ? std::string() : text.substr(colon + 1);
}

// Reads "http|socks4|socks4a|socks5://[user[:pass]@]host:port" into the
// client's proxy fields; false when it is not of that form.
bool ApplyProxy(const std::string& text, net::HttpDownload& download) {
    const size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string::npos)
        return false;
    const std::string scheme = text.substr(0, schemeEnd);
    if (scheme == "http")
        download.proxyType = net::kProxyHttp;
    else if (scheme == "socks4")
        download.proxyType = net::kProxySocks4;
    else if (scheme == "socks4a")
        download.proxyType = net::kProxySocks4a;
    else if (scheme == "socks5")
        download.proxyType = net::kProxySocks5;
    else
        return false;

    std::string rest = text.substr(schemeEnd + 3);
    if (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    const size_t at = rest.rfind('@');
    if (at != std::string::npos) {
        SplitCredentials(rest.substr(0, at), download.proxyUser, download.proxyPassword);
        // SOCKS4 has only a user id; the others send user and password.
        download.proxyAuthEnabled =
            download.proxyType == net::kProxyHttp || download.proxyType == net::kProxySocks5;
        rest.erase(0, at + 1);
    }
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size())
        return false;
    unsigned long port = 0;
    for (char c : rest.substr(colon + 1)) {
        if (c < '0' || c > '9')
            return false;
        port = port * 10 + static_cast<unsigned long>(c - '0');
        if (port > 65535)
            return false;
    }
    download.proxyHost = rest.substr(0, colon);
    download.proxyPort = static_cast<uint16_t>(port);
    return port != 0;
}

// Redraws the bar only when the shown percentage changes, and only on a
// terminal, fitted to its width.
class ProgressBar {
  public:
    void Show(const net::DownloadProgress& progress) {
        const int percent = progress.totalSize > 0
                                ? static_cast<int>(progress.doneSize * 100 / progress.totalSize)
                                : 0;
        if (percent == shown_ || columns_ == 0)
            return;
        shown_ = percent;
        PrintError("\r" + ProgressLine(ToTerminal(progress.fileName), percent, progress.doneSize,
                                       progress.totalSize, columns_ - 1));
        drawn_ = true;
    }
    void Finish() {
        if (drawn_)
            PrintError("\n");
    }

  private:
    const int columns_ = ProgressColumns();
    int shown_ = -1;
    bool drawn_ = false;
};

int RunDownload(Context& context) {
    const bool force = TakeFlag(context.flags, "--force");
    std::string proxy;
    std::string auth;
    bool missing = false;
    const bool hasProxy = TakeOption(context.flags, "--proxy", proxy, &missing);
    const bool hasAuth = TakeOption(context.flags, "--auth", auth, &missing);
    std::string pause;
    const bool hasPause = TakeOption(context.flags, "--pause", pause, &missing);
    if (missing || context.args.size() != 2) {
        return UsageError(context, "download");
    }

    net::HttpDownload download;
    if (hasPause) {
        // Milliseconds after each chunk; 0 turns the throttle off.
        if (pause.empty() || pause.size() > 5 ||
            pause.find_first_not_of("0123456789") != std::string::npos) {
            return UsageError(context, "download");
        }
        download.chunkPauseMs = std::stoi(pause);
    }
    if (hasProxy && !ApplyProxy(proxy, download))
        return UsageError(context, "download");
    if (hasAuth) {
        download.authEnabled = true;
        SplitCredentials(FromTerminal(auth), download.authUser, download.authPassword);
    }
    ProgressBar bar;
    if (!context.json) {
        download.SetNotify([&bar](const net::DownloadProgress& p) { bar.Show(p); }, -1, -1, -1,
                           true);
    }
    const net::DownloadResult result =
        download.Download(context.args[0], FromTerminal(context.args[1]), force);
    bar.Finish();

    const bool ok = result == net::kDownloaded || result == net::kAlreadyCurrent;
    if (context.json) {
        JsonLine()
            .Add("result", result)
            .Add("meaning", net::DownloadResultText(result))
            .Add("ok", ok)
            .Add("totalSize", download.totalSize())
            .Print();
        return ok ? kExitOk : kExitFailure;
    }
    const std::string line =
        "result " + std::to_string(result) + ": " + net::DownloadResultText(result);
    Print(line + "\n");
    return ok ? kExitOk : Fail("download failed, " + line);
}

const bool registered = RegisterCommand(
    {"download",
     "URL FILE [--force] [--proxy http|socks4|socks4a|socks5://[user:pass@]host:port] "
     "[--auth user:pass] [--pause MS]",
     "把 URL 下载到 FILE（可续传，FILE.down），显示结果编号和含义（开发用）", RunDownload,
     "--force --proxy= --auth= --pause="});

}  // namespace

}  // namespace vt::cli
