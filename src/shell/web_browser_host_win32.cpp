#include "shell/web_browser_host.h"

#include <exdispid.h>

#include <atomic>

#include "shell/com_object.h"
#include "shell/com_values.h"

namespace vt::shell {

using ui::ComPtr;

namespace {

std::atomic<long> g_liveSinks{0};

bool IsBoolReference(const VARIANT& value) {
    return V_VT(&value) == (VT_BOOL | VT_BYREF) && V_BOOLREF(&value) != nullptr;
}

// A URL argument: a VARIANT reference holding a BSTR (as the browser sends
// it) or a BSTR itself.
bool ReadUrl(const VARIANT& value, std::string& url) {
    const VARIANT* inner = &value;
    if (V_VT(&value) == (VT_VARIANT | VT_BYREF)) {
        inner = V_VARIANTREF(&value);
        if (inner == nullptr)
            return false;
    }
    if (V_VT(inner) != VT_BSTR)
        return false;
    url = BstrToLocal(V_BSTR(inner));
    return true;
}

}  // namespace

// Receives DWebBrowserEvents2 and hands the events the hosts use to its host
// while it has one.
class BrowserEventSink final : public ComObject<IDispatch> {
  public:
    explicit BrowserEventSink(WebBrowserHost* host) : host_(host) { ++g_liveSinks; }
    void Detach() { host_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        return Answer(id, {IID_IDispatch, DIID_DWebBrowserEvents2}, object);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT*, EXCEPINFO*, UINT*) override;

  private:
    ~BrowserEventSink() override { --g_liveSinks; }

    WebBrowserHost* host_;
};

HRESULT BrowserEventSink::Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                 VARIANT*, EXCEPINFO*, UINT*) {
    if (host_ == nullptr || host_->events_ == nullptr)
        return S_OK;
    BrowserEvents& events = *host_->events_;
    // The block holds the event's arguments last first.
    const UINT count = parameters != nullptr ? parameters->cArgs : 0;
    const VARIANT* arguments = parameters != nullptr ? parameters->rgvarg : nullptr;
    auto argument = [&](UINT index) -> const VARIANT& { return arguments[count - 1 - index]; };
    if (count > 0 && arguments == nullptr)
        return E_INVALIDARG;

    std::string url;
    switch (dispId) {
        case DISPID_NEWWINDOW2: {
            // (IDispatch** ppDisp, VARIANT_BOOL* Cancel)
            if (count != 2 || V_VT(&argument(0)) != (VT_DISPATCH | VT_BYREF) ||
                V_DISPATCHREF(&argument(0)) == nullptr || !IsBoolReference(argument(1)))
                return E_INVALIDARG;
            bool cancel = *V_BOOLREF(&argument(1)) != VARIANT_FALSE;
            events.OnNewWindow2(*host_, V_DISPATCHREF(&argument(0)), cancel);
            *V_BOOLREF(&argument(1)) = cancel ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        case DISPID_BEFORENAVIGATE2: {
            // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
            if (count != 7 || !ReadUrl(argument(1), url) || !IsBoolReference(argument(6)))
                return E_INVALIDARG;
            bool cancel = *V_BOOLREF(&argument(6)) != VARIANT_FALSE;
            events.OnBeforeNavigate2(*host_, url, cancel);
            *V_BOOLREF(&argument(6)) = cancel ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        case DISPID_NAVIGATECOMPLETE2:
        case DISPID_DOCUMENTCOMPLETE:
            // (pDisp, URL)
            if (count != 2 || !ReadUrl(argument(1), url))
                return E_INVALIDARG;
            if (dispId == DISPID_NAVIGATECOMPLETE2)
                events.OnNavigateComplete2(*host_, url);
            else
                events.OnDocumentComplete(*host_, url);
            return S_OK;
        default:
            return S_OK;
    }
}

long LiveBrowserEventSinks() {
    return g_liveSinks;
}

WebBrowserHost::WebBrowserHost(BrowserEvents* events) : events_(events) {}

WebBrowserHost::~WebBrowserHost() {
    Close();
}

IDispatch* WebBrowserHost::EventSink() const {
    return sink_.get();
}

WebBrowserHost::Status WebBrowserHost::Create(HWND parent, int id, const RECT& rect, bool visible) {
    if (hwnd() != nullptr)
        return status_;
    DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (visible)
        style |= WS_VISIBLE;
    if (!Wnd::Create({.parent = parent,
                      .className = "VaelTesselBrowserHost",
                      .style = style,
                      .x = rect.left,
                      .y = rect.top,
                      .width = rect.right - rect.left,
                      .height = rect.bottom - rect.top,
                      .id = id,
                      .background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)})) {
        status_ = Status::kNoWindow;
        return status_;
    }
    status_ = PlaceControl() ? Status::kReady : Status::kNoControl;
    if (status_ == Status::kNoControl)
        Close();
    return status_;
}

bool WebBrowserHost::PlaceControl() {
    site_ = CCustomControlSite::Create(hwnd());
    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  control_.PutVoid())) ||
        !control_)
        return false;
    if (FAILED(control_->SetClientSite(site_.get())))
        return false;
    ::OleSetContainedObject(control_.get(), TRUE);

    sink_ = ComPtr<BrowserEventSink>::Adopt(new BrowserEventSink(this));
    if (auto points = control_.As<IConnectionPointContainer>(IID_IConnectionPointContainer)) {
        if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, eventsPoint_.Put())) &&
            eventsPoint_ && FAILED(eventsPoint_->Advise(sink_.get(), &eventsCookie_)))
            eventsCookie_ = 0;
    }

    RECT area = ClientRect();
    if (FAILED(control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.get(), 0, hwnd(), &area)))
        return false;
    inPlace_ = control_.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    active_ = control_.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
    browser_ = control_.As<IWebBrowser2>(IID_IWebBrowser2);
    if (!browser_)
        return false;
    FitControl();
    keys_.Install(hwnd(), [this](const MSG& message) { return HandOffKey(message); });
    return true;
}

