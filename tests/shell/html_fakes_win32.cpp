// The fakes are written against the C form of the MSHTML interfaces: their
// vtables are plain structures, so each fake fills only the slots the hosts
// call and points every other slot at one stub that answers E_NOTIMPL (on
// x64 the caller cleans up its arguments, so one stub fits every slot).
#define CINTERFACE
#include <windows.h>

#include <mshtml.h>

#include "html_fakes.h"

namespace vt::test {

namespace {

FakeHtml g_state;

HRESULT STDMETHODCALLTYPE NotImplemented() {
    return E_NOTIMPL;
}

template <typename Vtbl>
void FillWithStubs(Vtbl& table) {
    auto** slots = reinterpret_cast<void**>(&table);
    for (size_t i = 0; i < sizeof table / sizeof(void*); ++i)
        slots[i] = reinterpret_cast<void*>(&NotImplemented);
}

// Every fake: its interface (the vtable pointer first) and a count.
template <typename Interface>
struct Fake {
    Interface face;
    LONG references;
};

template <typename Interface>
Interface* NewFake(const void* table) {
    auto* fake = new Fake<Interface>{};
    fake->face.lpVtbl = static_cast<decltype(fake->face.lpVtbl)>(const_cast<void*>(table));
    fake->references = 1;
    ++g_state.liveObjects;
    return &fake->face;
}

template <typename Interface>
ULONG STDMETHODCALLTYPE AddRefFake(Interface* self) {
    return ++reinterpret_cast<Fake<Interface>*>(self)->references;
}

template <typename Interface>
ULONG STDMETHODCALLTYPE ReleaseFake(Interface* self) {
    auto* fake = reinterpret_cast<Fake<Interface>*>(self);
    const LONG left = --fake->references;
    if (left == 0) {
        delete fake;
        --g_state.liveObjects;
    }
    return left;
}

template <typename Interface>
HRESULT Answer(Interface* self, bool known, void** object) {
    if (!known) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRefFake(self);
    *object = self;
    return S_OK;
}

constexpr DISPID kMessageTextId = 77;

// The event.
HRESULT STDMETHODCALLTYPE EventQuery(IHTMLEventObj* self, REFIID id, void** object) {
    return Answer(self,
                  IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) ||
                      IsEqualIID(id, IID_IHTMLEventObj),
                  object);
}

HRESULT STDMETHODCALLTYPE EventNames(IHTMLEventObj*, REFIID, LPOLESTR* names, UINT count,
                                     LCID locale, DISPID* ids) {
    g_state.lastLocale = locale;
    if (g_state.failure == FakeHtml::Failure::kNameUnknown || count != 1 ||
        ::lstrcmpW(names[0], L"messageText") != 0) {
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    ids[0] = kMessageTextId;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventInvoke(IHTMLEventObj*, DISPID id, REFIID, LCID locale, WORD flags,
                                      DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    g_state.lastLocale = locale;
    if (id != kMessageTextId || !(flags & DISPATCH_PROPERTYGET) || result == nullptr)
        return DISP_E_MEMBERNOTFOUND;
    if (g_state.failure == FakeHtml::Failure::kPropertyGetFails)
        return DISP_E_EXCEPTION;
    ::VariantInit(result);
    if (g_state.failure == FakeHtml::Failure::kNotText) {
        V_VT(result) = VT_NULL;
        return S_OK;
    }
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = ::SysAllocStringLen(g_state.messageText.data(),
                                         static_cast<UINT>(g_state.messageText.size()));
    return S_OK;
}

const IHTMLEventObjVtbl& EventTable() {
    static IHTMLEventObjVtbl table = [] {
        IHTMLEventObjVtbl t;
        FillWithStubs(t);
        t.QueryInterface = EventQuery;
        t.AddRef = AddRefFake<IHTMLEventObj>;
        t.Release = ReleaseFake<IHTMLEventObj>;
        t.GetIDsOfNames = EventNames;
        t.Invoke = EventInvoke;
        return t;
    }();
    return table;
}

// The window.
HRESULT STDMETHODCALLTYPE WindowQuery(IHTMLWindow2* self, REFIID id, void** object) {
    return Answer(self,
                  IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) ||
                      IsEqualIID(id, IID_IHTMLWindow2),
                  object);
}

HRESULT STDMETHODCALLTYPE WindowEvent(IHTMLWindow2*, IHTMLEventObj** event) {
    if (g_state.failure == FakeHtml::Failure::kEventFails)
        return E_FAIL;
    *event = g_state.failure == FakeHtml::Failure::kNoEvent ? nullptr
                                                            : NewFake<IHTMLEventObj>(&EventTable());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WindowExecScript(IHTMLWindow2*, BSTR code, BSTR language,
                                           VARIANT* result) {
    ++g_state.execScriptCalls;
    g_state.lastScript.assign(code ? code : L"");
    g_state.lastLanguage.assign(language ? language : L"");
    if (result != nullptr)
        ::VariantInit(result);
    return g_state.execScriptResult;
}

const IHTMLWindow2Vtbl& WindowTable() {
    static IHTMLWindow2Vtbl table = [] {
        IHTMLWindow2Vtbl t;
        FillWithStubs(t);
        t.QueryInterface = WindowQuery;
        t.AddRef = AddRefFake<IHTMLWindow2>;
        t.Release = ReleaseFake<IHTMLWindow2>;
        t.get_event = WindowEvent;
        t.execScript = WindowExecScript;
        return t;
    }();
    return table;
}

// The document.
HRESULT STDMETHODCALLTYPE DocumentQuery(IHTMLDocument2* self, REFIID id, void** object) {
    const bool document = IsEqualIID(id, IID_IHTMLDocument2) &&
                          g_state.failure != FakeHtml::Failure::kNoDocumentInterface;
    return Answer(self, IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || document,
                  object);
}

HRESULT STDMETHODCALLTYPE DocumentParentWindow(IHTMLDocument2*, IHTMLWindow2** window) {
    if (g_state.failure == FakeHtml::Failure::kParentWindowFails)
        return E_FAIL;
    *window = g_state.failure == FakeHtml::Failure::kNoParentWindow
                  ? nullptr
                  : NewFake<IHTMLWindow2>(&WindowTable());
    return S_OK;
}

const IHTMLDocument2Vtbl& DocumentTable() {
    static IHTMLDocument2Vtbl table = [] {
        IHTMLDocument2Vtbl t;
        FillWithStubs(t);
        t.QueryInterface = DocumentQuery;
        t.AddRef = AddRefFake<IHTMLDocument2>;
        t.Release = ReleaseFake<IHTMLDocument2>;
        t.get_parentWindow = DocumentParentWindow;
        return t;
    }();
    return table;
}

}  // namespace

FakeHtml& FakeHtmlState() {
    return g_state;
}

IUnknown* MakeFakeDocument() {
    return reinterpret_cast<IUnknown*>(NewFake<IHTMLDocument2>(&DocumentTable()));
}

}  // namespace vt::test
