#include "ui/wnd.h"

#include <mutex>
#include <set>
#include <vector>

namespace vt::ui {
namespace {

// Marks a window bound to an object of this layer, so that FromHandle never
// reads another component's GWLP_USERDATA as one of ours.
constexpr char kBoundProperty[] = "VaelTessel.Wnd";

HINSTANCE g_resourceModule = nullptr;

bool RegisterClassOnce(const Wnd::CreateArgs& args, WNDPROC procedure) {
    static std::set<std::string> registered;
    if (registered.count(args.className))
        return true;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = args.cursor ? args.cursor : ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = args.background;
    windowClass.lpszClassName = args.className;
    if (!::RegisterClassExA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    registered.insert(args.className);
    return true;
}

}  // namespace

HINSTANCE ResourceModule() {
    return g_resourceModule ? g_resourceModule : ::GetModuleHandleA(nullptr);
}

void SetResourceModule(HINSTANCE module) {
    g_resourceModule = module;
}

std::string LoadText(int id) {
    // LoadStringW with a zero length gives the resource's own text, so no
    // buffer size cuts a long entry.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

UINT RegisteredMessage(const char* name) {
    return ::RegisterWindowMessageA(name);
}

Wnd::~Wnd() {
    if (hwnd_ == nullptr)
        return;
    if (attached_)
        Detach();
    else
        Destroy();
}

Wnd* Wnd::FromHandle(HWND hwnd) {
    if (hwnd == nullptr)
        return nullptr;
    return static_cast<Wnd*>(::GetPropA(hwnd, kBoundProperty));
}

bool Wnd::Create(const CreateArgs& args) {
    if (hwnd_ != nullptr || !RegisterClassOnce(args, StaticWndProc))
        return false;
    const HMENU menuOrId =
        (args.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)) : nullptr;
    ::CreateWindowExA(args.exStyle, args.className, args.title, args.style, args.x, args.y,
                      args.width, args.height, args.parent, menuOrId, ::GetModuleHandleA(nullptr),
                      this);
    return hwnd_ != nullptr;
}

bool Wnd::Attach(HWND hwnd) {
    if (hwnd == nullptr || hwnd_ != nullptr || FromHandle(hwnd) != nullptr)
        return false;
    Bind(hwnd, true);
    attached_ = true;
    OnAttached();
    return true;
}

HWND Wnd::Detach() {
    HWND hwnd = hwnd_;
    if (hwnd == nullptr)
        return nullptr;
    if (previous_ != nullptr)
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    ::RemovePropA(hwnd, kBoundProperty);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    previous_ = nullptr;
    attached_ = false;
    return hwnd;
}

void Wnd::Destroy() {
    if (hwnd_ != nullptr)
        ::DestroyWindow(hwnd_);
}

void Wnd::Bind(HWND hwnd, bool subclass) {
    hwnd_ = hwnd;
    ::SetPropA(hwnd, kBoundProperty, this);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (subclass)
        previous_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
}

LRESULT CALLBACK Wnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Wnd*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr && message == WM_NCCREATE) {
        self = static_cast<Wnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self != nullptr)
            self->Bind(hwnd, false);
    }
    if (self == nullptr || self->hwnd_ != hwnd)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message != WM_NCDESTROY)
        return self->WndProc(message, wParam, lParam);

    const LRESULT result = self->Default(message, wParam, lParam);
    self->Detach();
    self->OnDestroyed();
    return result;
}

LRESULT Wnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return previous_ != nullptr ? ::CallWindowProcA(previous_, hwnd_, message, wParam, lParam)
                                : ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT Wnd::RouteChildMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND child,
                               bool& handled) {
    LRESULT result = 0;
    Wnd* object = FromHandle(child);
    handled =
        object != nullptr && object != this && object->Reflect(message, wParam, lParam, result);
    return result;
}

LRESULT Wnd::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT result = 0;
    switch (message) {
        case WM_COMMAND: {
            const auto control = reinterpret_cast<HWND>(lParam);
            if (control != nullptr)
                result = RouteChildMessage(message, wParam, lParam, control, handled);
            if (handled)
                return result;
            if (OnCommand(LOWORD(wParam), HIWORD(wParam), control))
                return 0;
            break;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            result = RouteChildMessage(message, wParam, lParam, header->hwndFrom, handled);
            if (handled || OnNotify(header, result))
                return result;
            break;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (item->CtlType != ODT_MENU) {
                result = RouteChildMessage(message, wParam, lParam, item->hwndItem, handled);
                if (handled)
                    return TRUE;
            }
            break;
        }
        case WM_MEASUREITEM: {
            const auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (item->CtlType != ODT_MENU) {
                result = RouteChildMessage(message, wParam, lParam,
                                           Item(static_cast<int>(item->CtlID)), handled);
                if (handled)
                    return TRUE;
            }
            break;
        }
        case WM_TIMER:
            OnTimer(wParam);
            break;
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

RECT Wnd::ClientRect() const {
    RECT rect{};
    ::GetClientRect(hwnd_, &rect);
    return rect;
}

RECT Wnd::RectInParent() const {
    RECT rect{};
    ::GetWindowRect(hwnd_, &rect);
    if (HWND parent =
            (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) ? ::GetParent(hwnd_) : nullptr)
        ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Wnd::MoveTo(int x, int y) {
    ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Wnd::Resize(int width, int height) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Wnd::Place(int x, int y, int width, int height) {
    ::SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string Wnd::Text() const {
    const int length = ::GetWindowTextLengthA(hwnd_);
    std::string text(length + 1, '\0');
    text.resize(::GetWindowTextA(hwnd_, text.data(), length + 1));
    return text;
}

Dialog::Dialog(int templateId, HINSTANCE module) : templateId_(templateId), module_(module) {}

INT_PTR Dialog::DoModal(HWND parent) {
    modal_ = true;
    const INT_PTR result =
        ::DialogBoxParamA(module_ ? module_ : ResourceModule(), MAKEINTRESOURCEA(templateId_),
                          parent, StaticDialogProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return result;
}

bool Dialog::CreateModeless(HWND parent) {
    modal_ = false;
    return ::CreateDialogParamA(module_ ? module_ : ResourceModule(), MAKEINTRESOURCEA(templateId_),
                                parent, StaticDialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
    if (hwnd() == nullptr)
        return;
    if (modal_)
        ::EndDialog(hwnd(), result);
    else
        Destroy();
}

INT_PTR CALLBACK Dialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM /*wParam*/,
                                          LPARAM lParam) {
    // Only WM_INITDIALOG is answered here: from then on the dialog window is
    // subclassed, and its messages reach WndProc before this procedure.
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* self = reinterpret_cast<Dialog*>(lParam);
    self->Bind(hwnd, true);
    return self->OnInitDialog() ? TRUE : FALSE;
}

bool Dialog::OnCommand(int id, int /*code*/, HWND /*control*/) {
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

}  // namespace vt::ui
