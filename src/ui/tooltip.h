// A tooltip for one control: the control's mouse messages are relayed to it,
// and it shows its text while the pointer rests on the control. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace vt::ui {

class Tooltip {
  public:
    Tooltip() = default;
    ~Tooltip();
    Tooltip(const Tooltip&) = delete;
    Tooltip& operator=(const Tooltip&) = delete;

    // Creates the tooltip window on first use, or changes its text.
    void SetText(HWND control, const std::string& text);
    // Hands a mouse message of the control to the tooltip; nothing without one.
    void Relay(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd() const { return tip_; }

  private:
    HWND tip_ = nullptr;
    std::string text_;
};

}  // namespace vt::ui
