#include "program_driver.h"

#include <commctrl.h>

#include <algorithm>

#include "support/gui_win32.h"

namespace vt::test {

namespace {

struct Search {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && (!search->visibleOnly || ::IsWindowVisible(window)))
        search->found.push_back(window);
    return TRUE;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

bool HasSize(HWND window, int width, int height) {
    const SIZE size = WindowSize(window);
    return size.cx == width && size.cy == height;
}

HWND FirstVisible(DWORD pid, const std::function<bool(HWND)>& matches) {
    for (HWND window : VisibleWindows(pid)) {
        if (matches(window))
            return window;
    }
    return nullptr;
}

}  // namespace

ProgramProcess::~ProgramProcess() {
    if (Running())
        Kill();
    if (process_ != nullptr)
        ::CloseHandle(process_);
}

bool ProgramProcess::Start(const std::string& exe) {
    const std::string dir = exe.substr(0, exe.find_last_of('\\'));
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          dir.c_str(), &startup, &info))
        return false;
    ::CloseHandle(info.hThread);
    if (process_ != nullptr)
        ::CloseHandle(process_);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
}

bool ProgramProcess::Running() const {
    return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ProgramProcess::WaitForExit(int timeoutMs) {
    return process_ == nullptr ||
           ::WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

DWORD ProgramProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_ != nullptr)
        ::GetExitCodeProcess(process_, &code);
    return code;
}

void ProgramProcess::Kill() {
    if (process_ == nullptr)
        return;
    ::TerminateProcess(process_, 9);
    ::WaitForSingleObject(process_, 10000);
}

std::vector<HWND> VisibleWindows(DWORD pid) {
    Search search{pid, true, {}};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> AllWindows(DWORD pid) {
    Search search{pid, false, {}};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND MainWindow(DWORD pid) {
    for (HWND window : AllWindows(pid)) {
        const HWND list = ::GetDlgItem(window, 1011);
        if (list != nullptr && ClassOf(list) == "SysListView32")
            return window;
    }
    return nullptr;
}

HWND SplashWindow(DWORD pid) {
    return FirstVisible(pid, [](HWND window) {
        return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    });
}

HWND MessageBoxWindow(DWORD pid) {
    return FirstVisible(pid, [](HWND window) {
        return ::GetDlgItem(window, IDOK) != nullptr && HasSize(window, 347, 211);
    });
}

HWND PathDialogWindow(DWORD pid) {
    return FirstVisible(pid, [](HWND window) {
        const HWND edit = ::GetDlgItem(window, 1002);
        return edit != nullptr && ClassOf(edit) == "Edit" && HasSize(window, 406, 190);
    });
}

HWND AboutWindow(DWORD pid) {
    return FirstVisible(pid, [](HWND window) { return HasSize(window, 348, 215); });
}

HWND WebPopupWindow(DWORD pid) {
    return FirstVisible(pid, [](HWND window) {
        return ::GetDlgItem(window, 1002) != nullptr && ::GetDlgItem(window, 1012) != nullptr &&
               HasSize(window, 589, 381);
    });
}

HWND FileDialogWindow(DWORD pid) {
    return FirstVisible(pid, [](HWND window) {
        // The explorer-style dialog's file name box and its type list.
        return ClassOf(window) == "#32770" && ::GetDlgItem(window, 0x470) != nullptr &&
               (::GetDlgItem(window, 0x47C) != nullptr || ::GetDlgItem(window, 0x480) != nullptr);
    });
}

HWND MenuWindow() {
    const HWND menu = ::FindWindowA("#32768", nullptr);
    return menu != nullptr && ::IsWindowVisible(menu) ? menu : nullptr;
}

bool IsShown(HWND window) {
    return window != nullptr && ::IsWindowVisible(window);
}

bool IsShown(HWND dialog, int id) {
    return IsShown(::GetDlgItem(dialog, id));
}

bool IsEnabled(HWND dialog, int id) {
    const HWND control = ::GetDlgItem(dialog, id);
    return control != nullptr && ::IsWindowEnabled(control);
}

SIZE WindowSize(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

std::string ControlText(HWND dialog, int id) {
    char text[1024] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void ClickControl(HWND dialog, int id) {
    const HWND control = ::GetDlgItem(dialog, id);
    RECT rect{};
    ::GetClientRect(control, &rect);
    ClickClient(control, rect.right / 2, rect.bottom / 2);
}

void ClickClient(HWND window, int x, int y) {
    // A window just shown may not be where the pointer finds it yet.
    const POINT point = ClientToScreenPoint(window, x, y);
    WaitFor([&] { return ::WindowFromPoint(point) == window; }, 5000);
    ClickAt(window, x, y);
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    return PumpUntil(done, timeoutMs);
}

HWND WaitForWindow(const std::function<HWND()>& find, int timeoutMs) {
    HWND found = nullptr;
    PumpUntil([&] { return (found = find()) != nullptr; }, timeoutMs);
    return found;
}

bool Screenshot(HWND window, const std::string& name) {
    // The other process paints on its own time: ask for a repaint and wait
    // for it to be done (UpdateWindow returns once WM_PAINT was handled).
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    return CaptureWindow(window, name);
}

std::string PanelView(HWND main) {
    const bool list = IsShown(main, kMainList), loading = IsShown(main, 1019);
    const bool noPath = IsShown(main, 1017), noAddons = IsShown(main, 1018);
    if (list + loading + noPath + noAddons != 1) {
        return std::string("mixed:") + (list ? " list" : "") + (loading ? " loading" : "") +
               (noPath ? " no-game-path" : "") + (noAddons ? " no-addons" : "");
    }
    return list ? "list" : loading ? "loading" : noPath ? "no-game-path" : "no-addons";
}

bool WaitForView(HWND main, const std::string& view, int timeoutMs) {
    if (WaitFor([&] { return PanelView(main) == view; }, timeoutMs))
        return true;
    // What showed instead, for whoever reads the failure.
    Screenshot(main, "program_not_" + view);
    return false;
}

int RowCount(HWND main) {
    return static_cast<int>(::SendMessageA(::GetDlgItem(main, kMainList), LVM_GETITEMCOUNT, 0, 0));
}

void ClickRow(HWND main, int row, int x, int y) {
    constexpr int kRowHeight = 44;
    const HWND list = ::GetDlgItem(main, kMainList);
    MoveMouseTo(list, x, row * kRowHeight + y);
    WaitFor([] { return false; }, 300);
    ClickClient(list, x, row * kRowHeight + y);
}

bool AnswerBox(DWORD pid, const char* shot, int button, bool twoButtons) {
    const HWND box = WaitForWindow([&] { return MessageBoxWindow(pid); });
    if (box == nullptr || IsShown(box, kBoxCancel) != twoButtons)
        return false;
    if (shot != nullptr)
        Screenshot(box, shot);
    ClickControl(box, button);
    return WaitFor([&] { return !IsShown(box); }, 10000);
}

bool CopyFileTo(const std::string& from, const std::string& to) {
    return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace vt::test
