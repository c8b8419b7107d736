// A small zip writer for the demo catalogue: stored or deflated members with
// correct CRCs, built in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vt::server {

struct ZipMember {
    std::string name;  // stored as given; folders end in "/"
    std::string data;
    bool deflate = true;
};

// The whole archive. dosTime/dosDate are stamped on every member.
std::string BuildZip(const std::vector<ZipMember>& members, uint16_t dosTime = 0x6000,
                     uint16_t dosDate = 0x5A21);

}  // namespace vt::server
