#include "shell/tessel_app.h"

#include <commctrl.h>
#include <ole2.h>

#include "shell/external_dispatch.h"
#include "shell/tessel_dlg.h"
#include "ui/wnd.h"

namespace vt::shell {

namespace {

constexpr int kStringInstanceRecord = 108;  // "vaeltessel_map"

}  // namespace

CTesselApp::CTesselApp() = default;

CTesselApp::~CTesselApp() = default;

bool CTesselApp::InitInstance() {
    // 1. The object every page sees as window.external.
    CExternalDispatch::Instance();
    // 2. Hosting the pages' controls (each host makes its own site).
    oleStarted_ = SUCCEEDED(::OleInitialize(nullptr));
    // 3. GDI+.
    gdiplus_ = std::make_unique<ui::GdiplusSession>();
    // 4. One copy per session: a later one brings the first forward and ends.
    if (instance_.ProbeOrCreate(ui::LoadText(kStringInstanceRecord)) ==
        SingleInstance::Probe::kOtherRunning)
        return false;
    // 5. The program's directory, and the servers named next to it.
    state_.SetProgramDir(settings::DefaultProgramDir());
    servers_ = settings::LoadServerConfig(state_.ProgramDir());
    // 6. The common controls of the current look.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // 7. The main window for the life of the process.
    mainWindow_ = std::make_unique<CTesselDlg>(state_, servers_, &instance_);
    mainWindow_->DoModal(nullptr);
    mainWindow_->Shutdown();
    return false;
}

int CTesselApp::ExitInstance() {
    gdiplus_.reset();
    if (oleStarted_)
        ::OleUninitialize();
    oleStarted_ = false;
    return 0;
}

}  // namespace vt::shell
