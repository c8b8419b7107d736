// One WebBrowser control hosted without a class library: a child window that
// is the control's container, the control's site (CCustomControlSite), the
// event sink on its DWebBrowserEvents2 connection point, sizing, focus and
// keyboard hand-off, and an orderly teardown that gives back every reference.
// Windows only; the user-interface thread only (the thread must have called
// OleInitialize).
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <ole2.h>

#include <string>

#include "shell/custom_control_site.h"
#include "shell/keyboard_filter.h"
#include "ui/com_ptr.h"
#include "ui/wnd.h"

namespace vt::shell {

class WebBrowserHost;
class BrowserEventSink;

// The browser's events that the hosts use, decoded from the event block. Each
// is called during the browser's own call, on the user-interface thread.
class BrowserEvents {
  public:
    virtual ~BrowserEvents() = default;
    // A page asks for a new window. Setting *newWindow (a reference the
    // browser takes over) opens it there; cancel stops it.
    virtual void OnNewWindow2(WebBrowserHost& /*browser*/, IDispatch** /*newWindow*/,
                              bool& /*cancel*/) {}
    // A navigation to url (local code page) is about to start; cancel stops it.
    virtual void OnBeforeNavigate2(WebBrowserHost& /*browser*/, const std::string& /*url*/,
                                   bool& /*cancel*/) {}
    virtual void OnNavigateComplete2(WebBrowserHost& /*browser*/, const std::string& /*url*/) {}
    virtual void OnDocumentComplete(WebBrowserHost& /*browser*/, const std::string& /*url*/) {}
};

class WebBrowserHost : public ui::Wnd {
  public:
    enum class Status {
        kReady,      // window and control are in place
        kNoWindow,   // the container window could not be made
        kNoControl,  // the window exists, the control could not be made or placed
    };

    // events (may be null) must outlive the host.
    explicit WebBrowserHost(BrowserEvents* events = nullptr);
    ~WebBrowserHost() override;

    // Makes the container as a child of parent with the control id, at rect
    // (parent client coordinates), shown or hidden, and the control in it.
    Status Create(HWND parent, int id, const RECT& rect, bool visible);
    Status status() const { return status_; }
    // The control's automation interface; null without a control.
    IWebBrowser2* Browser() const { return browser_.get(); }
    // The object the control calls with its events (tests call it directly).
    IDispatch* EventSink() const;
    // Starts a navigation to url (local code page) with no flags, target,
    // post data or headers; false without a control or when the control
    // refuses.
    bool Navigate(const std::string& url);
    // Unadvises the events, deactivates and closes the control and releases
    // every reference; the window stays. Also done on WM_DESTROY and by the
    // destructor.
    void Close();

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    friend class BrowserEventSink;
    bool PlaceControl();
    void FitControl();
    bool HandOffKey(const MSG& message);

    BrowserEvents* events_;
    Status status_ = Status::kNoWindow;
    ui::ComPtr<CCustomControlSite> site_;
    ui::ComPtr<BrowserEventSink> sink_;
    ui::ComPtr<IOleObject> control_;
    ui::ComPtr<IOleInPlaceObject> inPlace_;
    ui::ComPtr<IOleInPlaceActiveObject> active_;
    ui::ComPtr<IWebBrowser2> browser_;
    ui::ComPtr<IConnectionPoint> eventsPoint_;
    DWORD eventsCookie_ = 0;
    KeyboardFilter keys_;
};

// Sinks alive in this process, for leak checks.
long LiveBrowserEventSinks();

}  // namespace vt::shell
