// The upgrade server's answer: upgrade.txt in the catalogue directory holds
// "name=value" lines (UTF-8) for the reply fields of the version check, and
// optionally "code" (default 100), so that a test server can refuse.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vt::server {

// The reply fields in the order they are sent.
extern const char* const kUpgradeFields[7];

using UpgradeConfig = std::vector<std::pair<std::string, std::string>>;

// Reads upgrade.txt text; unknown names and lines without "=" are skipped.
UpgradeConfig ParseUpgradeConfig(const std::string& text);

// The reply form for the version check: "code=" + the configured code (100
// when none) and the configured fields,
// values percent-encoded. URLs without a scheme are taken relative to
// publicUrl. The description is shortened until token, form and NUL fit in
// maxPlainBytes (the client decrypts at most 4096 bytes).
std::string BuildUpgradeReply(const UpgradeConfig& config, const std::string& publicUrl,
                              size_t maxPlainBytes);

// Publishes a build made by scripts/package.sh: copies the release package,
// its signature, the installer (when there) and the updater archive named in
// distDir's "release.txt" into root's "upgrade" folder, then replaces
// root's "upgrade.txt" with an offer of them (version, package, manual
// download, updater version and archive, date, description). The offer is
// written last and whole, so no client sees it before its files. False with
// a reason in error when a file is missing, misnamed or cannot be written.
bool PublishBuild(const std::string& root, const std::string& distDir, std::string& error);

}  // namespace vt::server
