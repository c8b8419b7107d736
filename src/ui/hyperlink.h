// CHyperlink: a static text control that looks and acts like a link: its
// colour and underline follow the pointer, and a click opens its target with
// the shell or, in notify mode, posts WM_COMMAND to the parent. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "ui/gdi.h"
#include "ui/tooltip.h"
#include "ui/wnd.h"

namespace vt::ui {

class CHyperlink : public Wnd {
  public:
    // A colour of -1 (kDefaultColor) is the system's hot-track colour.
    static constexpr COLORREF kDefaultColor = static_cast<COLORREF>(-1);

    CHyperlink() = default;

    // Set by the owner; the fonts follow the underline flags when the label
    // is attached, or at once with SetUnderline.
    std::string target;  // opened with the shell's "open" verb on a click
    COLORREF colorNormal = kDefaultColor;
    COLORREF colorHover = kDefaultColor;
    COLORREF colorPressed = kDefaultColor;
    bool notifyParent = false;  // a click posts WM_COMMAND (id, label) to the parent
    HCURSOR cursor = nullptr;   // not owned; null: the class cursor
    void SetUnderline(bool normal, bool hover);
    void SetTooltip(const std::string& text);

    bool Hovering() const { return hovering_; }
    bool Pressed() const { return pressed_; }

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnAttached() override;

  private:
    void MakeFonts();
    void Paint(HDC dc);
    void Repaint();
    void OnLeftButtonUp(LPARAM lParam);

    bool underlineNormal_ = false;
    bool underlineHover_ = true;
    bool hovering_ = false;
    bool pressed_ = false;
    bool trackingLeave_ = false;
    FontHandle normalFont_;
    FontHandle hoverFont_;
    Tooltip tooltip_;
};

}  // namespace vt::ui
