// Drives the real VaelTessel.exe from outside, as a user would: starts it
// in a program directory of the test's, finds its windows by what they hold,
// clicks at their controls with real input and saves screenshots. Windows
// only (under wine with an X server).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vt::test {

// One run of the program.
class ProgramProcess {
  public:
    ProgramProcess() = default;
    ~ProgramProcess();  // kills a program still running
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Starts exe with its directory as the current one; false when it could
    // not start.
    bool Start(const std::string& exe);
    DWORD Pid() const { return pid_; }
    bool Running() const;
    // Waits up to timeoutMs for the end; true when it ended.
    bool WaitForExit(int timeoutMs);
    DWORD ExitCode() const;
    void Kill();

  private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// The visible top-level windows of a process, topmost first.
std::vector<HWND> VisibleWindows(DWORD pid);
// The top-level windows of a process, shown or not.
std::vector<HWND> AllWindows(DWORD pid);

// The program's windows, each told apart by what it holds.
HWND MainWindow(DWORD pid);        // the one with the installed-addons list (1011)
HWND SplashWindow(DWORD pid);      // the visible layered window
HWND MessageBoxWindow(DWORD pid);  // the visible box with an OK button (1) and 347 x 211
HWND PathDialogWindow(DWORD pid);  // the visible one with the path field (1002), 406 x 190
HWND AboutWindow(DWORD pid);       // the visible one 348 x 215
HWND WebPopupWindow(DWORD pid);    // the visible one with the maximise button (1002) and 589 x 381
HWND FileDialogWindow(DWORD pid);  // the system's open-file dialog
HWND MenuWindow();                 // an open popup menu (#32768)

bool IsShown(HWND window);
bool IsShown(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
SIZE WindowSize(HWND window);
std::string ControlText(HWND dialog, int id);

// A left click with real input in the middle of control id of dialog, or at
// a client point of a window.
void ClickControl(HWND dialog, int id);
void ClickClient(HWND window, int x, int y);

// Waits (pumping this thread) until done holds; false after timeoutMs.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 20000);
// Waits for a window of the program to appear.
HWND WaitForWindow(const std::function<HWND()>& find, int timeoutMs = 20000);

// The main window's left panel: "list", "loading", "no-game-path",
// "no-addons", or "mixed" when not exactly one view shows.
std::string PanelView(HWND main);
bool WaitForView(HWND main, const std::string& view, int timeoutMs = 30000);
// Rows of the installed-addons list.
int RowCount(HWND main);
// Control ids of the program's windows the driver uses.
constexpr int kMainSettings = 1000, kMainRefreshLocal = 1004, kMainUpdateAll = 1007,
              kMainDeleteAll = 1008, kMainList = 1011, kMainClose = 1015, kMainHelp = 1001,
              kMainStartGame = 1010;
constexpr int kBoxOk = IDOK, kBoxCancel = 1008;
// A click at (x, y) of a row of the list (client coordinates of the row),
// after the pointer has rested on the row so that it shows its links.
void ClickRow(HWND main, int row, int x, int y);
constexpr int kRowDeleteX = 201, kRowDeleteY = 33;   // the row's "删除"
constexpr int kRowDetailsX = 63, kRowDetailsY = 12;  // the details icon after a short name
// Waits for a message box of the program, saves its screenshot (unless
// shot is null), checks its form and presses button; false when no box
// came or it did not close.
bool AnswerBox(DWORD pid, const char* shot, int button, bool twoButtons);

// Saves what the window shows as <name>.png in the screenshots' folder
// (TESSEL_SCREENS_DIR) after it has repainted.
bool Screenshot(HWND window, const std::string& name);

// Files.
bool CopyFileTo(const std::string& from, const std::string& to);
std::string WindowsPath(std::string path);

}  // namespace vt::test
