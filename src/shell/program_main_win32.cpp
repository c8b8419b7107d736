// VaelTessel.exe's entry: the application object's start-up and exit, then
// the end of the process.
#include <windows.h>

#include "shell/tessel_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The object lives until the process ends: the workers it started are
    // never joined and may still use it; ExitProcess ends them with it.
    static vt::shell::CTesselApp app;
    app.InitInstance();
    ::ExitProcess(static_cast<UINT>(app.ExitInstance()));
}
