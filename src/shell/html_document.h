// The few roads into a page's document that the hosts take: the current
// event's properties and running a script. Each step may fail; the functions
// then answer false and leave their outputs alone. Windows only.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <string>

namespace vt::shell {

// Reads a property of the current event of the document's window (document
// as IHTMLDocument2, its parent window, that window's event, the property by
// IDispatch name lookup and property get in the system's default locale) as
// text; false when any step fails or the value is not convertible to text.
bool ReadCurrentEventText(IUnknown* document, const wchar_t* property, std::wstring& text);

// Runs script in the document's window with execScript in the given
// language; false when the document, its window or the call fails.
bool ExecScriptInDocument(IUnknown* document, const std::string& script,
                          const wchar_t* language = L"JavaScript");

}  // namespace vt::shell
