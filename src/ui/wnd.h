// The thin window layer of the Windows program: an object per window that
// owns its HWND and sees every message of it through one virtual procedure.
// Windows only.
//
// A window is made by Create (a window of a registered class), by a Dialog
// (from a template in the resources) or bound to an existing window by Attach
// (subclassing, for the controls of a dialog template). In each case one
// static window procedure finds the object through GWLP_USERDATA and calls its
// WndProc; Default hands a message to the procedure the window had before.
// WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and WM_MEASUREITEM from a child are
// first offered to the child's own object (Reflect), so a control handles
// its own notifications.
#pragma once

#include <windows.h>

#include <string>

namespace vt::ui {

class Wnd {
  public:
    Wnd() = default;
    // Destroys a window that still exists; an attached window is given back
    // its own procedure instead.
    virtual ~Wnd();
    Wnd(const Wnd&) = delete;
    Wnd& operator=(const Wnd&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool IsWindow() const { return hwnd_ != nullptr && ::IsWindow(hwnd_); }
    // The object of a window made or attached by this layer, or null.
    static Wnd* FromHandle(HWND hwnd);

    struct CreateArgs {
        HWND parent = nullptr;
        const char* className = "VaelTesselWindow";  // registered on first use
        const char* title = "";
        DWORD style = WS_OVERLAPPEDWINDOW;
        DWORD exStyle = 0;
        int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
        int id = 0;                // the control id of a child window
        HCURSOR cursor = nullptr;  // null: the arrow
        HBRUSH background = nullptr;
    };
    bool Create(const CreateArgs& args);
    // Subclasses hwnd; false when it is already bound to an object.
    bool Attach(HWND hwnd);
    // Attaches the control with this id of a dialog.
    bool AttachItem(HWND dialog, int id) { return Attach(::GetDlgItem(dialog, id)); }
    // Gives the window back its own procedure and forgets it.
    HWND Detach();
    void Destroy();

    int Id() const { return ::GetDlgCtrlID(hwnd_); }
    HWND Parent() const { return ::GetParent(hwnd_); }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    RECT ClientRect() const;
    // The window's rectangle in its parent's client coordinates (screen
    // coordinates for a top-level window).
    RECT RectInParent() const;
    void MoveTo(int x, int y);
    void Resize(int width, int height);
    void Place(int x, int y, int width, int height);
    void Show(bool shown) { ::ShowWindow(hwnd_, shown ? SW_SHOW : SW_HIDE); }
    bool IsVisible() const { return ::IsWindowVisible(hwnd_) != FALSE; }
    void Enable(bool enabled) { ::EnableWindow(hwnd_, enabled); }
    void Invalidate(bool erase = true) { ::InvalidateRect(hwnd_, nullptr, erase); }
    std::string Text() const;
    void SetText(const std::string& text) { ::SetWindowTextA(hwnd_, text.c_str()); }
    bool SetTimer(UINT_PTR id, UINT periodMs) {
        return ::SetTimer(hwnd_, id, periodMs, nullptr) != 0;
    }
    void KillTimer(UINT_PTR id) { ::KillTimer(hwnd_, id); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(hwnd_, message, wParam, lParam);
    }
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(hwnd_, message, wParam, lParam) != FALSE;
    }

  protected:
    // Every message of the window arrives here. The base routes WM_COMMAND,
    // WM_NOTIFY, WM_DRAWITEM and WM_MEASUREITEM (reflection first, then the
    // hooks below), calls OnTimer, and gives everything else to Default.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's previous procedure (or the default one) for this message.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    // A command from a control or menu; true when handled.
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // WM_NOTIFY that the sending control did not handle; true when handled.
    virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
    // A message this window sent to its parent about itself (WM_COMMAND,
    // WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM), offered back to it before the
    // parent sees it; true when handled, with result set.
    virtual bool Reflect(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                         LRESULT& /*result*/) {
        return false;
    }
    // WM_TIMER; the message is passed on to Default afterwards.
    virtual void OnTimer(UINT_PTR /*id*/) {}
    // After WM_NCDESTROY: the window is gone and hwnd() is null.
    virtual void OnDestroyed() {}
    // After Attach has bound an existing window (a control of a template).
    virtual void OnAttached() {}

    // Binds this object to hwnd and routes its messages here; used by Create,
    // Attach and the dialog procedure.
    void Bind(HWND hwnd, bool subclass);

  private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT RouteChildMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND child,
                              bool& handled);

    HWND hwnd_ = nullptr;
    WNDPROC previous_ = nullptr;  // null: DefWindowProc
    bool attached_ = false;       // subclassed rather than created by this object
};

// A dialog from a template of the program's resources, modal or modeless.
// The dialog window is subclassed on WM_INITDIALOG, so WndProc sees its
// messages as any window's and Default reaches the system's dialog handling.
class Dialog : public Wnd {
  public:
    explicit Dialog(int templateId, HINSTANCE module = nullptr);

    // Runs the dialog modally; the value given to EndDialog, or -1 when the
    // template could not be loaded.
    INT_PTR DoModal(HWND parent);
    // Creates the dialog modeless (a child when the template says so).
    bool CreateModeless(HWND parent);
    // Ends a modal dialog with result, or destroys a modeless one.
    void EndDialog(INT_PTR result);
    bool IsModal() const { return modal_; }
    int templateId() const { return templateId_; }

  protected:
    // WM_INITDIALOG: true gives the focus to the default control.
    virtual bool OnInitDialog() { return true; }
    // IDOK and IDCANCEL commands (Enter, Escape, the close box).
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Routes IDOK and IDCANCEL; a derived dialog hands the ids it does not
    // handle to this one.
    bool OnCommand(int id, int code, HWND control) override;

  private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HINSTANCE module_;
    bool modal_ = false;
};

// The module the program's resources live in (the executable, or the DLL
// that set it with SetResourceModule).
HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module);

// A string of the resources' string table in the system code page; empty
// when missing.
std::string LoadText(int id);

// A message number registered with the system by name, asked for once.
UINT RegisteredMessage(const char* name);

}  // namespace vt::ui
