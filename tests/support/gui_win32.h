// Helpers for the Windows test programs that show real windows (run under
// wine with an X server): a bounded message pump, work run later from inside
// modal loops, mouse input, and screenshots saved as PNG files.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/gdiplus_api.h"

namespace vt::test {

// Dispatches messages of this thread until done() holds or timeoutMs passes;
// done()'s last answer. The timeout only bounds a failing test.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Dispatches what is queued now (and what that posts), then returns.
void PumpPending();
// Runs work on this thread from the next message loop that runs after
// delayMs, modal loops included (a thread timer).
void RunLater(std::function<void()> work, int delayMs = 0);

// The point of a window's client area in screen coordinates.
POINT ClientToScreenPoint(HWND hwnd, int x, int y);
// Real input through SendInput: move the pointer to the client point, press
// and release the left button. The window should be visible and on top.
void MoveMouseTo(HWND hwnd, int x, int y);
void ClickAt(HWND hwnd, int x, int y);
void MouseButton(bool down);
void PressKey(WORD virtualKey);
// The same input without dispatching anything, for work that runs inside a
// window's own message loop (a capture loop, a modal dialog's, the system's
// for moving and sizing) and must leave the messages to that loop: keys, for
// one, reach a dialog's keyboard handling only through its own loop.
void QueueMouseMove(HWND hwnd, int x, int y);
void QueueMouseButton(bool down);
void QueueKey(WORD virtualKey);

// Where screenshots go: $TESSEL_SCREENS_DIR, else "screens" in the current
// directory; created on first use.
std::string ScreensDir();
// Saves what the window shows (as on the screen, its frame included) to
// ScreensDir()/name.png; false when nothing could be captured or written.
bool CaptureWindow(HWND hwnd, const std::string& name);
// Saves a bitmap as a PNG file.
bool SaveBitmapPng(HBITMAP bitmap, const std::string& path);
// Saves a GDI+ image (its alpha channel included) as a PNG file.
bool SaveImagePng(Gdiplus::Image& image, const std::string& path);
// The colour of a client pixel of a visible window as the screen shows it.
COLORREF ScreenPixel(HWND hwnd, int x, int y);

}  // namespace vt::test
