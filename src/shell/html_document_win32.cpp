#include "shell/html_document.h"

#include <mshtml.h>

#include "shell/com_values.h"
#include "ui/com_ptr.h"

namespace vt::shell {

using ui::ComPtr;

namespace {

ComPtr<IHTMLWindow2> DocumentWindow(IUnknown* document) {
    ComPtr<IHTMLWindow2> window;
    if (document == nullptr)
        return window;
    ComPtr<IHTMLDocument2> html;
    if (FAILED(document->QueryInterface(IID_IHTMLDocument2, html.PutVoid())) || !html)
        return window;
    if (FAILED(html->get_parentWindow(window.Put())))
        window.Reset();
    return window;
}

}  // namespace

bool ReadCurrentEventText(IUnknown* document, const wchar_t* property, std::wstring& text) {
    ComPtr<IHTMLWindow2> window = DocumentWindow(document);
    if (!window)
        return false;
    ComPtr<IHTMLEventObj> event;
    if (FAILED(window->get_event(event.Put())) || !event)
        return false;
    // The event is read through its IDispatch, by name: the property is not
    // part of every event interface the engine may hand out.
    DISPID id = DISPID_UNKNOWN;
    auto* name = const_cast<LPOLESTR>(property);
    if (FAILED(event->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &id)))
        return false;
    DISPPARAMS none{};
    VariantValue value;
    if (FAILED(event->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &none,
                             value.get(), nullptr, nullptr)))
        return false;
    if (V_VT(value.get()) != VT_BSTR &&
        FAILED(::VariantChangeType(value.get(), value.get(), 0, VT_BSTR)))
        return false;
    const BSTR bstr = V_BSTR(value.get());
    text.assign(bstr != nullptr ? bstr : L"", bstr != nullptr ? ::SysStringLen(bstr) : 0);
    return true;
}

bool ExecScriptInDocument(IUnknown* document, const std::string& script, const wchar_t* language) {
    ComPtr<IHTMLWindow2> window = DocumentWindow(document);
    if (!window)
        return false;
    BString code = BString::FromLocal(script);
    BString languageName{std::wstring(language)};
    VariantValue result;
    return SUCCEEDED(window->execScript(code.get(), languageName.get(), result.get()));
}

}  // namespace vt::shell
