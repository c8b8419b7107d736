// Extraction speed of the zip reader against Info-ZIP unzip, bsdtar and a
// bare inflate-and-write baseline, on (a) 5,000 small deflated files and
// (b) 20 files of 5 MB. Prints the best of several runs and the ratios.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "archive/extract_archive.h"
#include "archive_baseline.h"
#include "platform/files.h"
#include "platform/system.h"

namespace {

using namespace vt;

constexpr int kRuns = 3;

std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string Text(uint32_t seed, size_t size) {
    static const char* const words[] = {
        "local ",  "function ", "addon", "frame:", "SetPoint(",   "end\n",
        "return ", "self.",     "nil",   " = ",    "\"TOPLEFT\"", "-- comment\n",
        "if ",     " then\n",   "0.5",   ", "};
    std::string text;
    while (text.size() < size) {
        seed = seed * 1103515245u + 12345u;
        text += words[(seed >> 16) % 16];
    }
    text.resize(size);
    return text;
}

// Makes the tree under dir and packs it with Info-ZIP zip into archive.
bool MakeArchive(const std::string& dir, const std::string& archive, bool small) {
    platform::MakeDirectory(dir);
    if (small) {
        for (int folder = 0; folder < 50; ++folder) {
            const std::string sub = dir + "\\Addon" + std::to_string(folder);
            platform::MakeDirectory(sub);
            for (int i = 0; i < 100; ++i) {
                const uint32_t seed = static_cast<uint32_t>(folder * 100 + i);
                platform::WriteWholeFile(sub + "\\file" + std::to_string(i) + ".lua",
                                         Text(seed, 500 + seed * 37 % 3500));
            }
        }
    } else {
        for (int i = 0; i < 20; ++i) {
            std::string data = Text(static_cast<uint32_t>(i), 5 << 20);
            uint32_t x = static_cast<uint32_t>(i) + 1;
            for (size_t at = 0; at < data.size(); at += 3) {  // less compressible
                x = x * 1103515245u + 12345u;
                data[at] = static_cast<char>(x >> 24);
            }
            platform::WriteWholeFile(dir + "\\big" + std::to_string(i) + ".bin", data);
        }
    }
    const std::string command =
        "cd '" + Native(dir) + "' && zip -q -r '" + Native(archive) + "' . >/dev/null";
    return std::system(command.c_str()) == 0;
}

// Best time of each extractor; the runs take turns so that every extractor
// meets the file system in the same state.
std::vector<double> BestSeconds(const std::string& out,
                                const std::vector<std::function<void()>>& extractors) {
    std::vector<double> best(extractors.size(), 1e9);
    for (int run = 0; run < kRuns; ++run) {
        for (size_t i = 0; i < extractors.size(); ++i) {
            platform::RemoveTree(out);
            platform::MakeDirectory(out);
            const auto start = std::chrono::steady_clock::now();
            extractors[i]();
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            best[i] = std::min(best[i], took.count());
        }
    }
    platform::RemoveTree(out);
    return best;
}

void Compare(const char* title, const std::string& archive, const std::string& out) {
    const std::string nativeArchive = Native(archive), nativeOut = Native(out);
    const std::vector<double> best = BestSeconds(
        out,
        {[&] {
             if (!vt::archive::ExtractArchive(archive, out).Ok())
                 std::printf("  extraction failed!\n");
         },
         [&] { bench::BaselineExtract(archive, out + "\\"); },
         [&] {
             std::system(("unzip -q -o '" + nativeArchive + "' -d '" + nativeOut + "'").c_str());
         },
         [&] {
             std::system(("bsdtar -xf '" + nativeArchive + "' -C '" + nativeOut + "'").c_str());
         }});
    const double ours = best[0], baseline = best[1], unzip = best[2], bsdtar = best[3];
    std::printf("%s\n", title);
    std::printf("  tessel    %8.3f s\n", ours);
    std::printf("  baseline  %8.3f s   tessel/baseline %.2f (goal <= 1.30)\n", baseline,
                ours / baseline);
    std::printf("  unzip     %8.3f s   tessel/unzip    %.2f\n", unzip, ours / unzip);
    std::printf("  bsdtar    %8.3f s   tessel/bsdtar   %.2f (goal <= 1.00)\n", bsdtar,
                ours / bsdtar);
}

}  // namespace

int main() {
    std::string base = platform::GetEnv("TMPDIR");
    if (base.empty())
        base = "/tmp";
    const std::string work = base + "\\tessel-archive-bench";
    platform::RemoveTree(work);
    platform::MakeDirectory(work);
    if (!MakeArchive(work + "\\small", work + "\\small.zip", true) ||
        !MakeArchive(work + "\\large", work + "\\large.zip", false)) {
        std::fprintf(stderr, "cannot build the archives (is Info-ZIP zip installed?)\n");
        return 1;
    }
    std::printf("best of %d runs each\n", kRuns);
    Compare("(a) 5,000 small deflated files", work + "\\small.zip", work + "\\out");
    Compare("(b) 20 files of 5 MB", work + "\\large.zip", work + "\\out");
    platform::RemoveTree(work);
    return 0;
}
