// The module window's link label: a static control that looks and acts like
// a link (three text colours, underlined fonts, a hand cursor) and, in notify
// mode, tells its parent of a click with WM_COMMAND (its id, its window).
// Windows only.
#pragma once

#include <windows.h>

#include "ui/gdi.h"
#include "ui/wnd.h"

namespace vt::upgrade {

class LinkLabel : public ui::Wnd {
  public:
    COLORREF colorNormal = CLR_INVALID;  // CLR_INVALID: the system's window text colour
    COLORREF colorHover = CLR_INVALID;
    COLORREF colorPressed = CLR_INVALID;
    bool underlineNormal = false;
    bool underlineHover = true;
    bool notifyParent = false;  // a click posts WM_COMMAND to the parent
    HCURSOR cursor = nullptr;

    // Subclasses the dialog's control id and makes the two fonts from its
    // font with the underline flags; set the flags first.
    bool AttachLabel(HWND dialog, int id);
    bool hovering() const { return hovering_; }
    bool pressed() const { return pressed_; }

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Paint();
    // Repaints the label and the part of the parent under it, so the
    // parent's background shows through.
    void Refresh();

    ui::FontHandle normalFont_;
    ui::FontHandle hoverFont_;
    bool hovering_ = false;
    bool pressed_ = false;
    bool tracking_ = false;
};

}  // namespace vt::upgrade
