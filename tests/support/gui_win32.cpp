#include "support/gui_win32.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"
#include "ui/gdi.h"
#include "ui/gdiplus_api.h"

namespace vt::test {
namespace {

std::map<UINT_PTR, std::function<void()>>& LaterWork() {
    static std::map<UINT_PTR, std::function<void()>> work;
    return work;
}

void CALLBACK RunLaterTimer(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    auto& pending = LaterWork();
    auto found = pending.find(id);
    if (found == pending.end())
        return;
    auto work = std::move(found->second);
    pending.erase(found);
    work();
}

bool PngEncoder(CLSID& encoder) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return false;
    std::vector<uint8_t> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(),
                                      static_cast<int>(wide.size())));
    if (!wide.empty())
        wide.pop_back();
    return wide;
}

// A POSIX path from the test environment names the same place on wine's Z:.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void SendMouse(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const uint64_t deadline = platform::TickCountMs() + static_cast<uint64_t>(timeoutMs);
    while (!done()) {
        if (platform::TickCountMs() >= deadline)
            return done();
        MSG message;
        if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

void PumpPending() {
    // A few rounds, so messages posted while handling others are seen too.
    for (int round = 0; round < 4; ++round) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

void RunLater(std::function<void()> work, int delayMs) {
    const UINT_PTR id = ::SetTimer(
        nullptr, 0, static_cast<UINT>(std::max(delayMs, USER_TIMER_MINIMUM)), RunLaterTimer);
    if (id != 0)
        LaterWork()[id] = std::move(work);
}

POINT ClientToScreenPoint(HWND hwnd, int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(hwnd, &point);
    return point;
}

void QueueMouseMove(HWND hwnd, int x, int y) {
    const POINT point = ClientToScreenPoint(hwnd, x, y);
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    // Absolute coordinates run from 0 to 65535 over the primary screen.
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (point.x * 65536 + width / 2) / width,
              (point.y * 65536 + height / 2) / height);
}

void QueueMouseButton(bool down) {
    SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
}

void MoveMouseTo(HWND hwnd, int x, int y) {
    QueueMouseMove(hwnd, x, y);
    PumpPending();
}

void MouseButton(bool down) {
    QueueMouseButton(down);
    PumpPending();
}

void ClickAt(HWND hwnd, int x, int y) {
    MoveMouseTo(hwnd, x, y);
    MouseButton(true);
    MouseButton(false);
}

void QueueKey(WORD virtualKey) {
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, inputs, sizeof inputs[0]);
}

void PressKey(WORD virtualKey) {
    QueueKey(virtualKey);
    PumpPending();
}

std::string ScreensDir() {
    std::string dir = platform::GetEnv("TESSEL_SCREENS_DIR");
    dir = WindowsPath(dir.empty() ? "screens" : dir);
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

bool SaveBitmapPng(HBITMAP bitmap, const std::string& path) {
    Gdiplus::Bitmap image(bitmap, nullptr);
    return SaveImagePng(image, path);
}

bool SaveImagePng(Gdiplus::Image& image, const std::string& path) {
    CLSID encoder;
    if (!PngEncoder(encoder))
        return false;
    return image.Save(Wide(path).c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

bool CaptureWindow(HWND hwnd, const std::string& name) {
    ::RedrawWindow(hwnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    PumpPending();
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    ui::ClientDc screen(nullptr);
    ui::Canvas canvas(screen.get(), width, height);
    if (!canvas)
        return false;
    // The screen holds the window as the user sees it, layered windows and
    // child controls included; PrintWindow is the fallback for a window that
    // is not on screen.
    if (::IsWindowVisible(hwnd))
        ::BitBlt(canvas.dc(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    else
        ::PrintWindow(hwnd, canvas.dc(), 0);
    return SaveBitmapPng(canvas.bitmap(), ScreensDir() + "\\" + name + ".png");
}

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
    const POINT point = ClientToScreenPoint(hwnd, x, y);
    ui::ClientDc screen(nullptr);
    return ::GetPixel(screen.get(), point.x, point.y);
}

}  // namespace vt::test
