// The site of every WebBrowser control the program hosts: the OLE container
// side the control talks to (client site, in-place site and frame, ambient
// properties) plus the two hooks that shape the pages: IDocHostUIHandler (no
// context menu, flat look, window.external) and IOleCommandTarget (script
// errors and ActiveX warnings kept from the user). Windows only.
#pragma once

#include <windows.h>

#include <docobj.h>
#include <mshtmhst.h>
#include <oaidl.h>
#include <ole2.h>

#include <atomic>

#include "ui/com_ptr.h"

namespace vt::shell {

class CCustomControlSite final : public IOleClientSite,
                                 public IOleInPlaceSite,
                                 public IDocHostUIHandler,
                                 public IOleCommandTarget,
                                 public IDispatch {
  public:
    // A new site for a control whose in-place window lives in container; the
    // caller holds the one reference.
    static ui::ComPtr<CCustomControlSite> Create(HWND container);
    // Forgets the container (the host is going away); the site then answers
    // as a site without a window until the control lets it go.
    void Detach() { container_ = nullptr; }
    // Sites alive in this process, for leak checks.
    static long LiveCount() { return liveCount_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleClientSite: no storage, no moniker, no container object.
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

    // IOleWindow and IOleInPlaceSite: the control is placed over the whole
    // client area of the container.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, RECT* position,
                                               RECT* clip, OLEINPLACEFRAMEINFO* info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;

    // IDocHostUIHandler, as the pages need it: see each method.
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* point, IUnknown* target,
                                              IDispatch* object) override;  // S_OK: none shown
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;    // flags 0x4004
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD id, IOleInPlaceActiveObject* active,
                                     IOleCommandTarget* target, IOleInPlaceFrame* frame,
                                     IOleInPlaceUIWindow* document) override;
    HRESULT STDMETHODCALLTYPE HideUI() override;
    HRESULT STDMETHODCALLTYPE UpdateUI() override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                           BOOL frameWindow) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, const GUID* group,
                                                   DWORD command) override;  // S_FALSE
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* browserTarget,
                                            IDropTarget** replacement) override;
    // The process's CExternalDispatch, with a reference added.
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* out) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* object, IDataObject** out) override;

    // IOleCommandTarget: only CGID_DocHostCommandHandler is answered.
    // Command 40 (a script error) keeps scripts running without a dialog;
    // command 41 (a message box) is suppressed when the current event's
    // "messageText" contains " ActiveX ", else left to the browser. Every
    // other case gives OLECMDERR_E_UNKNOWNGROUP. out is written only when
    // given.
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* group, ULONG count, OLECMD commands[],
                                          OLECMDTEXT* text) override;
    HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in,
                                   VARIANT* out) override;

    // IDispatch: the ambient properties (user mode, no hatching or handles).
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispId, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

  private:
    explicit CCustomControlSite(HWND container);
    ~CCustomControlSite();

    std::atomic<ULONG> references_{1};
    HWND container_;
    static std::atomic<long> liveCount_;
};

// The group of the browser's host commands (script errors, message boxes).
extern const GUID kCgidDocHostCommandHandler;

}  // namespace vt::shell
