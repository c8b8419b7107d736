#include "server_routes.h"

#include <httplib.h>

#include <cstdio>
#include <ctime>

#include "net/exchange_peer.h"
#include "net/url_codec.h"
#include "pages.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "upgrade_config.h"

namespace vt::server {

namespace {

const char kHtml[] = "text/html; charset=gb2312";

// The value of field name in a form body, matched by its exact name.
std::string FormField(const std::string& body, const std::string& name) {
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        const std::string pair = body.substr(start, end - start);
        if (pair.compare(0, name.size() + 1, name + "=") == 0)
            return pair.substr(name.size() + 1);
        start = end + 1;
    }
    return {};
}

std::string HttpDate(std::time_t time) {
    static std::mutex mutex;  // gmtime's result is shared
    std::lock_guard<std::mutex> lock(mutex);
    char text[64] = {};
    if (const std::tm* utc = std::gmtime(&time))
        std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", utc);
    return text;
}

void SendPage(httplib::Response& res, const std::string& utf8) {
    res.set_content(platform::Utf8ToLocal(utf8), kHtml);
}

void SendError(httplib::Response& res, int status, const std::string& text) {
    res.status = status;
    res.set_content(text + "\n", "text/plain; charset=utf-8");
}

// Serves root + dir + name with its length and time; Range and HEAD are
// answered by the HTTP layer from the body.
void SendFile(const std::string& path, httplib::Response& res) {
    const int64_t size = platform::FileSize(path);
    std::string data;
    if (size < 0 || platform::IsDirectory(path))
        return SendError(res, 404, "no such file");
    if (size > kMaxServedFileBytes || !platform::ReadWholeFile(path, data))
        return SendError(res, 500, "file unreadable");
    res.set_header("Last-Modified",
                   HttpDate(platform::FileTimeToUnixTime(platform::GetModifiedTime(path))));
    res.set_header("Accept-Ranges", "bytes");
    res.set_content(std::move(data), "application/octet-stream");
}

// Decodes the "data" field of an exchange under key; false after answering 400.
bool ReadExchange(const httplib::Request& req, httplib::Response& res, const std::string& key,
                  std::string& salt, std::string& data) {
    if (!DecodeExchangeRequest(FormField(req.body, "data"), key, salt, data)) {
        SendError(res, 400, "bad request");
        return false;
    }
    return true;
}

void SendAnswer(httplib::Response& res, const std::string& text, const std::string& key,
                const std::string& salt) {
    res.set_content(EncodeExchangeAnswer(text, key, salt) + "\r\n", "text/plain");
}

}  // namespace

TesselServer::TesselServer(ServerConfig config)
    : config_(std::move(config)), catalogue_(config_.root, config_.publicUrl + "/files/") {}

std::map<int, long> TesselServer::UsageCounts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return usage_;
}

