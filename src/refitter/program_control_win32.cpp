#include "refitter/program_control_win32.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/process.h"
#include "platform/shared_memory.h"
#include "platform/system.h"

namespace vt::refitter {

namespace {

constexpr unsigned kPollMs = 100;

// Owns a process handle.
class ProcessHandle {
  public:
    explicit ProcessHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~ProcessHandle() {
        if (handle_)
            CloseHandle(handle_);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The file name of the process's executable; empty when it cannot be asked.
std::string ImageName(HANDLE process) {
    char path[MAX_PATH * 2];
    DWORD size = sizeof path;
    if (!QueryFullProcessImageNameA(process, 0, path, &size))
        return {};
    const std::string full(path, size);
    const size_t separator = full.find_last_of("\\/");
    return separator == std::string::npos ? full : full.substr(separator + 1);
}

}  // namespace

WindowsProgramControl::WindowsProgramControl(std::string instanceRecord, std::string exeName)
    : instanceRecord_(std::move(instanceRecord)), exeName_(std::move(exeName)) {}

ProgramControl::EndResult WindowsProgramControl::EndProgram(uint32_t window, unsigned message,
                                                            int timeoutMs) {
    HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
    DWORD processId = 0;
    if (!IsWindow(hwnd) || !GetWindowThreadProcessId(hwnd, &processId))
        return EndResult::kNoWindow;
    // The process is held before the message goes, so its end cannot be missed.
    ProcessHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (process.get()) {
        // A record naming another program's window gets no message.
        const std::string image = ImageName(process.get());
        if (!image.empty() && Upper(image) != Upper(exeName_))
            return EndResult::kNoWindow;
    }
    if (!PostMessageA(hwnd, message, 0, 0))
        return IsWindow(hwnd) ? EndResult::kTimedOut : EndResult::kNoWindow;
    if (process.get())
        return WaitForSingleObject(process.get(), static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0
                   ? EndResult::kEnded
                   : EndResult::kTimedOut;
    // Without a handle: the window and the program's record must both go.
    const uint64_t deadline = platform::TickCountMs() + static_cast<uint64_t>(timeoutMs);
    while (IsWindow(hwnd) || ProgramRunning()) {
        if (platform::TickCountMs() >= deadline)
            return EndResult::kTimedOut;
        platform::SleepMs(kPollMs);
    }
    return EndResult::kEnded;
}

bool WindowsProgramControl::ProgramRunning() {
    return platform::SharedMemory::Exists(instanceRecord_);
}

ProgramControl::WatchResult WindowsProgramControl::StartAndWatch(const std::string& exePath,
                                                                 const std::string& dir,
                                                                 int timeoutMs) {
    std::string commandLine = "\"" + exePath + "\"";
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &startup, &info))
        return WatchResult::kNotStarted;
    CloseHandle(info.hThread);
    ProcessHandle process(info.hProcess);
    const uint64_t deadline = platform::TickCountMs() + static_cast<uint64_t>(timeoutMs);
    for (;;) {
        if (WaitForSingleObject(process.get(), kPollMs) == WAIT_OBJECT_0)
            return WatchResult::kExited;
        if (ProgramRunning())
            return WatchResult::kCameUp;
        if (platform::TickCountMs() >= deadline) {
            // A program that never comes up must end before its files can go back.
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
            return WatchResult::kTimedOut;
        }
    }
}

bool WindowsProgramControl::Start(const std::string& exePath, const std::string& dir) {
    return platform::StartProcess(exePath, "\"" + exePath + "\"", dir);
}

}  // namespace vt::refitter
