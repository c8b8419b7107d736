// What the updater reads from others before it acts: the module's record
// (any bytes of a shared block), its command line, and signature and public
// key files downloaded or named by an operator.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "refitter/offer_block.h"
#include "refitter/release_package.h"
#include "refitter/replace_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The record as it lies in the block: the input, zero-filled to its size.
    std::vector<uint8_t> block(data, data + size);
    if (block.size() < vt::upgrade::kUpgradeInfoBlockSize)
        block.resize(vt::upgrade::kUpgradeInfoBlockSize, 0);
    vt::refitter::UpdateOffer offer;
    vt::refitter::ReadOfferBlock(block.data(), block.size(), offer);
    vt::refitter::ReadOfferBlock(data, size, offer);

    const std::string text(reinterpret_cast<const char*>(data), size);
    vt::refitter::LaunchLine line;
    vt::refitter::ParseLaunchLine(text, line);
    std::string keyId;
    vt::platform::P256Signature signature{};
    vt::refitter::ParseSignatureFile(text, keyId, signature);
    vt::platform::P256PublicKey key{};
    vt::refitter::ParsePublicKeyText(text, key);
    vt::refitter::IsSafeRelativeName(text);
    return 0;
}