void TesselServer::Install(httplib::Server& server) {
    server.set_payload_max_length(kMaxPostBytes);
    if (config_.log) {
        server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
            std::printf("%s %s %s %d %zu\n", req.remote_addr.c_str(), req.method.c_str(),
                        req.path.c_str(), res.status, res.body.size());
            std::fflush(stdout);
        });
    }
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty()) {
            if (res.status == 404)
                res.set_content(platform::Utf8ToLocal(NotFoundPage()), kHtml);
            else
                res.set_content("error " + std::to_string(res.status) + "\n", "text/plain");
        }
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res,
                                    std::exception_ptr) { SendError(res, 500, "internal error"); });

    server.Get("/Config/pluglist.xml", [this](const httplib::Request&, httplib::Response& res) {
        const auto catalogue = catalogue_.Current();
        res.set_header("Last-Modified",
                       HttpDate(platform::FileTimeToUnixTime(
                           platform::GetModifiedTime(config_.root + "catalogue.txt"))));
        res.set_content(catalogue->xml, "text/xml; charset=utf-8");
    });
    server.Post("/Interfaces/IGetPlugXmlConfigInfo.aspx",
                [this](const httplib::Request& req, httplib::Response& res) {
                    std::string salt, data;
                    if (!ReadExchange(req, res, config_.catalogueKey, salt, data))
                        return;
                    SendAnswer(res, "XMLMD5=" + UrlEncode(catalogue_.Current()->stamp),
                               config_.catalogueKey, salt);
                });
    server.Post("/Interfaces/StatisticsPlugPopu.aspx", [this](const httplib::Request& req,
                                                              httplib::Response& res) {
        std::string salt, data;
        if (!ReadExchange(req, res, config_.catalogueKey, salt, data))
            return;
        const std::string id = FormField(data, "PlugId");
        if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string::npos)
            return SendAnswer(res, "code=400", config_.catalogueKey, salt);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++usage_[std::stoi(id)];
        }
        SendAnswer(res, "code=100", config_.catalogueKey, salt);
    });
    server.Post("/Interfaces/gettoolver.aspx",
                [this](const httplib::Request& req, httplib::Response& res) {
                    std::string token, data;
                    if (!ReadExchange(req, res, config_.upgradeKey, token, data))
                        return;
                    if (UrlDecodeToLocal(FormField(data, "toolsign")) != config_.projectName)
                        return SendAnswer(res, "code=404", config_.upgradeKey, token);
                    std::string text;
                    if (platform::FileSize(config_.root + "upgrade.txt") > 64 * 1024 ||
                        !platform::ReadWholeFile(config_.root + "upgrade.txt", text))
                        return SendAnswer(res, "code=500", config_.upgradeKey, token);
                    SendAnswer(res,
                               BuildUpgradeReply(ParseUpgradeConfig(text), config_.publicUrl,
                                                 kMaxUpgradeReplyBytes),
                               config_.upgradeKey, token);
                });

    // Names start with a letter or digit, so no path can leave its directory.
    server.Get(R"(/files/([A-Za-z0-9][A-Za-z0-9_-]*\.zip))",
               [this](const httplib::Request& req, httplib::Response& res) {
                   SendFile(config_.root + "files\\" + req.matches[1].str(), res);
               });
    server.Get(R"(/upgrade/([A-Za-z0-9][A-Za-z0-9_.-]*))",
               [this](const httplib::Request& req, httplib::Response& res) {
                   SendFile(config_.root + "upgrade\\" + req.matches[1].str(), res);
               });

    auto home = [this](const httplib::Request&, httplib::Response& res) {
        SendPage(res, HomePage(*catalogue_.Current()));
    };
    server.Get("/", home);
    server.Get("/Index.aspx", home);
    server.Get("/Pages/Pluglist.shtml", [this](const httplib::Request&, httplib::Response& res) {
        SendPage(res, PluginListPage(*catalogue_.Current()));
    });
    server.Get("/MacroInfo/Index.aspx", [](const httplib::Request&, httplib::Response& res) {
        SendPage(res, MacroDepotPage());
    });
    server.Get("/MacroInfo/Simulator.aspx", [](const httplib::Request&, httplib::Response& res) {
        SendPage(res, SimulatorPage());
    });
    server.Get(R"(/Pages/Plug/PlugDetail_(\d{1,9})\.shtml)", [this](const httplib::Request& req,
                                                                    httplib::Response& res) {
        const std::string page = DetailPage(*catalogue_.Current(), std::stoi(req.matches[1].str()));
        if (page.empty())
            return SendError(res, 404, "no such addon");
        SendPage(res, page);
    });
    server.Get(R"(/Statistics/(ZPQStatistics|VAELToolStatistics)\.html)",
               [this](const httplib::Request& req, httplib::Response& res) {
                   {
                       std::lock_guard<std::mutex> lock(mutex_);
                       ++pageLoads_[req.matches[1].str()];
                   }
                   SendPage(res, StatisticsPage(req.matches[1].str()));
               });
    server.Get("/forum.php",
               [](const httplib::Request&, httplib::Response& res) { SendPage(res, ForumPage()); });
    server.Get("/Status", [this](const httplib::Request&, httplib::Response& res) {
        const auto catalogue = catalogue_.Current();
        std::lock_guard<std::mutex> lock(mutex_);
        res.set_content(StatusText(*catalogue, usage_, pageLoads_), "text/plain; charset=utf-8");
    });
}

}  // namespace vt::server
