#include "refitter/release_package.h"

#include <algorithm>
#include <cctype>

#include "cipher/hex_text.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "refitter/offer_block.h"
#include "refitter/replace_journal.h"

namespace vt::refitter {

namespace {

constexpr char kSignatureTag[] = "vaeltessel-release-signature";
constexpr size_t kMaxSignatureFile = 1024;

std::string Hex(const uint8_t* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

bool FromHex(const std::string& text, uint8_t* bytes, size_t size) {
    if (text.size() != 2 * size)
        return false;
    for (size_t i = 0; i < size; ++i) {
        const int high = cipher::HexDigitValue(text[2 * i]);
        const int low = cipher::HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return true;
}

std::string Trimmed(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return {};
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Every file below dir, relative to it.
void ListTree(const std::string& dir, const std::string& prefix, std::vector<std::string>& out) {
    for (const std::string& file : platform::ListFiles(dir + prefix))
        out.push_back(prefix + file);
    for (const std::string& sub : platform::ListSubdirectories(dir + prefix))
        ListTree(dir, prefix + sub + "\\", out);
}

bool IsReserved(const std::string& name) {
    static const char* const kReserved[] = {
        "REFITTER.EXE", "REFITTERVER.INI", "IMAGERES", "REFITTERWORK", "REFITTER.EXETMP", "CONFIG",
        "VER.INI",      "SERVERS.INI",     "DOWNLOAD", "MANAGER.LOCK", "UNINSTALL.EXE",
    };
    const std::string top = Upper(name.substr(0, name.find('\\')));
    return std::find(std::begin(kReserved), std::end(kReserved), top) != std::end(kReserved);
}

}  // namespace

std::string KeyId(const platform::P256PublicKey& key) {
    platform::Sha256 hash;
    platform::Sha256Digest digest{};
    if (!hash.Update(key.data(), key.size()) || !hash.Finish(digest))
        return {};
    return Hex(digest.data(), 8);
}

bool ParsePublicKeyText(const std::string& text, platform::P256PublicKey& key) {
    platform::P256PublicKey parsed{};
    if (!FromHex(Trimmed(text), parsed.data(), parsed.size()) || parsed[0] != 0x04)
        return false;
    key = parsed;
    return true;
}

std::string PublicKeyText(const platform::P256PublicKey& key) {
    return Hex(key.data(), key.size()) + "\n";
}

std::string SignatureFileText(const std::string& keyId, const platform::P256Signature& signature) {
    return std::string(kSignatureTag) + " 1 " + keyId + " " +
           Hex(signature.data(), signature.size()) + "\n";
}

bool ParseSignatureFile(const std::string& text, std::string& keyId,
                        platform::P256Signature& signature) {
    if (text.size() > kMaxSignatureFile)
        return false;
    const std::string line = Trimmed(text);
    const std::string head = std::string(kSignatureTag) + " 1 ";
    if (line.rfind(head, 0) != 0)
        return false;
    const std::string rest = line.substr(head.size());
    const size_t blank = rest.find(' ');
    if (blank != 16)
        return false;
    uint8_t id[8];
    platform::P256Signature parsed{};
    if (!FromHex(rest.substr(0, 16), id, sizeof id) ||
        !FromHex(rest.substr(17), parsed.data(), parsed.size()))
        return false;
    keyId = Hex(id, sizeof id);
    signature = parsed;
    return true;
}

bool Sha256OfFile(const std::string& path, platform::Sha256Digest& digest) {
    platform::File file;
    if (!file.Open(path, platform::File::Mode::kRead))
        return false;
    platform::Sha256 hash;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const int64_t got = file.Read(buffer.data(), buffer.size());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (!hash.Update(buffer.data(), static_cast<size_t>(got)))
            return false;
    }
    return hash.Finish(digest);
}

std::string DigestHex(const platform::Sha256Digest& digest) {
    return Hex(digest.data(), digest.size());
}

PackageVerdict VerifyPackage(const std::string& packagePath, const std::string& signaturePath,
                             const platform::P256PublicKey& key,
                             platform::Sha256Digest* digestOut) {
    std::string text;
    const int64_t size = platform::FileSize(signaturePath);
    if (size <= 0)
        return PackageVerdict::kNoSignature;
    if (size > static_cast<int64_t>(kMaxSignatureFile) ||
        !platform::ReadWholeFile(signaturePath, text))
        return PackageVerdict::kMalformedSignature;
    std::string keyId;
    platform::P256Signature signature{};
    if (!ParseSignatureFile(text, keyId, signature))
        return PackageVerdict::kMalformedSignature;
    platform::Sha256Digest digest{};
    if (!Sha256OfFile(packagePath, digest))
        return PackageVerdict::kUnreadable;
    if (digestOut)
        *digestOut = digest;
    if (keyId != KeyId(key))
        return PackageVerdict::kOtherKey;
    switch (platform::VerifyP256Signature(key, digest, signature)) {
        case platform::SignatureCheck::kValid:
            return PackageVerdict::kGenuine;
        case platform::SignatureCheck::kInvalid:
            return PackageVerdict::kBadSignature;
        default:
            return PackageVerdict::kUnreadable;
    }
}

ContentProblem CheckUnpackedPackage(const std::string& dir, const std::string& exeName,
                                    int32_t offeredVersion, int32_t installedVersion,
                                    PackageContents& contents) {
    std::vector<std::string> files;
    ListTree(dir, "", files);
    PackageContents read;
    bool manifest = false;
    bool program = false;
    for (const std::string& name : files) {
        if (!IsSafeRelativeName(name))
            return ContentProblem::kUnsafeName;
        if (Upper(name) == Upper(kManifestName)) {
            manifest = true;
            continue;
        }
        if (IsReserved(name))
            return ContentProblem::kReservedName;
        program = program || Upper(name) == Upper(exeName);
        read.files.push_back(name);
    }
    if (manifest) {
        read.version = StrictVersion(
            platform::ReadProfileString(dir + kManifestName, "Release", "version", "", 32));
    }
    if (read.version == 0)
        return ContentProblem::kNoManifest;
    if (read.version != offeredVersion)
        return ContentProblem::kWrongVersion;
    if (installedVersion > 0 && read.version <= installedVersion)
        return ContentProblem::kNotNewer;
    if (!program)
        return ContentProblem::kNoProgram;
    contents = std::move(read);
    return ContentProblem::kContentOk;
}

}  // namespace vt::refitter
