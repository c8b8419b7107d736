// The object page scripts reach as window.external. Its four methods post a
// message to the main window and return at once; every effect happens later
// on the user-interface thread. Windows only.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <atomic>

namespace vt::shell {

class CExternalDispatch final : public IDispatch {
  public:
    // The process's object: made on first use and never freed, so every page
    // may keep it as long as it likes.
    static CExternalDispatch& Instance();

    // The window the calls are posted to (the main window, set by the shell);
    // while it is null or gone, calls are lost. The heap payloads of
    // UM_SWITCH_TAB and UM_OPEN_SIMULATOR belong to that window once posted
    // (bridge_calls.h: AdoptPayload); a failed post frees them here.
    void SetTargetWindow(HWND window) { target_ = window; }
    HWND TargetWindow() const { return target_; }

    // IUnknown: IUnknown and IDispatch only. The count changes but never
    // frees the object.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: no type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    // Fills every known name's id (-1 for the others) and answers
    // DISP_E_UNKNOWNNAME when any name is unknown.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    // Always S_OK. A property get of ids 1 to 6 answers true; a method call
    // of ids 1 to 4 with exactly its number of string arguments posts its
    // message; any other call is ignored.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispId, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

  private:
    CExternalDispatch() = default;

    std::atomic<LONG> references_{1};  // the process's own reference
    std::atomic<HWND> target_{nullptr};
};

}  // namespace vt::shell
