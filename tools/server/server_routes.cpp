#include "server_routes.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "net/exchange_peer.h"
#include "net/url_codec.h"
#include "pages.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "upgrade_config.h"

namespace vt::server {

namespace {

const char kHtml[] = "text/html; charset=gb2312";
const char kUsageGroup[] = "usage";
const char kPagesGroup[] = "pages";

// The value of field name in a form body, matched by its exact name.
std::string FormField(const std::string& body, const std::string& name) {
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        if (body.compare(start, name.size() + 1, name + "=") == 0 && end >= start + name.size() + 1)
            return body.substr(start + name.size() + 1, end - start - name.size() - 1);
        start = end + 1;
    }
    return {};
}

bool IsDecimal(const std::string& text, size_t maxDigits) {
    return !text.empty() && text.size() <= maxDigits &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

// A served file name: a letter or digit first, then letters, digits and the
// characters of extra, so no name reaches outside its directory.
bool IsServedName(const std::string& name, const char* extra) {
    if (name.empty() || !std::isalnum(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && std::strchr(extra, c) == nullptr)
            return false;
    }
    return true;
}

// The rest of path after prefix, or false when path does not start with it.
bool After(const std::string& path, const char* prefix, std::string& rest) {
    const size_t length = std::strlen(prefix);
    if (path.compare(0, length, prefix) != 0)
        return false;
    rest = path.substr(length);
    return true;
}

// text without suffix, or false when it does not end with it after something.
bool Before(const std::string& text, const char* suffix, std::string& head) {
    const size_t length = std::strlen(suffix);
    if (text.size() <= length || text.compare(text.size() - length, length, suffix) != 0)
        return false;
    head = text.substr(0, text.size() - length);
    return true;
}

void SendPage(HttpResponse& res, const std::string& utf8) {
    res.SetContent(platform::Utf8ToLocal(utf8), kHtml);
}

void SendError(HttpResponse& res, int status, const std::string& text) {
    res.status = status;
    res.SetContent(text + "\n", "text/plain; charset=utf-8");
}

// Decodes the "data" field of an exchange under key; false after answering 400.
bool ReadExchange(const HttpRequest& req, HttpResponse& res, const std::string& key,
                  std::string& salt, std::string& data) {
    if (!DecodeExchangeRequest(FormField(req.body, "data"), key, salt, data)) {
        SendError(res, 400, "bad request");
        return false;
    }
    return true;
}

void SendAnswer(HttpResponse& res, const std::string& text, const std::string& key,
                const std::string& salt) {
    res.SetContent(EncodeExchangeAnswer(text, key, salt) + "\r\n", "text/plain");
}

std::string FilesUrl(const ServerConfig& config) {
    return config.filesUrl.empty() ? config.publicUrl + "/files/" : config.filesUrl;
}

}  // namespace

TesselServer::TesselServer(ServerConfig config, std::unique_ptr<CountStore> counts)
    : config_(std::move(config)),
      catalogue_(config_.root, FilesUrl(config_)),
      counts_(counts ? std::move(counts) : MakeLocalCountStore()) {}

std::map<int, long> TesselServer::UsageCounts() {
    std::map<std::string, long> counts;
    counts_->Read(kUsageGroup, counts);
    std::map<int, long> usage;
    for (const auto& [id, count] : counts) {
        if (IsDecimal(id, 9))
            usage[std::stoi(id)] += count;
    }
    return usage;
}

void TesselServer::Log(const HttpRequest& req, const HttpResponse& res) const {
    if (!config_.log)
        return;
    std::printf("%s %s %s %d %lld\n", req.remoteAddress.c_str(),
                req.method.empty() ? "-" : req.method.c_str(),
                req.path.empty() ? "-" : req.path.c_str(), res.status,
                static_cast<long long>(res.BodyLength()));
    std::fflush(stdout);
}

void TesselServer::Handle(const HttpRequest& req, HttpResponse& res) {
    if (Route(req, res))
        return;
    if (res.status == 405)
        return SendError(res, 405, "method not allowed");
    res.status = 404;
    res.SetContent(platform::Utf8ToLocal(NotFoundPage()), kHtml);
}

// Fills res for a known path; false for an unknown path (res.status 405 when
// the path is known but not the method).
bool TesselServer::Route(const HttpRequest& req, HttpResponse& res) {
    const std::string& path = req.path;
    const bool get = req.method == "GET" || req.method == "HEAD";
    const bool post = req.method == "POST";
    const auto wrongMethod = [&](const char* allowed) {
        res.status = 405;
        res.SetHeader("Allow", allowed);
        return false;
    };

    if (path.compare(0, 12, "/Interfaces/") == 0) {
        const std::string name = path.substr(12);
        if (name != "IGetPlugXmlConfigInfo.aspx" && name != "StatisticsPlugPopu.aspx" &&
            name != "gettoolver.aspx")
            return false;
        if (!post)
            return wrongMethod("POST");
        const bool upgrade = name == "gettoolver.aspx";
        const std::string& key = upgrade ? config_.upgradeKey : config_.catalogueKey;
        std::string salt, data;
        if (!ReadExchange(req, res, key, salt, data))
            return true;
        if (name == "IGetPlugXmlConfigInfo.aspx") {
            SendAnswer(res, "XMLMD5=" + UrlEncode(catalogue_.Current()->stamp), key, salt);
        } else if (name == "StatisticsPlugPopu.aspx") {
            const std::string id = FormField(data, "PlugId");
            if (!IsDecimal(id, 9))
                SendAnswer(res, "code=400", key, salt);
            else if (!counts_->Add(kUsageGroup, std::to_string(std::stoi(id))))
                SendAnswer(res, "code=500", key, salt);
            else
                SendAnswer(res, "code=100", key, salt);
        } else if (UrlDecodeToLocal(FormField(data, "toolsign")) != config_.projectName) {
            SendAnswer(res, "code=404", key, salt);
        } else {
            std::string text;
            if (platform::FileSize(config_.root + "upgrade.txt") > 64 * 1024 ||
                !platform::ReadWholeFile(config_.root + "upgrade.txt", text))
                SendAnswer(res, "code=500", key, salt);
            else
                SendAnswer(res,
                           BuildUpgradeReply(ParseUpgradeConfig(text), config_.publicUrl,
                                             kMaxUpgradeReplyBytes),
                           key, salt);
        }
        return true;
    }

    std::string rest, stem;
    if (After(path, "/files/", rest) && Before(rest, ".zip", stem) && IsServedName(stem, "_-")) {
        if (!get)
            return wrongMethod("GET, HEAD");
        ServeFile(req, res, config_.root + "files\\" + rest);
        return true;
    }
    if (After(path, "/upgrade/", rest) && IsServedName(rest, "_.-")) {
        if (!get)
            return wrongMethod("GET, HEAD");
        ServeFile(req, res, config_.root + "upgrade\\" + rest);
        return true;
    }

    // Everything below is a page or document read with GET.
    std::string detail;
    const bool isDetail = After(path, "/Pages/Plug/PlugDetail_", rest) &&
                          Before(rest, ".shtml", detail) && IsDecimal(detail, 9);
    const bool isStatistics =
        path == "/Statistics/ZPQStatistics.html" || path == "/Statistics/VAELToolStatistics.html";
    const bool known = isDetail || isStatistics || path == "/Config/pluglist.xml" || path == "/" ||
                       path == "/Index.aspx" || path == "/Pages/Pluglist.shtml" ||
                       path == "/MacroInfo/Index.aspx" || path == "/MacroInfo/Simulator.aspx" ||
                       path == "/forum.php" || path == "/Status";
    if (!known)
        return false;
    if (!get)
        return wrongMethod("GET, HEAD");

    if (path == "/Config/pluglist.xml") {
        const auto catalogue = catalogue_.Current();
        res.SetHeader("Last-Modified",
                      HttpDate(platform::FileTimeToUnixTime(
                          platform::GetModifiedTime(config_.root + "catalogue.txt"))));
        res.SetContent(catalogue->xml, "text/xml; charset=utf-8");
    } else if (path == "/" || path == "/Index.aspx") {
        SendPage(res, HomePage(*catalogue_.Current()));
    } else if (path == "/Pages/Pluglist.shtml") {
        SendPage(res, PluginListPage(*catalogue_.Current()));
    } else if (path == "/MacroInfo/Index.aspx") {
        SendPage(res, MacroDepotPage());
    } else if (path == "/MacroInfo/Simulator.aspx") {
        SendPage(res, SimulatorPage());
    } else if (path == "/forum.php") {
        SendPage(res, ForumPage());
    } else if (isStatistics) {
        const std::string which = path.substr(12, path.size() - 12 - 5);
        // A page load that cannot be counted is still a page to show.
        counts_->Add(kPagesGroup, which);
        SendPage(res, StatisticsPage(which));
    } else if (path == "/Status") {
        const auto catalogue = catalogue_.Current();
        std::map<std::string, long> pages;
        const bool reached = counts_->Read(kPagesGroup, pages);
        std::string text = StatusText(*catalogue, UsageCounts(), pages);
        text += "count store: " + counts_->Describe() + (reached ? "\n" : " (unreachable)\n");
        res.SetContent(text, "text/plain; charset=utf-8");
    } else {
        const std::string page = DetailPage(*catalogue_.Current(), std::stoi(detail));
        if (page.empty())
            SendError(res, 404, "no such addon");
        else
            SendPage(res, page);
    }
    return true;
}

}  // namespace vt::server
