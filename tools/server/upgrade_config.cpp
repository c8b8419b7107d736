#include "upgrade_config.h"

#include <cctype>
#include <map>
#include <sstream>

#include "net/url_codec.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace vt::server {

const char* const kUpgradeFields[7] = {"softVer",      "softDownUrl",      "softHandworkDownUrl",
                                       "updSoftVerV2", "updSoftDownUrlV2", "softUpDesc",
                                       "softUpDate"};

namespace {

bool IsKnownField(const std::string& name) {
    if (name == "code")
        return true;
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
    std::string code = "100";
    for (const auto& [name, value] : config) {
        if (name == "code")
            code = value;
    }
    std::string form = "code=" + net::UrlEncode(platform::Utf8ToLocal(code));
    for (const auto& [name, value] : config) {
        if (name == "code")
            continue;
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

namespace {

// A name the server's /upgrade/ path serves: a letter or digit first, then
// letters, digits, "_", "-" and ".".
bool IsServableName(const std::string& name) {
    if (name.empty() || !std::isalnum(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.')
            return false;
    }
    return true;
}

// Copies from into to through a temporary name, so to is never half there.
bool CopyWhole(const std::string& from, const std::string& to) {
    std::string bytes;
    return platform::ReadWholeFile(from, bytes) && platform::WriteWholeFile(to + ".tmp", bytes) &&
           platform::RenamePath(to + ".tmp", to, true);
}

}  // namespace

bool PublishBuild(const std::string& root, const std::string& distDir, std::string& error) {
    std::string text;
    if (!platform::ReadWholeFile(distDir + "release.txt", text)) {
        error = "no release.txt in " + distDir + " (make one with scripts/package.sh)";
        return false;
    }
    std::map<std::string, std::string> release;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            release[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
    }
    for (const char* number : {"version", "updaterVersion"}) {
        const std::string& value = release[number];
        if (value.empty() || value.size() > 9 ||
            value.find_first_not_of("0123456789") != std::string::npos) {
            error = std::string("release.txt: ") + number + " is not a number";
            return false;
        }
    }
    const std::string& package = release["package"];
    const std::string& updater = release["updater"];
    std::string installer =
        package.size() > 4 ? package.substr(0, package.size() - 4) + "-setup.exe" : std::string();
    if (!platform::PathExists(distDir + installer))
        installer.clear();
    std::vector<std::string> files = {package, package + ".sig", updater};
    if (!installer.empty())
        files.push_back(installer);
    for (const std::string& file : files) {
        if (!IsServableName(file) || !platform::PathExists(distDir + file)) {
            error = "release.txt names " + (file.empty() ? std::string("no file") : file) +
                    ", which is missing or cannot be served";
            return false;
        }
    }
    const std::string upgradeDir = root + "upgrade\\";
    if (!platform::IsDirectory(upgradeDir) && !platform::MakeDirectory(upgradeDir)) {
        error = "cannot make " + upgradeDir;
        return false;
    }
    for (const std::string& file : files) {
        if (!CopyWhole(distDir + file, upgradeDir + file)) {
            error = "cannot copy " + file + " into " + upgradeDir;
            return false;
        }
    }
    std::string offer = "# Published from " + distDir + "\n";
    offer += "softVer=" + release["version"] + "\n";
    offer += "softDownUrl=upgrade/" + package + "\n";
    if (!installer.empty())
        offer += "softHandworkDownUrl=upgrade/" + installer + "\n";
    offer += "updSoftVerV2=" + release["updaterVersion"] + "\n";
    offer += "updSoftDownUrlV2=upgrade/" + updater + "\n";
    offer += "softUpDesc=" + release["description"] + "\n";
    offer += "softUpDate=" + release["date"] + "\n";
    if (!platform::WriteWholeFile(root + "upgrade.txt.tmp", offer) ||
        !platform::RenamePath(root + "upgrade.txt.tmp", root + "upgrade.txt", true)) {
        error = "cannot write " + root + "upgrade.txt";
        return false;
    }
    return true;
}

}  // namespace vt::server
