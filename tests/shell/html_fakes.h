// Stand-ins for a page's document, its window and the current event, for the
// roads the hosts take into a document (html_document.h). One shared state
// steers them: which step fails and what the event's "messageText" holds; it
// records the scripts run. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace vt::test {

struct FakeHtml {
    // The step of the road document -> window -> event -> property that fails.
    enum class Failure {
        kNone,
        kNoDocumentInterface,  // the object is not an IHTMLDocument2
        kParentWindowFails,    // get_parentWindow answers an error
        kNoParentWindow,       // get_parentWindow gives null
        kEventFails,           // get_event answers an error
        kNoEvent,              // get_event gives null
        kNameUnknown,          // the event does not know "messageText"
        kPropertyGetFails,     // the property get answers an error
        kNotText,              // the property is null, not text
    };
    Failure failure = Failure::kNone;
    std::wstring messageText;
    HRESULT execScriptResult = S_OK;

    // Records.
    long liveObjects = 0;  // fakes not yet released
    int execScriptCalls = 0;
    std::wstring lastScript;
    std::wstring lastLanguage;
    LCID lastLocale = 0;
};

// The state of the fakes; reset it between cases.
FakeHtml& FakeHtmlState();
// A new fake document as IUnknown (the caller releases it).
IUnknown* MakeFakeDocument();

}  // namespace vt::test
