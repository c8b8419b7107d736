// Opens arbitrary bytes as a zip archive from memory and extracts every
// member into a scratch directory, by name and to memory. Aborts when
// anything appears beside the target directory.
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "archive/zip_paths.h"
#include "archive/zip_reader.h"
#include "platform/files.h"
#include "platform/system.h"

namespace {

constexpr int kMaxMembers = 64;
constexpr uint32_t kMaxMemberSize = 1 << 20;  // keeps each run small

struct Scratch {
    std::string root;    // holds only the target directory
    std::string target;  // extraction directory

    Scratch() {
        std::string base = vt::platform::GetEnv("TMPDIR");
        if (base.empty())
            base = "/tmp";
        root = base + "\\tessel-zip-fuzz-" + std::to_string(std::random_device()());
        target = root + "\\target";
        vt::platform::MakeDirectory(root);
    }
    ~Scratch() { vt::platform::RemoveTree(root); }
};

void CheckNothingEscaped(const Scratch& scratch) {
    const auto files = vt::platform::ListFiles(scratch.root);
    const auto dirs = vt::platform::ListSubdirectories(scratch.root);
    if (!files.empty() || dirs.size() != 1 || dirs[0] != "target")
        std::abort();
}

void ReadToMemory(vt::archive::HZIP zip, int index) {
    static std::vector<uint8_t> buffer(4096);
    uint64_t total = 0;
    while (total <= kMaxMemberSize) {
        uint32_t got = 0;
        if (vt::archive::UnzipItem(zip, index, buffer.data(), static_cast<uint32_t>(buffer.size()),
                                   vt::archive::kZipTargetMemory, &got) != vt::archive::kZipMore) {
            return;
        }
        if (got == 0 || got > buffer.size())
            std::abort();
        total += got;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Scratch scratch;
    vt::platform::RemoveTree(scratch.target);
    vt::platform::MakeDirectory(scratch.target);
    const std::string saved = vt::platform::GetCurrentDir();
    if (!vt::platform::SetCurrentDir(scratch.target))
        std::abort();
    {
        vt::archive::ZipHandle zip(
            vt::archive::OpenZip(data, static_cast<uint32_t>(size), vt::archive::kZipSourceMemory));
        if (zip) {
            vt::archive::ZipEntry entry;
            if (vt::archive::GetZipItem(zip.get(), -1, &entry) != vt::archive::kZipOk)
                std::abort();
            const int count = entry.index < kMaxMembers ? entry.index : kMaxMembers;
            for (int index = 0; index < count; ++index) {
                if (vt::archive::GetZipItem(zip.get(), index, &entry) != vt::archive::kZipOk)
                    continue;
                if (entry.uncompressedSize > kMaxMemberSize)
                    continue;
                ReadToMemory(zip.get(), index);
                vt::archive::UnzipItem(zip.get(), index, entry.name, 0,
                                       vt::archive::kZipTargetName);
                if (vt::archive::IsSafeMemberName(entry.name))
                    vt::platform::ClearReadOnly(entry.name);
            }
        }
    }
    vt::platform::SetCurrentDir(saved);
    CheckNothingEscaped(scratch);
    return 0;
}
