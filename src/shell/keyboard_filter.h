// Key messages seen before any message loop of the thread dispatches them,
// modal loops of dialogs and message boxes included (a WH_GETMESSAGE hook),
// so a window can hand keys to an embedded control or swallow them. Windows
// only; the user-interface thread only.
#pragma once

#include <windows.h>

#include <functional>

namespace vt::shell {

class KeyboardFilter {
  public:
    // Gets a key message (WM_KEYFIRST to WM_KEYLAST) aimed at the root or a
    // window below it; true swallows the message (it is never dispatched).
    using Handler = std::function<bool(const MSG& message)>;

    KeyboardFilter() = default;
    ~KeyboardFilter() { Remove(); }
    KeyboardFilter(const KeyboardFilter&) = delete;
    KeyboardFilter& operator=(const KeyboardFilter&) = delete;

    // Starts filtering the keys of root's window tree; one root per filter.
    // The filters of outer windows see a key before those of inner ones, and
    // the first that swallows it ends the walk.
    void Install(HWND root, Handler handler);
    void Remove();

  private:
    HWND root_ = nullptr;
    Handler handler_;

    friend struct KeyboardFilterRegistry;
};

}  // namespace vt::shell
