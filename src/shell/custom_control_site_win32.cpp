#include "shell/custom_control_site.h"

#include <olectl.h>

#include <string>

#include "shell/com_object.h"
#include "shell/com_values.h"
#include "shell/external_dispatch.h"
#include "shell/html_document.h"

namespace vt::shell {

using ui::ComPtr;

// {F38BC242-B950-11D1-8918-00C04FC2C836}
const GUID kCgidDocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

std::atomic<long> CCustomControlSite::liveCount_{0};

namespace {

constexpr DWORD kShowScriptError = 40;  // OLECMDID_SHOWSCRIPTERROR
constexpr DWORD kShowMessage = 41;      // OLECMDID_SHOWMESSAGE
constexpr DWORD kHostFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_ENABLE_FORMS_AUTOCOMPLETE;

// The frame and document window the control sees while it is in place: the
// container's top-level window. The browser keeps no menus or tool space.
class InPlaceFrame final : public ComObject<IOleInPlaceFrame> {
  public:
    explicit InPlaceFrame(HWND container) : container_(container) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        return Answer(id, {IID_IOleWindow, IID_IOleInPlaceUIWindow, IID_IOleInPlaceFrame}, object);
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr)
            return E_POINTER;
        *window = container_ != nullptr ? ::GetAncestor(container_, GA_ROOT) : nullptr;
        return *window != nullptr ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
        return INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override {
        return widths == nullptr ? S_OK : INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  private:
    HWND container_;
};

}  // namespace

ComPtr<CCustomControlSite> CCustomControlSite::Create(HWND container) {
    return ComPtr<CCustomControlSite>::Adopt(new CCustomControlSite(container));
}

CCustomControlSite::CCustomControlSite(HWND container) : container_(container) {
    ++liveCount_;
}

CCustomControlSite::~CCustomControlSite() {
    --liveCount_;
}

HRESULT CCustomControlSite::QueryInterface(REFIID id, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IOleClientSite))
        *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(id, IID_IOleWindow) || IsEqualIID(id, IID_IOleInPlaceSite))
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(id, IID_IDocHostUIHandler))
        *object = static_cast<IDocHostUIHandler*>(this);
    else if (IsEqualIID(id, IID_IOleCommandTarget))
        *object = static_cast<IOleCommandTarget*>(this);
    else if (IsEqualIID(id, IID_IDispatch))
        *object = static_cast<IDispatch*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CCustomControlSite::AddRef() {
    return ++references_;
}

