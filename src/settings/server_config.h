// Where the servers are: "servers.ini" next to the program, section "Servers",
// keys "Catalogue", "Upgrade" and "Forum", each a scheme, host and optional
// port ("http://127.0.0.1:8080"). The paths on each server are fixed by the
// callers; only the hosts are configuration.
#pragma once

#include <string>

namespace vt::settings {

struct ServerConfig {
    std::string catalogue;  // pages, catalogue, archives and the form interfaces
    std::string upgrade;    // the self-upgrade exchange and packages
    std::string forum;      // the forum page of the help menu
};

// The build's defaults, used for every key that servers.ini does not set.
ServerConfig DefaultServerConfig();

// Reads ProgramDir + "servers.ini" (programDir with its trailing backslash).
// A value loses trailing "/" so that callers append paths starting with "/";
// an empty value or one without "://" keeps the default.
ServerConfig LoadServerConfig(const std::string& programDir);

}  // namespace vt::settings
