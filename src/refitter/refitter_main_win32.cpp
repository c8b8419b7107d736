// Refitter.exe: the updater the upgrade module starts as
//   MAPNAME|EXENAME
// It reads the module's record from the shared block MAPNAME, shows its
// window, and replaces the program EXENAME beside itself with the signed
// release the record names. One copy at a time. Windows only.
#include <windows.h>

#include "platform/system.h"
#include "refitter/program_control_win32.h"
#include "refitter/refitter_window_win32.h"
#include "refitter/release_key.h"
#include "ui/gdiplus_session.h"
#include "ui/wnd.h"

namespace {

// The program's single-instance record (string 108 of the resources).
constexpr int kInstanceRecordText = 108;

// Owns the named mutex that keeps a second updater from running beside this one.
class OneCopy {
  public:
    OneCopy() : handle_(CreateMutexA(nullptr, TRUE, "VaelTessel.Refitter")) {
        first_ = handle_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    }
    ~OneCopy() {
        if (handle_) {
            if (first_)
                ReleaseMutex(handle_);
            CloseHandle(handle_);
        }
    }
    OneCopy(const OneCopy&) = delete;
    OneCopy& operator=(const OneCopy&) = delete;
    bool first() const { return first_; }

  private:
    HANDLE handle_;
    bool first_ = false;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace vt::refitter;
    OneCopy copy;
    if (!copy.first()) {
        // Two checks of the program can start two updaters; the first one works.
        if (HWND other = FindWindowA(kRefitterWindowClass, nullptr))
            SetForegroundWindow(other);
        return 0;
    }
    vt::ui::GdiplusSession gdiplus;
    const std::string programDir = vt::platform::DefaultProgramDirectory();

    RefitterJob job;
    job.programDir = programDir;
    job.releaseKey = BuiltInReleaseKey();
    const Failure failure = ReadStart(GetCommandLineA(), programDir, job.start);

    CRefitterWindow window(programDir + "ImageRes\\");
    const bool shown =
        failure == Failure::kNone
            ? window.Start(job, std::make_unique<WindowsProgramControl>(
                                    vt::ui::LoadText(kInstanceRecordText), job.start.line.exeName))
            : window.ShowFailure(failure);
    if (!shown)
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return window.Result().failure == Failure::kNone ? 0 : 1;
}
