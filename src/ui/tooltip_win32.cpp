#include "ui/tooltip.h"

#include <commctrl.h>

namespace vt::ui {
namespace {

TOOLINFOA ToolFor(HWND control, const std::string& text) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = control;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text.c_str());
    return tool;
}

}  // namespace

Tooltip::~Tooltip() {
    // The tip is owned by its control and goes with it; only a tip that is
    // still there is destroyed here.
    if (tip_ != nullptr && ::IsWindow(tip_))
        ::DestroyWindow(tip_);
}

void Tooltip::SetText(HWND control, const std::string& text) {
    text_ = text;
    if (tip_ != nullptr && ::IsWindow(tip_)) {
        TOOLINFOA tool = ToolFor(control, text_);
        ::SendMessageA(tip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
    tip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, control, nullptr, nullptr, nullptr);
    if (tip_ == nullptr)
        return;
    TOOLINFOA tool = ToolFor(control, text_);
    ::SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltip::Relay(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    if (tip_ == nullptr)
        return;
    MSG relayed{};
    relayed.hwnd = control;
    relayed.message = message;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    ::SendMessageA(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

}  // namespace vt::ui
