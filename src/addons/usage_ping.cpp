#include "addons/usage_ping.h"

#include <string>

#include "addons/addon_paths.h"
#include "net/secure_exchange.h"
#include "net/url_codec.h"
#include "settings/server_config.h"

namespace vt {

void SendUsagePing(const ServerConfig& servers, int32_t id, int timeoutMs) {
    std::string form;
    AppendQueryParam(form, "PlugId", std::to_string(id));
    std::string answer;
    RunSecureExchange(form, servers.catalogue + kUsagePingPath, kCatalogueExchangeKey, answer,
                      nullptr, timeoutMs);
}

}  // namespace vt