void WebBrowserHost::FitControl() {
    if (!inPlace_)
        return;
    const RECT area = ClientRect();
    inPlace_->SetObjectRects(&area, &area);
}

bool WebBrowserHost::HandOffKey(const MSG& message) {
    if (!active_)
        return false;
    MSG copy = message;
    return active_->TranslateAccelerator(&copy) == S_OK;
}

bool WebBrowserHost::Navigate(const std::string& url) {
    if (!browser_)
        return false;
    BString address = BString::FromLocal(url);
    VariantValue none;
    return SUCCEEDED(
        browser_->Navigate(address.get(), none.get(), none.get(), none.get(), none.get()));
}

void WebBrowserHost::Close() {
    keys_.Remove();
    if (eventsPoint_ && eventsCookie_ != 0)
        eventsPoint_->Unadvise(eventsCookie_);
    eventsCookie_ = 0;
    eventsPoint_.Reset();
    if (inPlace_)
        inPlace_->InPlaceDeactivate();
    if (control_) {
        control_->Close(OLECLOSE_NOSAVE);
        control_->SetClientSite(nullptr);
    }
    browser_.Reset();
    active_.Reset();
    inPlace_.Reset();
    control_.Reset();
    if (sink_)
        sink_->Detach();
    sink_.Reset();
    if (site_)
        site_->Detach();
    site_.Reset();
}

LRESULT WebBrowserHost::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            FitControl();
            break;
        case WM_SETFOCUS:
            // The keyboard belongs to the page: activate the control's UI.
            if (control_) {
                RECT area = ClientRect();
                control_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site_.get(), 0, hwnd(), &area);
            }
            return 0;
        case WM_DESTROY:
            Close();
            break;
        default:
            break;
    }
    return Wnd::WndProc(message, wParam, lParam);
}

}  // namespace vt::shell
