#include "shell/external_dispatch.h"

#include <string>
#include <vector>

#include "shell/bridge_calls.h"
#include "shell/com_values.h"

namespace vt::shell {

namespace {

// The script's arguments in the script's order (the block holds them last
// first), each as local text; false when the call does not pass exactly count
// strings, so nothing that was not passed is ever read.
bool ScriptArguments(const DISPPARAMS* parameters, int count, std::vector<std::string>& out) {
    if (parameters == nullptr || parameters->cArgs != static_cast<UINT>(count) ||
        (count > 0 && parameters->rgvarg == nullptr))
        return false;
    for (int i = count - 1; i >= 0; --i) {
        const VARIANT& argument = parameters->rgvarg[i];
        if (V_VT(&argument) == VT_BSTR)
            out.push_back(BstrToLocal(V_BSTR(&argument)));
        else if (V_VT(&argument) == (VT_BSTR | VT_BYREF) && V_BSTRREF(&argument) != nullptr)
            out.push_back(BstrToLocal(*V_BSTRREF(&argument)));
        else
            return false;
    }
    return true;
}

}  // namespace

CExternalDispatch& CExternalDispatch::Instance() {
    static CExternalDispatch instance;
    return instance;
}

HRESULT CExternalDispatch::QueryInterface(REFIID id, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CExternalDispatch::AddRef() {
    return static_cast<ULONG>(++references_);
}

ULONG CExternalDispatch::Release() {
    return static_cast<ULONG>(--references_);
}

HRESULT CExternalDispatch::GetTypeInfoCount(UINT* /*count*/) {
    return E_NOTIMPL;
}

HRESULT CExternalDispatch::GetTypeInfo(UINT /*index*/, LCID /*locale*/, ITypeInfo** /*info*/) {
    return E_NOTIMPL;
}

HRESULT CExternalDispatch::GetIDsOfNames(REFIID /*id*/, LPOLESTR* names, UINT count,
                                         LCID /*locale*/, DISPID* ids) {
    if (count > 0 && (names == nullptr || ids == nullptr))
        return E_INVALIDARG;
    bool allKnown = true;
    for (UINT i = 0; i < count; ++i) {
        const std::string name =
            names[i] != nullptr ? WideToLocal(names[i], ::wcslen(names[i])) : std::string();
        ids[i] = BridgeDispId(name);
        allKnown = allKnown && ids[i] != DISPID_UNKNOWN;
    }
    return allKnown ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT CExternalDispatch::Invoke(DISPID dispId, REFIID /*id*/, LCID /*locale*/, WORD flags,
                                  DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* /*exception*/,
                                  UINT* /*argumentError*/) {
    if (dispId < 1 || dispId > kBridgeLastDispId)
        return S_OK;
    // Scripts test a method's presence ("if (external.AddPlug)") with a
    // property get, which must read as true.
    if ((flags & DISPATCH_PROPERTYGET) && result != nullptr)
        SetBoolean(result, true);
    if (!(flags & DISPATCH_METHOD) || dispId > kBridgeOpenSimulator)
        return S_OK;
    std::vector<std::string> arguments;
    if (!ScriptArguments(parameters, BridgeArgumentCount(dispId), arguments))
        return S_OK;
    const std::optional<BridgePost> post = MakeBridgePost(dispId, arguments);
    if (!post)
        return S_OK;
    // A null window would make this a thread message nobody frees.
    const HWND target = target_;
    if (target == nullptr ||
        !::PostMessageA(target, post->message, static_cast<WPARAM>(post->wParam),
                        static_cast<LPARAM>(post->lParam)))
        FreeBridgePayload(*post);
    return S_OK;
}

}  // namespace vt::shell
