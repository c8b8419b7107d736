// Hostile replies of the upgrade server: the marker and ciphertext test, the
// fields of a decrypted reply, and the numbers read from them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "upgrade/version_exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string key = "ptmn%#*mhq789!(";
    std::string plain;
    vt::upgrade::DecodeVersionReply(text, key, "3C4D1A2B", plain);
    vt::upgrade::DecodeVersionReply("bingo" + text, key, "3C4D1A2B", plain);
    const vt::upgrade::VersionReply reply = vt::upgrade::ParseVersionReply(text);
    vt::upgrade::TextToInt(vt::upgrade::ReplyValue(reply, "softVer"));
    vt::upgrade::ParseVersionReply(plain);
    return 0;
}
