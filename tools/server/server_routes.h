// The reference catalogue and upgrade server: every path the program uses,
// served from one catalogue directory (layout in README.md). The routes keep
// no state of their own beyond what the catalogue directory and the count
// store hold, so any number of processes can serve the same directory.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "catalogue_store.h"
#include "count_store.h"
#include "http_message.h"

namespace vt::server {

struct ServerConfig {
    std::string root;       // catalogue directory, local code page, trailing separator
    std::string publicUrl;  // "http://host:port" as clients reach this server
    std::string filesUrl;   // archive prefix ("DownLoadUrl"); publicUrl + "/files/" when empty
    std::string catalogueKey = "@n28;<bpb723PwktthCpz((3n311!?#%my<!";
    std::string upgradeKey = "ptmn%#*mhq789!(";
    std::string projectName = "vael";
    bool log = true;  // one line per request on stdout
};

// The upgrade module decrypts at most this many bytes of a reply.
constexpr size_t kMaxUpgradeReplyBytes = 4096;

class TesselServer {
  public:
    // counts may be null: the counts are then kept in this process.
    TesselServer(ServerConfig config, std::unique_ptr<CountStore> counts = nullptr);
    // Answers one request; safe from several threads at once.
    void Handle(const HttpRequest& request, HttpResponse& response);
    // The log line of one answer, when logging is on.
    void Log(const HttpRequest& request, const HttpResponse& response) const;

    // Usage pings per PlugId as the count store holds them.
    std::map<int, long> UsageCounts();

  private:
    // Each router fills response for a path it knows and says true; false
    // for a path it does not know (response.status 405 when it knows the
    // path but not the method).
    bool Route(const HttpRequest& request, HttpResponse& response);
    // The encrypted form interfaces under "/Interfaces/" (name: the rest).
    bool RouteExchange(const std::string& name, const HttpRequest& request, HttpResponse& response);
    // Addon archives and upgrade packages, from the catalogue directory.
    bool RouteFile(const HttpRequest& request, HttpResponse& response);
    // The catalogue, the pages and the status text.
    bool RoutePage(const HttpRequest& request, HttpResponse& response);
    // Answers of the usage and upgrade interfaces to a decoded form text.
    std::string UsageAnswer(const std::string& data);
    std::string UpgradeAnswer(const std::string& data) const;
    // The text of "/Status".
    std::string Status();

    ServerConfig config_;
    CatalogueStore catalogue_;
    std::unique_ptr<CountStore> counts_;
};

}  // namespace vt::server
