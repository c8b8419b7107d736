// The version file reader over arbitrary bytes: both lookups must agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "addons/version_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vt::addons::VersionHeaders both = vt::addons::ParseVersionHeaders(text);
    if (both.updateVer != vt::addons::FindVersionHeader(text, "X-Tessel-UpdateVer"))
        std::abort();
    if (both.projectName != vt::addons::FindVersionHeader(text, "X-Tessel-Project-Name"))
        std::abort();
    return 0;
}
