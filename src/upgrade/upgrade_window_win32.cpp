#include "upgrade/upgrade_window_win32.h"

#include "resource.h"
#include "ui/gdi.h"

namespace vt::upgrade {

namespace {

// Posts what a check reports to the program's and to the module's window.
class WindowCheckHost : public UpgradeCheckHost {
  public:
    WindowCheckHost(const UpgradeSettings& settings, UpgradeWindowShared& shared)
        : settings_(settings), shared_(shared) {}
    void PostResult(int status) override {
        ::PostMessageA(reinterpret_cast<HWND>(settings_.hostWindow), settings_.resultMessage,
                       static_cast<WPARAM>(status), shared_.userRequested.load());
    }
    void PostCheckEnded() override {
        ::PostMessageA(shared_.hwnd.load(), kModuleCheckMessage, 0, 0);
    }
    std::unique_ptr<UpgradeInfoBlock>& InfoBlock() override { return shared_.infoBlock; }

  private:
    const UpgradeSettings& settings_;
    UpgradeWindowShared& shared_;
};

// The label's worker: the module stays loaded until it ends.
struct LinkCheck {
    HMODULE pin;
    UpgradeSettings settings;
    std::shared_ptr<UpgradeWindowShared> shared;
};

DWORD WINAPI RunLinkCheck(LPVOID parameter) {
    std::unique_ptr<LinkCheck> work(static_cast<LinkCheck*>(parameter));
    const HMODULE pin = work->pin;
    UpgradeWindowShared& shared = *work->shared;
    if (::IsWindow(shared.hwnd.load())) {
        shared.userRequested = 1;
        RunWindowCheck(work->settings, work->shared);
        shared.userRequested = 0;
    }
    shared.linkCheckRunning = 0;
    work.reset();
    ::FreeLibraryAndExitThread(pin, 0);
}

}  // namespace

void RunWindowCheck(const UpgradeSettings& settings,
                    const std::shared_ptr<UpgradeWindowShared>& shared) {
    std::lock_guard<std::mutex> lock(shared->blockMutex);
    WindowCheckHost host(settings, *shared);
    CheckForUpgrade(settings, host);
}

UpgradeWindow::UpgradeWindow(HINSTANCE module, std::function<UpgradeSettings()> settings)
    : ui::Dialog(IDD_UPGRADE_MODULE, module),
      module_(module),
      settings_(std::move(settings)),
      shared_(std::make_shared<UpgradeWindowShared>()) {}

bool UpgradeWindow::OnInitDialog() {
    shared_->hwnd = hwnd();
    const UpgradeSettings settings = settings_();
    if (link_.AttachItem(hwnd(), IDC_UPGRADE_LINK)) {
        link_.cursor = ::LoadCursorA(nullptr, IDC_HAND);
        link_.notifyParent = true;
        link_.SetUnderline(true, true);
        link_.colorNormal = settings.textColorNormal;
        link_.colorHover = settings.textColorHover;
        link_.colorPressed = settings.textColorPressed;
        link_.MoveTo(5, 2);
    }
    return true;
}

LRESULT UpgradeWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        EraseWithParent(reinterpret_cast<HDC>(wParam));
        return 1;
    }
    if (message == kModuleCheckMessage)
        return 0;
    return ui::Dialog::WndProc(message, wParam, lParam);
}

bool UpgradeWindow::OnCommand(int id, int code, HWND control) {
    if (id == IDC_UPGRADE_LINK && shared_->linkCheckRunning == 0)
        StartLinkCheck();
    // The command then gets the dialog's usual handling.
    return ui::Dialog::OnCommand(id, code, control);
}

void UpgradeWindow::StartLinkCheck() {
    Post(kModuleCheckMessage, 1, 0);
    shared_->linkCheckRunning = 1;
    HMODULE pin = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                         reinterpret_cast<LPCSTR>(&RunLinkCheck), &pin);
    auto work = std::make_unique<LinkCheck>(LinkCheck{pin, settings_(), shared_});
    HANDLE thread = ::CreateThread(nullptr, 0, RunLinkCheck, work.get(), 0, nullptr);
    if (thread == nullptr) {
        shared_->linkCheckRunning = 0;
        if (pin)
            ::FreeLibrary(pin);
        return;
    }
    work.release();  // the thread owns it now
    ::CloseHandle(thread);
}

void UpgradeWindow::EraseWithParent(HDC dc) {
    const HWND parent = Parent();
    RECT parentArea{};
    ::GetClientRect(parent, &parentArea);
    ui::Canvas canvas(dc, parentArea.right, parentArea.bottom);
    if (!canvas)
        return;
    ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
    ::SendMessageA(parent, WM_PAINT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
    const RECT mine = RectInParent();
    ::BitBlt(dc, 0, 0, mine.right - mine.left, mine.bottom - mine.top, canvas.dc(), mine.left,
             mine.top, SRCCOPY);
}

void UpgradeWindow::OnDestroyed() {
    shared_->hwnd = nullptr;
}

}  // namespace vt::upgrade
