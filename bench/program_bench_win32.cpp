// VaelTessel.exe as a player starts it: the time from the process's start to
// the main window shown (the 2-second splash included; goal: within a
// budget of 2.5 s) and to the splash shown, then the idle program with the
// list shown and the window hidden in the tray, in samples of 10 s: its CPU
// (goal: under 1 % of one core) and its working set. Each figure is the
// median of the runs (default 5: starts, and idle samples of one program)
// with its spread. The program runs from a directory of its own with a game
// directory of two addons; its servers are a closed loopback port, so
// nothing waits on a network.
//   program_bench [--runs N] [PROGRAM_EXE]   (default: VaelTessel.exe beside this program)
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "platform/files.h"
#include "platform/system.h"
#include "program_driver.h"
#include "support/gui_win32.h"
#include "timed_loop_win32.h"

namespace {

using namespace vt::test;

constexpr double kStartBudgetMs = 2500;
constexpr DWORD kIdleSampleMs = 10000;
constexpr double kIdleBudgetPercent = 1;

std::string Directory(const std::string& path) {
    return path.substr(0, path.find_last_of('\\') + 1);
}

void WriteText(const std::string& path, const std::string& text) {
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

// A program directory with the program, servers on a closed port and a game
// path to a game directory with two addons; its path to the copy.
std::string PrepareProgram(const std::string& exe, const std::string& work) {
    const std::string program = work + "program\\";
    const std::string game = work + "game\\";
    for (const std::string& dir :
         {work, program, game, game + "Interface\\", game + "Interface\\Addons\\",
          game + "Interface\\Addons\\MyNotes\\", game + "Interface\\Addons\\RaidTimers\\"})
        vt::platform::MakeDirectory(dir);
    CopyFileTo(exe, program + "VaelTessel.exe");
    WriteText(program + "servers.ini",
              "[Servers]\r\nCatalogue=http://127.0.0.1:9\r\nUpgrade=http://127.0.0.1:9\r\n"
              "Forum=http://127.0.0.1:9\r\n");
    WriteText(game + "vaelpatchchinese.exe", "");
    WriteText(program + "config", "[Setting]\r\nGamePath=" + game + "vaelpatchchinese.exe\r\n");
    return program + "VaelTessel.exe";
}

bool CloseProgram(ProgramProcess& program) {
    if (HWND main = MainWindow(program.Pid()))
        ::PostMessageA(main, WM_CLOSE, 0, 0);
    if (program.WaitForExit(20000))
        return true;
    program.Kill();
    return false;
}

// Milliseconds of CPU (user and kernel) a process has used, as the system
// counts it.
double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return -1;
    const auto ms = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

std::string ReadWhole(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            text.append(chunk, got);
        std::fclose(file);
    }
    return text;
}

// Under wine the program is also a process of the host, whose /proc entry
// counts its CPU (wine reports none for other processes): the entry whose
// command line holds mark. Empty when there is no such entry (Windows).
std::string HostProcEntry(const std::string& mark) {
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    std::string entry;
    do {
        const std::string name = found.cFileName;
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string dir = "Z:\\proc\\" + name + "\\";
        if (ReadWhole(dir + "cmdline").find(mark) != std::string::npos) {
            entry = dir;
            break;
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return entry;
}

// Milliseconds of CPU from a host /proc entry (user and system time, in
// clock ticks of 10 ms); -1 when unreadable.
double HostCpuMs(const std::string& entry) {
    const std::string stat = ReadWhole(entry + "stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    unsigned long long user = 0, system = 0;
    // After the name: state, then fields 4 to 13, then utime and stime.
    if (std::sscanf(stat.c_str() + close + 2,
                    "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system) != 2)
        return -1;
    return static_cast<double>(user + system) * 10.0;
}

// The program to measure: the argument that is no option, else the one
// beside this program.
std::string ProgramOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            ++i;
        else
            return WindowsPath(argv[i]);
    }
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    return Directory(self) + TESSEL_PROGRAM_EXE;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = vt::bench::RunsOption(argc, argv);
    const std::string exe = ProgramOption(argc, argv);
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string work =
        std::string(temp) + "program-bench-" + std::to_string(::GetCurrentProcessId()) + "\\";
    const std::string program = PrepareProgram(exe, work);
    using vt::bench::Figure;
    using vt::bench::SpreadOf;

    // Start-up: process start to main window shown.
    std::vector<double> starts, splashes;
    for (int run = 0; run < runs; ++run) {
        ProgramProcess process;
        const double begun = vt::bench::NowMs();
        if (!process.Start(program)) {
            std::fprintf(stderr, "program_bench: cannot start %s\n", program.c_str());
            return 1;
        }
        const DWORD pid = process.Pid();
        if (WaitFor([&] { return SplashWindow(pid) != nullptr; }, 30000))
            splashes.push_back(vt::bench::NowMs() - begun);
        if (!WaitFor([&] { return IsShown(MainWindow(pid)) && SplashWindow(pid) == nullptr; },
                     30000)) {
            std::fprintf(stderr, "program_bench: no main window\n");
            return 1;
        }
        starts.push_back(vt::bench::NowMs() - begun);
        CloseProgram(process);
    }
    std::printf("program start, median of %d runs [min-max]\n", runs);
    std::printf("  to the main window shown (2 s splash included) %s\n",
                Figure(SpreadOf(starts), "ms", 1, 0).c_str());
    if (splashes.size() == starts.size())
        std::printf("  to the splash shown                            %s\n",
                    Figure(SpreadOf(splashes), "ms", 1, 0).c_str());
    else
        std::printf("  to the splash shown: seen in %zu of %d runs\n", splashes.size(), runs);
    vt::bench::PrintRatio("program start to main window / 2500 ms budget",
                          vt::bench::Shares(starts, kStartBudgetMs), 1);

    // Idle: the list shown, the window hidden in the tray.
    ProgramProcess process;
    if (!process.Start(program))
        return 1;
    const DWORD pid = process.Pid();
    HWND main = nullptr;
    const bool listed = WaitFor(
        [&] {
            main = MainWindow(pid);
            return IsShown(main) && PanelView(main) == "list";
        },
        60000);
    if (!listed) {
        std::fprintf(stderr, "program_bench: the list did not show (view %s)\n",
                     main ? PanelView(main).c_str() : "none");
        return 1;
    }
    ::PostMessageA(main, WM_COMMAND, kMainClose, 0);
    WaitFor([&] { return !IsShown(main); }, 10000);
    // Let the start-up's workers finish before measuring.
    ::Sleep(3000);
    HANDLE handle = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    const std::string host =
        HostProcEntry("program-bench-" + std::to_string(::GetCurrentProcessId()));
    const auto cpu = [&] { return host.empty() ? CpuMs(handle) : HostCpuMs(host); };
    std::printf("idle in the tray, CPU counted by %s (%.0f ms used from the start to the idle)\n",
                host.empty() ? "the system" : "the host's /proc entry", cpu());
    std::vector<double> percents, workingSets;
    double peakSet = 0;
    for (int run = 0; run < runs; ++run) {
        const double before = cpu();
        const double begun = vt::bench::NowMs();
        ::Sleep(kIdleSampleMs);
        const double after = cpu();
        const double elapsed = vt::bench::NowMs() - begun;
        if (before >= 0 && after >= 0)
            percents.push_back(100.0 * (after - before) / elapsed);
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (::GetProcessMemoryInfo(handle, &memory, sizeof memory)) {
            workingSets.push_back(memory.WorkingSetSize / 1048576.0);
            peakSet = memory.PeakWorkingSetSize / 1048576.0;
        }
    }
    std::printf("  %d samples of %.0f s, median [min-max]\n", runs, kIdleSampleMs / 1000.0);
    std::printf("  CPU          %s of one core\n", Figure(SpreadOf(percents), "%", 1).c_str());
    if (!workingSets.empty())
        std::printf("  working set  %s (peak %.1f MB)\n",
                    Figure(SpreadOf(workingSets), "MB", 1, 1).c_str(), peakSet);
    else
        std::printf("  working set: not reported\n");
    vt::bench::PrintRatio("idle CPU in the tray / 1 % of one core",
                          vt::bench::Shares(percents, kIdleBudgetPercent), 1);
    ::CloseHandle(handle);
    CloseProgram(process);
    vt::platform::RemoveTree(work);
    return percents.size() == static_cast<size_t>(runs) ? 0 : 1;
}
