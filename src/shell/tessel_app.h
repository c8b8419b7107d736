// CTesselApp: the application object of VaelTessel.exe. It prepares the
// platform services every window needs (OLE for the embedded pages, GDI+),
// lets one copy run per user session, holds the application fields and the
// server configuration, and runs the main window modally for the life of the
// process. Windows only.
#pragma once

#include <windows.h>

#include <memory>

#include "settings/app_state.h"
#include "settings/server_config.h"
#include "shell/single_instance.h"
#include "ui/gdiplus_session.h"

namespace vt::shell {

class CTesselDlg;

class CTesselApp {
  public:
    CTesselApp();
    ~CTesselApp();
    CTesselApp(const CTesselApp&) = delete;
    CTesselApp& operator=(const CTesselApp&) = delete;

    // Start-up and the main window's modal loop; always false, as the
    // program has no message loop of its own. A second copy activates the
    // first and returns at once.
    bool InitInstance();
    // Shuts GDI+ and OLE down; the exit code of the process.
    int ExitInstance();

    settings::CAppState& State() { return state_; }
    const settings::ServerConfig& Servers() const { return servers_; }
    // The main window while it exists (the modal loop runs), else null.
    CTesselDlg* MainWindow() { return mainWindow_.get(); }

  private:
    settings::CAppState state_;
    settings::ServerConfig servers_;
    SingleInstance instance_;
    bool oleStarted_ = false;
    std::unique_ptr<ui::GdiplusSession> gdiplus_;
    std::unique_ptr<CTesselDlg> mainWindow_;
};

}  // namespace vt::shell
