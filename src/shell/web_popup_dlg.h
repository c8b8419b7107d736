// The popup web window (dialog 105): one page host under a caption band of
// its own with close, maximise and restore buttons, and a loading animation
// that covers the page until it has arrived. The main window opens it for an
// addon's details and for the pages' OpenSimulator. Windows only.
#pragma once

#include <windows.h>

#include <memory>

#include "shell/popup_geometry.h"
#include "shell/web_page_dlg.h"
#include "ui/animated_image.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"

namespace vt::shell {

class CWebPopupDlg : public ui::CSkinDialog {
  public:
    // Posted by the page host when its page has arrived: wParam 1 shows the
    // page and hides the animation, 0 the opposite.
    static constexpr UINT kPageLoaded = WM_USER + 200;

    explicit CWebPopupDlg(PopupOptions options);
    ~CWebPopupDlg() override;

    // The popup that initialised last in this process while it exists, else
    // null.
    static HWND LastPopup();

    const PopupOptions& options() const { return options_; }
    // The page host, once initialised.
    CWebPageDlg* PageHost() { return page_.get(); }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void PlaceControls(int clientWidth, int clientHeight);
    void SetUpButton(ui::CSkinButtonEx& button, int id, int image);

    PopupOptions options_;
    ui::CSkinButtonEx close_;
    ui::CSkinButtonEx maximise_;
    ui::CSkinButtonEx restore_;
    ui::CAnimatedImage loading_;
    std::unique_ptr<CWebPageDlg> page_;
};

// Runs a popup modally over parent (the main window); its dialog result.
INT_PTR RunWebPopup(HWND parent, const PopupOptions& options);
// Asks the popup that initialised last to close (a posted WM_CLOSE); nothing
// when it is gone.
void CloseLastWebPopup();

}  // namespace vt::shell
