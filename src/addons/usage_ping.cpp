#include "addons/usage_ping.h"

#include <string>

#include "addons/addon_paths.h"
#include "net/secure_exchange.h"
#include "net/url_codec.h"
#include "settings/server_config.h"

namespace vt::addons {

void SendUsagePing(const settings::ServerConfig& servers, int32_t id, int timeoutMs) {
    std::string form;
    net::AppendQueryParam(form, "PlugId", std::to_string(id));
    std::string answer;
    net::RunSecureExchange(form, servers.catalogue + kUsagePingPath, kCatalogueExchangeKey, answer,
                           nullptr, timeoutMs);
}

}  // namespace vt::addons
