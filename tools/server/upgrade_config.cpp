#include "upgrade_config.h"

#include <sstream>

#include "net/url_codec.h"
#include "platform/code_page.h"

namespace vt::server {

const char* const kUpgradeFields[7] = {"softVer",      "softDownUrl",      "softHandworkDownUrl",
                                       "updSoftVerV2", "updSoftDownUrlV2", "softUpDesc",
                                       "softUpDate"};

namespace {

bool IsKnownField(const std::string& name) {
    for (const char* field : kUpgradeFields)
        if (name == field)
            return true;
    return false;
}

std::string Trim(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return {};
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

std::string Resolve(const std::string& name, const std::string& value,
                    const std::string& publicUrl) {
    const bool isUrl = name.find("Url") != std::string::npos;
    if (!isUrl || value.empty() || value.find("://") != std::string::npos)
        return value;
    return publicUrl + "/" + (value[0] == '/' ? value.substr(1) : value);
}

std::string Form(const UpgradeConfig& config, const std::string& publicUrl,
                 size_t descriptionLimit) {
    std::string form = "code=100";
    for (const auto& [name, value] : config) {
        std::string local = platform::Utf8ToLocal(Resolve(name, value, publicUrl));
        if (name == "softUpDesc" && local.size() > descriptionLimit)
            local.resize(descriptionLimit);
        net::AppendQueryParam(form, name, local);
    }
    return form;
}

}  // namespace

UpgradeConfig ParseUpgradeConfig(const std::string& text) {
    UpgradeConfig config;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos)
            continue;
        const std::string name = Trim(line.substr(0, equals));
        if (IsKnownField(name))
            config.emplace_back(name, Trim(line.substr(equals + 1)));
    }
    return config;
}

std::string BuildUpgradeReply(const UpgradeConfig& config, const std::string& publicUrl,
                              size_t maxPlainBytes) {
    // Token (8) and NUL (1) travel with the form.
    size_t limit = 1023;  // the updater's description field holds 1024 bytes with its terminator
    std::string form = Form(config, publicUrl, limit);
    while (form.size() + 9 > maxPlainBytes && limit > 0) {
        limit = limit > 64 ? limit - 64 : 0;
        form = Form(config, publicUrl, limit);
    }
    return form.size() + 9 > maxPlainBytes ? std::string("code=500") : form;
}

}  // namespace vt::server
