// The reference catalogue and upgrade server: every path the program uses,
// served from one catalogue directory (layout in README.md).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "catalogue_store.h"

namespace httplib {
class Server;
}

namespace vt::server {

struct ServerConfig {
    std::string root;       // catalogue directory, local code page, trailing separator
    std::string publicUrl;  // "http://host:port" as clients reach this server
    std::string catalogueKey = "@n28;<bpb723PwktthCpz((3n311!?#%my<!";
    std::string upgradeKey = "ptmn%#*mhq789!(";
    std::string projectName = "vael";
    bool log = true;  // one line per request on stdout
};

// Largest form post accepted, and largest file served.
constexpr size_t kMaxPostBytes = 256 * 1024;
constexpr int64_t kMaxServedFileBytes = 64 << 20;
// The upgrade module decrypts at most this many bytes of a reply.
constexpr size_t kMaxUpgradeReplyBytes = 4096;

class TesselServer {
  public:
    explicit TesselServer(ServerConfig config);
    // Registers every route, the logger and the error pages on server.
    void Install(httplib::Server& server);

    std::map<int, long> UsageCounts();

  private:
    ServerConfig config_;
    CatalogueStore catalogue_;
    std::mutex mutex_;
    std::map<int, long> usage_;
    std::map<std::string, long> pageLoads_;
};

}  // namespace vt::server
