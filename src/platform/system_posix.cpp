#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "platform/code_page.h"
#include "platform/native_path_posix.h"
#include "platform/system.h"

namespace vt::platform {

void SleepMs(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint64_t TickCountMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

bool StartThread(std::function<void()> work) {
    try {
        std::thread(std::move(work)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

std::string ModulePath() {
    char buffer[PATH_MAX];
    const ssize_t size = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return size > 0 ? FromNativePath(std::string(buffer, static_cast<size_t>(size)))
                    : std::string();
}

std::string GetEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

void SetEnv(const char* name, const std::string& value) {
    if (value.empty()) {
        ::unsetenv(name);
    } else {
        ::setenv(name, value.c_str(), 1);
    }
}

std::string DefaultProgramDirectory() {
    std::string dir = GetEnv("TESSEL_PROGRAM_DIR");
    if (dir.empty())
        dir = GetEnv("HOME") + "/.vaeltessel";
    return FromNativePath(dir);
}

std::string DocumentsFolder() {
    std::string folder = GetEnv("VAEL_DOCUMENTS");
    if (folder.empty()) {
        const std::string home = GetEnv("HOME");
        if (home.empty())
            return std::string();
        folder = home + "/Documents";
    }
    // UTF-8 has no multi-byte character ending in 0x5C, so backslashes here are separators.
    for (char& c : folder) {
        if (c == '\\')
            c = '/';
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return FromNativePath(folder);
}

void DebugOutput(const std::string& text) {
    if (GetEnv("TESSEL_DEBUG").empty())
        return;
    std::fprintf(stderr, "[debug] %s\n", LocalToUtf8(text).c_str());
}

std::vector<std::string> CommandLineArgsUtf8(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

namespace {
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnInterrupt(int) {
    interrupted = true;
}
}  // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The next signal of the same kind gets the default action again.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() {
    return interrupted;
}

}  // namespace vt::platform
