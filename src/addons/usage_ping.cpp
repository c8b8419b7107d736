#include "addons/usage_ping.h"

#include <string>

#include "addons/addon_paths.h"
#include "net/secure_exchange.h"
#include "net/url_codec.h"

namespace vt {

void SendUsagePing(int32_t id) {
    std::string form;
    AppendQueryParam(form, "PlugId", std::to_string(id));
    std::string answer;
    SecureExchange(form, CatalogueServerUrl(kUsagePingPath), kCatalogueExchangeKey, answer);
}

}  // namespace vt
