// Where the servers are: "servers.ini" next to the program, section "Servers",
// keys "Catalogue", "Upgrade" and "Forum", each a scheme, host and optional
// port ("http://127.0.0.1:8080"). The paths on each server are fixed by the
// callers; only the hosts are configuration. Section "Download", key
// "ChunkPauseMs", may change the pause after each downloaded chunk for
// servers that allow full speed.
#pragma once

#include <string>
#include <vector>

namespace vt::settings {

// A value of servers.ini that was not used as written.
struct ServerConfigNote {
    std::string key;       // "Catalogue", "Upgrade", "Forum" or "ChunkPauseMs"
    std::string value;     // as written (local code page)
    std::string expected;  // what the key takes: "http://host[:port]", "0..1000"
    std::string used;      // what is used instead; empty: the program's own value
};

struct ServerConfig {
    std::string catalogue;  // pages, catalogue, archives and the form interfaces
    std::string upgrade;    // the self-upgrade exchange and packages
    std::string forum;      // the forum page of the help menu
    // "[Download] ChunkPauseMs" (0 to 1000); -1 when not set, so the
    // program's own pause (10 ms) holds.
    int chunkPauseMs = -1;
    // Each value of servers.ini that was not used as written, for front ends
    // that tell the user.
    std::vector<ServerConfigNote> notes;
};

// The build's defaults, used for every key that servers.ini does not set.
ServerConfig DefaultServerConfig();

// Reads ProgramDir + "servers.ini" (programDir with its trailing backslash).
// A value loses trailing "/" so that callers append paths starting with "/".
// A bare "host[:port]" means "http://host[:port]"; an empty value keeps the
// default silently, anything else that is no "http://host[:port]" keeps it
// with a note.
ServerConfig LoadServerConfig(const std::string& programDir);

}  // namespace vt::settings
