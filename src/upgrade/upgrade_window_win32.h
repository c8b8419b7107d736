// The upgrade module's window (dialog 9000 of the module): a child of the
// program's main window that holds the link label and the state that checks
// share with it. Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "ui/hyperlink.h"
#include "ui/wnd.h"
#include "upgrade/upgrade_check.h"
#include "upgrade/upgrade_settings.h"

namespace vt::upgrade {

// The module's own message, posted to its window around checks; its handler
// does nothing.
constexpr UINT kModuleCheckMessage = 3037;

// What a running check shares with the window. Held by the window and by
// every running check, so a check that outlives the window ends safely.
struct UpgradeWindowShared {
    std::atomic<HWND> hwnd{nullptr};       // the window; null once it is destroyed
    std::atomic<int> userRequested{0};     // 1 while a check the user asked for runs
    std::atomic<int> linkCheckRunning{0};  // 1 while the label's check runs
    std::mutex blockMutex;                 // checks of the window take turns with the record
    std::unique_ptr<UpgradeInfoBlock> infoBlock;
};

// Runs one check for the window: posts the result to the settings' host
// window (with userRequested as it is then) and the end message to the window.
void RunWindowCheck(const UpgradeSettings& settings,
                    const std::shared_ptr<UpgradeWindowShared>& shared);

class UpgradeWindow : public ui::Dialog {
  public:
    // settings gives the label's colours now and each label check's values later.
    UpgradeWindow(HINSTANCE module, std::function<UpgradeSettings()> settings);

    const std::shared_ptr<UpgradeWindowShared>& shared() const { return shared_; }
    ui::CHyperlink& link() { return link_; }

  protected:
    bool OnInitDialog() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(int id, int code, HWND control) override;
    // Enter and Escape leave the window as it is.
    void OnOK() override {}
    void OnCancel() override {}
    void OnDestroyed() override;

  private:
    // Draws the parent's pixels under this window as its background.
    void EraseWithParent(HDC dc);
    void StartLinkCheck();

    HINSTANCE module_;
    std::function<UpgradeSettings()> settings_;
    std::shared_ptr<UpgradeWindowShared> shared_;
    ui::CHyperlink link_;
};

}  // namespace vt::upgrade
