// tessel-sign: the release key's tool for the build machine.
//   tessel-sign new-key KEY.pem PUBLIC.txt
//   tessel-sign public-key KEY.pem
//   tessel-sign sign KEY.pem PACKAGE [SIGNATURE]
//   tessel-sign verify PUBLIC.txt PACKAGE [SIGNATURE]
// SIGNATURE defaults to PACKAGE + ".sig". Exit status: 0 done (verify: the
// package is genuine), 1 failure, 2 usage.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "refitter/release_package.h"
#include "release_signing.h"

namespace {

const char kUsage[] =
    "usage: tessel-sign new-key KEY.pem PUBLIC.txt\n"
    "       tessel-sign public-key KEY.pem\n"
    "       tessel-sign sign KEY.pem PACKAGE [SIGNATURE]\n"
    "       tessel-sign verify PUBLIC.txt PACKAGE [SIGNATURE]\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "tessel-sign: %s\n", message.c_str());
    return 1;
}

const char* VerdictText(vt::refitter::PackageVerdict verdict) {
    using vt::refitter::PackageVerdict;
    switch (verdict) {
        case PackageVerdict::kGenuine:
            return "genuine";
        case PackageVerdict::kNoSignature:
            return "no signature";
        case PackageVerdict::kMalformedSignature:
            return "not a signature file";
        case PackageVerdict::kOtherKey:
            return "signed with another key";
        case PackageVerdict::kBadSignature:
            return "signature does not match the package";
        default:
            return "package unreadable";
    }
}

bool LoadKey(const std::string& path, vt::sign::SigningKey& key) {
    if (key.Load(path))
        return true;
    std::fprintf(stderr, "tessel-sign: %s is not a P-256 private key\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return std::fputs(kUsage, stderr), 2;
    const std::string& command = args[0];
    if (command == "new-key" && args.size() == 3) {
        vt::sign::SigningKey key;
        if (!key.Generate() || !key.Save(args[1]))
            return Fail("cannot write a new key to " + args[1] + " (it must not exist yet)");
        if (!vt::platform::WriteWholeFile(args[2], vt::refitter::PublicKeyText(key.PublicKey())))
            return Fail("cannot write " + args[2]);
        std::printf("key id %s\n", vt::refitter::KeyId(key.PublicKey()).c_str());
        return 0;
    }
    if (command == "public-key" && args.size() == 2) {
        vt::sign::SigningKey key;
        if (!LoadKey(args[1], key))
            return 1;
        std::fputs(vt::refitter::PublicKeyText(key.PublicKey()).c_str(), stdout);
        return 0;
    }
    if (command == "sign" && (args.size() == 3 || args.size() == 4)) {
        vt::sign::SigningKey key;
        if (!LoadKey(args[1], key))
            return 1;
        const std::string signature = args.size() == 4 ? args[3] : args[2] + ".sig";
        if (!vt::sign::SignFile(key, args[2], signature))
            return Fail("cannot sign " + args[2] + " into " + signature);
        return 0;
    }
    if (command == "verify" && (args.size() == 3 || args.size() == 4)) {
        std::string text;
        vt::platform::P256PublicKey publicKey{};
        if (!vt::platform::ReadWholeFile(args[1], text) ||
            !vt::refitter::ParsePublicKeyText(text, publicKey))
            return Fail(args[1] + " is not a public key file");
        const std::string signature = args.size() == 4 ? args[3] : args[2] + ".sig";
        const auto verdict = vt::refitter::VerifyPackage(args[2], signature, publicKey);
        std::printf("%s\n", VerdictText(verdict));
        return verdict == vt::refitter::PackageVerdict::kGenuine ? 0 : 1;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
