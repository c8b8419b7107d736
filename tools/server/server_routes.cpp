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

// A known path asked for with another method: 405 with the methods allowed.
bool WrongMethod(HttpResponse& res, const char* allowed) {
    res.status = 405;
    res.SetHeader("Allow", allowed);
    return false;
}

bool IsRead(const HttpRequest& req) {
    return req.method == "GET" || req.method == "HEAD";
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

bool TesselServer::Route(const HttpRequest& req, HttpResponse& res) {
    std::string name;
    if (After(req.path, "/Interfaces/", name))
        return RouteExchange(name, req, res);
    return RouteFile(req, res) || RoutePage(req, res);
}

bool TesselServer::RouteExchange(const std::string& name, const HttpRequest& req,
                                 HttpResponse& res) {
    const bool stamp = name == "IGetPlugXmlConfigInfo.aspx";
    const bool usage = name == "StatisticsPlugPopu.aspx";
    const bool upgrade = name == "gettoolver.aspx";
    if (!stamp && !usage && !upgrade)
        return false;
    if (req.method != "POST")
        return WrongMethod(res, "POST");
    const std::string& key = upgrade ? config_.upgradeKey : config_.catalogueKey;
    std::string salt, data;
    if (!net::DecodeExchangeRequest(FormField(req.body, "data"), key, salt, data)) {
        SendError(res, 400, "bad request");
        return true;
    }
    const std::string answer = stamp   ? "XMLMD5=" + net::UrlEncode(catalogue_.Current()->stamp)
                               : usage ? UsageAnswer(data)
                                       : UpgradeAnswer(data);
    res.SetContent(net::EncodeExchangeAnswer(answer, key, salt) + "\r\n", "text/plain");
    return true;
}

std::string TesselServer::UsageAnswer(const std::string& data) {
    const std::string id = FormField(data, "PlugId");
    if (!IsDecimal(id, 9))
        return "code=400";
    return counts_->Add(kUsageGroup, std::to_string(std::stoi(id))) ? "code=100" : "code=500";
}

std::string TesselServer::UpgradeAnswer(const std::string& data) const {
    if (net::UrlDecodeToLocal(FormField(data, "toolsign")) != config_.projectName)
        return "code=404";
    const std::string file = config_.root + "upgrade.txt";
    std::string text;
    if (platform::FileSize(file) > 64 * 1024 || !platform::ReadWholeFile(file, text))
        return "code=500";
    return BuildUpgradeReply(ParseUpgradeConfig(text), config_.publicUrl, kMaxUpgradeReplyBytes);
}

bool TesselServer::RouteFile(const HttpRequest& req, HttpResponse& res) {
    std::string rest, stem, file;
    if (After(req.path, "/files/", rest) && Before(rest, ".zip", stem) &&
        IsServedName(stem, "_-")) {
        file = config_.root + "files\\" + rest;
    } else if (After(req.path, "/upgrade/", rest) && IsServedName(rest, "_.-")) {
        file = config_.root + "upgrade\\" + rest;
    } else {
        return false;
    }
    if (!IsRead(req))
        return WrongMethod(res, "GET, HEAD");
    ServeFile(req, res, file);
    return true;
}

bool TesselServer::RoutePage(const HttpRequest& req, HttpResponse& res) {
    const std::string& path = req.path;
    std::string rest, detail;
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
    if (!IsRead(req))
        return WrongMethod(res, "GET, HEAD");

    if (path == "/Config/pluglist.xml") {
        res.SetHeader("Last-Modified",
                      HttpDate(platform::FileTimeToUnixTime(
                          platform::GetModifiedTime(config_.root + "catalogue.txt"))));
        res.SetContent(catalogue_.Current()->xml, "text/xml; charset=utf-8");
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
        res.SetContent(Status(), "text/plain; charset=utf-8");
    } else {
        const std::string page = DetailPage(*catalogue_.Current(), std::stoi(detail));
        if (page.empty())
            SendError(res, 404, "no such addon");
        else
            SendPage(res, page);
    }
    return true;
}

std::string TesselServer::Status() {
    std::map<std::string, long> pages;
    const bool reached = counts_->Read(kPagesGroup, pages);
    std::string text = StatusText(*catalogue_.Current(), UsageCounts(), pages);
    return text + "count store: " + counts_->Describe() + (reached ? "\n" : " (unreachable)\n");
}

}  // namespace vt::server