ULONG CCustomControlSite::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CCustomControlSite::SaveObject() {
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::GetContainer(IOleContainer** container) {
    if (container != nullptr)
        *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT CCustomControlSite::ShowObject() {
    return S_OK;
}

HRESULT CCustomControlSite::OnShowWindow(BOOL) {
    return S_OK;
}

HRESULT CCustomControlSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::GetWindow(HWND* window) {
    if (window == nullptr)
        return E_POINTER;
    *window = container_;
    return container_ != nullptr ? S_OK : E_FAIL;
}

HRESULT CCustomControlSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::CanInPlaceActivate() {
    return container_ != nullptr ? S_OK : S_FALSE;
}

HRESULT CCustomControlSite::OnInPlaceActivate() {
    return S_OK;
}

HRESULT CCustomControlSite::OnUIActivate() {
    return S_OK;
}

HRESULT CCustomControlSite::GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, RECT* position,
                                             RECT* clip, OLEINPLACEFRAMEINFO* info) {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
        info == nullptr)
        return E_POINTER;
    *frame = new InPlaceFrame(container_);
    *document = nullptr;  // the frame is the document window too
    RECT area{};
    if (container_ != nullptr)
        ::GetClientRect(container_, &area);
    *position = area;
    *clip = area;
    info->cb = sizeof *info;
    info->fMDIApp = FALSE;
    info->hwndFrame = container_ != nullptr ? ::GetAncestor(container_, GA_ROOT) : nullptr;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT CCustomControlSite::Scroll(SIZE) {
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::OnUIDeactivate(BOOL) {
    return S_OK;
}

HRESULT CCustomControlSite::OnInPlaceDeactivate() {
    return S_OK;
}

HRESULT CCustomControlSite::DiscardUndoState() {
    return S_OK;
}

HRESULT CCustomControlSite::DeactivateAndUndo() {
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::OnPosRectChange(LPCRECT) {
    // The host decides the control's place; it follows the container.
    return S_OK;
}

HRESULT CCustomControlSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    return S_OK;
}

HRESULT CCustomControlSite::GetHostInfo(DOCHOSTUIINFO* info) {
    if (info == nullptr)
        return E_POINTER;
    info->dwFlags = kHostFlags;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT CCustomControlSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                   IOleInPlaceFrame*, IOleInPlaceUIWindow*) {
    return S_OK;
}

HRESULT CCustomControlSite::HideUI() {
    return S_OK;
}

HRESULT CCustomControlSite::UpdateUI() {
    return S_OK;
}

HRESULT CCustomControlSite::EnableModeless(BOOL) {
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::OnDocWindowActivate(BOOL) {
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::OnFrameWindowActivate(BOOL) {
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::TranslateAccelerator(LPMSG, const GUID*, DWORD) {
    return S_FALSE;
}

HRESULT CCustomControlSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (key != nullptr)
        *key = nullptr;
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::GetDropTarget(IDropTarget*, IDropTarget** replacement) {
    if (replacement != nullptr)
        *replacement = nullptr;
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::GetExternal(IDispatch** external) {
    if (external == nullptr)
        return E_POINTER;
    *external = &CExternalDispatch::Instance();
    (*external)->AddRef();
    return S_OK;
}

HRESULT CCustomControlSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
    if (out != nullptr)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::FilterDataObject(IDataObject*, IDataObject** out) {
    if (out != nullptr)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) {
    return OLECMDERR_E_UNKNOWNGROUP;
}

HRESULT CCustomControlSite::Exec(const GUID* group, DWORD command, DWORD, VARIANT* in,
                                 VARIANT* out) {
    if (group == nullptr || !IsEqualGUID(*group, kCgidDocHostCommandHandler))
        return OLECMDERR_E_UNKNOWNGROUP;
    if (command == kShowScriptError) {
        if (out != nullptr)
            SetBoolean(out, true);  // keep running scripts, show nothing
        return S_OK;
    }
    if (command != kShowMessage)
        return OLECMDERR_E_UNKNOWNGROUP;

    IUnknown* document = nullptr;
    if (in != nullptr && (V_VT(in) == VT_UNKNOWN || V_VT(in) == VT_DISPATCH))
        document = V_UNKNOWN(in);
    std::wstring text;
    if (!ReadCurrentEventText(document, L"messageText", text))
        return OLECMDERR_E_UNKNOWNGROUP;
    const bool suppress = text.find(L" ActiveX ") != std::wstring::npos;
    if (out != nullptr)
        SetBoolean(out, suppress);
    return suppress ? S_OK : OLECMDERR_E_UNKNOWNGROUP;
}

HRESULT CCustomControlSite::GetTypeInfoCount(UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CCustomControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CCustomControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    for (UINT i = 0; ids != nullptr && i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT CCustomControlSite::Invoke(DISPID dispId, REFIID, LCID, WORD flags, DISPPARAMS*,
                                   VARIANT* result, EXCEPINFO*, UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET) || result == nullptr)
        return DISP_E_MEMBERNOTFOUND;
    switch (dispId) {
        case DISPID_AMBIENT_USERMODE:
            SetBoolean(result, true);
            return S_OK;
        case DISPID_AMBIENT_UIDEAD:
        case DISPID_AMBIENT_SHOWHATCHING:
        case DISPID_AMBIENT_SHOWGRABHANDLES:
            SetBoolean(result, false);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace vt::shell
