// Release packages: a zip of the program's files with a manifest
// ("release.ini", [Release] version=N), and a detached signature file made
// with the release key. The updater installs nothing whose signature does not
// verify against the public key built into it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/signature.h"

namespace vt::refitter {

// The manifest's name inside a package; it is read, never installed.
inline constexpr char kManifestName[] = "release.ini";

// A key's short name: the first 8 bytes of SHA-256 over its 65 bytes, as 16
// lower-case hexadecimal digits. Signature files carry it, so a package
// signed with another key is told apart from a damaged one.
std::string KeyId(const platform::P256PublicKey& key);

// The public key file: the 65-byte point as 130 hexadecimal digits, blanks
// and line ends around it allowed. False for anything else.
bool ParsePublicKeyText(const std::string& text, platform::P256PublicKey& key);
std::string PublicKeyText(const platform::P256PublicKey& key);

// The signature file: one line
//   "vaeltessel-release-signature 1 KEYID R||S"
// with the key id (16 hex digits) and r and s (128 hex digits).
std::string SignatureFileText(const std::string& keyId, const platform::P256Signature& signature);
bool ParseSignatureFile(const std::string& text, std::string& keyId,
                        platform::P256Signature& signature);

// SHA-256 of a whole file; false when it cannot be read.
bool Sha256OfFile(const std::string& path, platform::Sha256Digest& digest);
std::string DigestHex(const platform::Sha256Digest& digest);

enum class PackageVerdict {
    kGenuine,             // signed by the key, over exactly these bytes
    kNoSignature,         // the signature file is missing or empty
    kMalformedSignature,  // it is not a signature file
    kOtherKey,            // it names another key
    kBadSignature,        // it does not verify: the package or signature was changed
    kUnreadable,          // the package cannot be read, or the system refused the check
};

// Checks the package at packagePath against the signature file at
// signaturePath and key. digest (when given) receives the package's SHA-256.
PackageVerdict VerifyPackage(const std::string& packagePath, const std::string& signaturePath,
                             const platform::P256PublicKey& key,
                             platform::Sha256Digest* digest = nullptr);

// Why an unpacked package cannot be installed.
enum class ContentProblem {
    kContentOk,
    kNoManifest,    // no release.ini with a version
    kWrongVersion,  // its version is not the one offered
    kNotNewer,      // its version is not above the installed program's
    kNoProgram,     // the program's executable is not in it
    kReservedName,  // it would replace the updater's or the user's own files
    kUnsafeName,    // a name that is not a plain relative path
};

// What a package installs.
struct PackageContents {
    int32_t version = 0;
    std::vector<std::string> files;  // relative, "\\" between folders; the manifest left out
};

// Checks the package unpacked at dir (trailing separator): its manifest names
// offeredVersion, which is above installedVersion (0: not known, not
// compared), it holds exeName, and none of its files is one the updater or
// the user keeps in the program directory (the updater's own files and
// folders, "config", "ver.ini", "servers.ini", "Download", "manager.lock",
// the uninstaller).
ContentProblem CheckUnpackedPackage(const std::string& dir, const std::string& exeName,
                                    int32_t offeredVersion, int32_t installedVersion,
                                    PackageContents& contents);

}  // namespace vt::refitter
