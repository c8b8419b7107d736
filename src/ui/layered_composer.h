// LayeredComposer: shows a window whose face has an alpha channel (a
// CSkinDialog with PNG images) as a per-pixel-alpha layered window, composed
// from the window's drawing layer and its child controls. Windows only.
#pragma once

#include <windows.h>

#include "ui/gdi.h"

namespace vt::ui {

class LayeredComposer {
  public:
    // Makes window layered: adds the layered style, puts the composer's
    // procedure in front of the window's own (kept in a process-wide map) and
    // has a thread send the window one WM_PAINT, which composes it. False
    // when the system has no UpdateLayeredWindow or the window is already
    // layered by the composer.
    static bool MakeLayered(HWND window);
    static bool IsLayered(HWND window);

    // Composes window (see Render) and hands the result to the system at the
    // window's screen position. Does nothing, and gives false, while another
    // composition runs (a child rendering itself may reach here again).
    static bool Compose(HWND window, HWND flashButton = nullptr, int flashState = 0);

    // The window's face as a 32-bit premultiplied alpha canvas of its size:
    // its drawing layer (a CSkinDialog) or its own painting (opaque), then
    // each visible child from the bottom of the Z order up, rendered into a
    // bitmap of its own (flashButton through the flash message with
    // flashState, the others through WM_PRINT) and drawn opaque at its place.
    static Canvas Render(HWND window, HWND flashButton = nullptr, int flashState = 0);
};

}  // namespace vt::ui
