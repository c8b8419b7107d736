// Whole-process extraction of (a) 5,000 small deflated files and (b) 20
// files of 5 MB: this project's extractor, a minimal zlib extractor, libzip,
// Info-ZIP unzip and bsdtar, each a program of its own started the same way
// (posix_spawn, no shell) into an empty directory and timed to its exit. The
// runs take turns so that every extractor meets the machine in the same
// state; each figure is the median of the runs with its spread.
//   archive_bench [--runs N]
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "platform/files.h"
#include "platform/system.h"

extern char** environ;

namespace {

using namespace vt;
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

// Runs the program to its exit; false when it could not start or failed.
bool RunProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Extractor {
    const char* name;
    // The command line for an archive and a target directory.
    std::vector<std::string> (*command)(const std::string& archive, const std::string& out);
};

std::string Program(const char* name) {
    return std::string(BENCH_BIN_DIR) + "/" + name;
}

const Extractor kExtractors[] = {
    {"tessel",
     [](const std::string& a, const std::string& o) {
         return std::vector<std::string>{Program("archive_extract_tessel"), a, o};
     }},
    {"zlib",
     [](const std::string& a, const std::string& o) {
         return std::vector<std::string>{Program("archive_extract_zlib"), a, o};
     }},
    {"libzip",
     [](const std::string& a, const std::string& o) {
         return std::vector<std::string>{Program("archive_extract_libzip"), a, o};
     }},
    {"unzip",
     [](const std::string& a, const std::string& o) {
         return std::vector<std::string>{"unzip", "-q", "-o", a, "-d", o};
     }},
    {"bsdtar",
     [](const std::string& a, const std::string& o) {
         return std::vector<std::string>{"bsdtar", "-xf", a, "-C", o};
     }},
};
constexpr size_t kCount = sizeof kExtractors / sizeof kExtractors[0];

void Compare(const char* title, const char* shape, const std::string& archive,
             const std::string& out, int runs, bool libzipGoal) {
    const std::string nativeArchive = Native(archive), nativeOut = Native(out);
    std::vector<double> seconds[kCount];
    bool failed[kCount] = {};
    for (int run = 0; run < runs; ++run) {
        for (size_t i = 0; i < kCount; ++i) {
            platform::RemoveTree(out);
            platform::MakeDirectory(out);
            const auto command = kExtractors[i].command(nativeArchive, nativeOut);
            const auto start = std::chrono::steady_clock::now();
            failed[i] = !RunProgram(command) || failed[i];
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            seconds[i].push_back(took.count());
        }
    }
    platform::RemoveTree(out);
    std::printf("%s, median of %d runs [min-max]\n", title, runs);
    for (size_t i = 0; i < kCount; ++i) {
        std::printf("  %-8s %s%s\n", kExtractors[i].name,
                    bench::Milliseconds(bench::SpreadOf(seconds[i])).c_str(),
                    failed[i] ? "  (FAILED)" : "");
    }
    const std::string prefix = std::string("extract ") + shape + ": tessel / ";
    bench::PrintRatio(prefix + "zlib", bench::Ratios(seconds[0], seconds[1]), 1.1);
    bench::PrintRatio(prefix + "libzip", bench::Ratios(seconds[0], seconds[2]),
                      libzipGoal ? 1.0 : 0);
    bench::PrintRatio(prefix + "unzip", bench::Ratios(seconds[0], seconds[3]));
    bench::PrintRatio(prefix + "bsdtar", bench::Ratios(seconds[0], seconds[4]), 0.9);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::RunsOption(argc, argv);
    // Memory-backed by default (TMPDIR chooses): on a disk the figures
    // measure the disk more than the extractors.
    std::string base = platform::GetEnv("TMPDIR");
    if (base.empty())
        base = platform::IsDirectory("/dev/shm") ? "/dev/shm" : "/tmp";
    const std::string work = base + "\\tessel-archive-bench";
    platform::RemoveTree(work);
    platform::MakeDirectory(work);
    if (!MakeArchive(work + "\\small", work + "\\small.zip", true) ||
        !MakeArchive(work + "\\large", work + "\\large.zip", false)) {
        std::fprintf(stderr, "cannot build the archives (is Info-ZIP zip installed?)\n");
        return 1;
    }
    Compare("(a) 5,000 small deflated files", "small", work + "\\small.zip", work + "\\out", runs,
            true);
    Compare("(b) 20 files of 5 MB", "large", work + "\\large.zip", work + "\\out", runs, false);
    platform::RemoveTree(work);
    return 0;
}
