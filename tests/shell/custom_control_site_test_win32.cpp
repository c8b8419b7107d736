#include "shell/custom_control_site.h"

#include <olectl.h>

#include <gtest/gtest.h>

#include "html_fakes.h"
#include "shell/external_dispatch.h"
#include "shell/html_document.h"
#include "ui/com_ptr.h"

namespace vt::shell {
namespace {

using test::FakeHtml;
using test::FakeHtmlState;
using ui::ComPtr;

constexpr DWORD kScriptError = 40;
constexpr DWORD kMessage = 41;

class ControlSiteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FakeHtmlState() = FakeHtml{};
        site_ = CCustomControlSite::Create(nullptr);
        commands_ = site_.As<IOleCommandTarget>(IID_IOleCommandTarget);
        ASSERT_TRUE(commands_);
    }
    void TearDown() override {
        // Every fake the road made has been given back.
        EXPECT_EQ(FakeHtmlState().liveObjects, 0);
    }

    // Exec 41 over a fake document; out starts as a sentinel number.
    HRESULT ShowMessage(const std::wstring& text, VARIANT& out,
                        FakeHtml::Failure failure = FakeHtml::Failure::kNone) {
        FakeHtmlState().messageText = text;
        FakeHtmlState().failure = failure;
        ComPtr<IUnknown> document = ComPtr<IUnknown>::Adopt(test::MakeFakeDocument());
        VARIANT in;
        ::VariantInit(&in);
        V_VT(&in) = VT_UNKNOWN;
        V_UNKNOWN(&in) = document.get();
        SetSentinel(out);
        return commands_->Exec(&kCgidDocHostCommandHandler, kMessage, 0, &in, &out);
    }

    static void SetSentinel(VARIANT& value) {
        ::VariantInit(&value);
        V_VT(&value) = VT_I4;
        V_I4(&value) = 12345;
    }
    static bool IsSentinel(const VARIANT& value) {
        return V_VT(&value) == VT_I4 && V_I4(&value) == 12345;
    }

    ComPtr<CCustomControlSite> site_;
    ComPtr<IOleCommandTarget> commands_;
};

TEST_F(ControlSiteTest, AnswersForEveryInterfaceOfASiteWithOneIdentity) {
    ComPtr<IUnknown> identity = site_.As<IUnknown>(IID_IUnknown);
    for (REFIID id : {IID_IOleClientSite, IID_IOleInPlaceSite, IID_IOleWindow,
                      IID_IDocHostUIHandler, IID_IOleCommandTarget, IID_IDispatch}) {
        ComPtr<IUnknown> face;
        ASSERT_EQ(site_->QueryInterface(id, face.PutVoid()), S_OK);
        EXPECT_EQ(face.As<IUnknown>(IID_IUnknown).get(), identity.get());
    }
    void* none = &none;
    EXPECT_EQ(site_->QueryInterface(IID_IOleInPlaceFrame, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST_F(ControlSiteTest, HostUiAnswersAsThePagesNeed) {
    ComPtr<IDocHostUIHandler> ui = site_.As<IDocHostUIHandler>(IID_IDocHostUIHandler);
    POINT point{};
    EXPECT_EQ(ui->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr), S_OK);
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    info.dwDoubleClick = 99;
    EXPECT_EQ(ui->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 0x4004u);
    EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT));
    EXPECT_EQ(ui->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->HideUI(), S_OK);
    EXPECT_EQ(ui->UpdateUI(), S_OK);
    EXPECT_EQ(ui->EnableModeless(TRUE), E_NOTIMPL);
    EXPECT_EQ(ui->OnDocWindowActivate(TRUE), E_NOTIMPL);
    EXPECT_EQ(ui->OnFrameWindowActivate(TRUE), E_NOTIMPL);
    EXPECT_EQ(ui->ResizeBorder(nullptr, nullptr, TRUE), E_NOTIMPL);
    MSG key{nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(ui->TranslateAccelerator(&key, nullptr, 0), S_FALSE);
    LPOLESTR path = nullptr;
    EXPECT_EQ(ui->GetOptionKeyPath(&path, 0), E_NOTIMPL);
    IDropTarget* drop = reinterpret_cast<IDropTarget*>(&drop);
    EXPECT_NE(ui->GetDropTarget(nullptr, &drop), S_OK);
    EXPECT_EQ(drop, nullptr);
    LPWSTR translated = nullptr;
    EXPECT_EQ(ui->TranslateUrl(0, const_cast<LPWSTR>(L"http://x/"), &translated), E_NOTIMPL);
    IDataObject* data = nullptr;
    EXPECT_EQ(ui->FilterDataObject(nullptr, &data), E_NOTIMPL);
}

TEST_F(ControlSiteTest, ExternalIsTheProcessBridgeWithAReference) {
    ComPtr<IDocHostUIHandler> ui = site_.As<IDocHostUIHandler>(IID_IDocHostUIHandler);
    CExternalDispatch& bridge = CExternalDispatch::Instance();
    const ULONG before = bridge.AddRef() - 1;
    bridge.Release();
    IDispatch* external = nullptr;
    ASSERT_EQ(ui->GetExternal(&external), S_OK);
    EXPECT_EQ(external, static_cast<IDispatch*>(&bridge));
    EXPECT_EQ(external->Release(), before);
}

TEST_F(ControlSiteTest, ScriptErrorsKeepScriptsRunningSilently) {
    VARIANT out;
    SetSentinel(out);
    EXPECT_EQ(commands_->Exec(&kCgidDocHostCommandHandler, kScriptError, 0, nullptr, &out), S_OK);
    EXPECT_EQ(V_VT(&out), VT_BOOL);
    EXPECT_EQ(V_BOOL(&out), VARIANT_TRUE);
    EXPECT_EQ(commands_->Exec(&kCgidDocHostCommandHandler, kScriptError, 0, nullptr, nullptr),
              S_OK);
}

TEST_F(ControlSiteTest, OnlyTheHostCommandGroupIsAnswered) {
    VARIANT out;
    SetSentinel(out);
    EXPECT_EQ(commands_->Exec(nullptr, kScriptError, 0, nullptr, &out), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(commands_->Exec(&IID_IUnknown, kScriptError, 0, nullptr, &out),
              OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(commands_->Exec(&kCgidDocHostCommandHandler, 42, 0, nullptr, &out),
              OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(commands_->Exec(&kCgidDocHostCommandHandler, 0, 0, nullptr, &out),
              OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_TRUE(IsSentinel(out));
    OLECMD command{kScriptError, 0};
    EXPECT_EQ(commands_->QueryStatus(&kCgidDocHostCommandHandler, 1, &command, nullptr),
              OLECMDERR_E_UNKNOWNGROUP);
}

TEST_F(ControlSiteTest, MessagesAboutActiveXAreSuppressed) {
    VARIANT out;
    for (const wchar_t* text :
         {L"This page uses an ActiveX control.", L"这个 ActiveX 控件不安全", L" ActiveX "}) {
        EXPECT_EQ(ShowMessage(text, out), S_OK) << text;
        EXPECT_EQ(V_VT(&out), VT_BOOL);
        EXPECT_EQ(V_BOOL(&out), VARIANT_TRUE);
    }
    EXPECT_EQ(FakeHtmlState().lastLocale, static_cast<LCID>(LOCALE_SYSTEM_DEFAULT));
}

TEST_F(ControlSiteTest, OtherMessagesAreLeftToTheBrowser) {
    VARIANT out;
    for (const wchar_t* text : {L"安装完成", L"ActiveX control at the start", L"ends with ActiveX",
                                L"no activex here ", L"an ActiveXcontrol", L""}) {
        EXPECT_EQ(ShowMessage(text, out), OLECMDERR_E_UNKNOWNGROUP) << text;
        EXPECT_EQ(V_VT(&out), VT_BOOL) << text;
        EXPECT_EQ(V_BOOL(&out), VARIANT_FALSE) << text;
    }
}

TEST_F(ControlSiteTest, AMessageWithoutAnOutputVariantIsStillDecided) {
    FakeHtmlState().messageText = L"an ActiveX warning";
    ComPtr<IUnknown> document = ComPtr<IUnknown>::Adopt(test::MakeFakeDocument());
    VARIANT in;
    ::VariantInit(&in);
    V_VT(&in) = VT_DISPATCH;
    V_UNKNOWN(&in) = document.get();
    EXPECT_EQ(commands_->Exec(&kCgidDocHostCommandHandler, kMessage, 0, &in, nullptr), S_OK);
}

TEST_F(ControlSiteTest, EveryFailureOnTheRoadToTheMessageIsAnUnknownGroup) {
    for (FakeHtml::Failure failure :
         {FakeHtml::Failure::kNoDocumentInterface, FakeHtml::Failure::kParentWindowFails,
          FakeHtml::Failure::kNoParentWindow, FakeHtml::Failure::kEventFails,
          FakeHtml::Failure::kNoEvent, FakeHtml::Failure::kNameUnknown,
          FakeHtml::Failure::kPropertyGetFails, FakeHtml::Failure::kNotText}) {
        VARIANT out;
        EXPECT_EQ(ShowMessage(L"an ActiveX warning", out, failure), OLECMDERR_E_UNKNOWNGROUP)
            << static_cast<int>(failure);
        EXPECT_TRUE(IsSentinel(out)) << static_cast<int>(failure);
    }
    // No document at all, or something that is not an object.
    VARIANT out;
    SetSentinel(out);
    EXPECT_EQ(commands_->Exec(&kCgidDocHostCommandHandler, kMessage, 0, nullptr, &out),
              OLECMDERR_E_UNKNOWNGROUP);
    VARIANT text;
    ::VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = ::SysAllocString(L" ActiveX ");
    EXPECT_EQ(commands_->Exec(&kCgidDocHostCommandHandler, kMessage, 0, &text, &out),
              OLECMDERR_E_UNKNOWNGROUP);
    ::VariantClear(&text);
    VARIANT empty;
    ::VariantInit(&empty);
    V_VT(&empty) = VT_UNKNOWN;
    V_UNKNOWN(&empty) = nullptr;
    EXPECT_EQ(commands_->Exec(&kCgidDocHostCommandHandler, kMessage, 0, &empty, &out),
              OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_TRUE(IsSentinel(out));
}

TEST_F(ControlSiteTest, ScriptsRunInTheDocumentWindowAsJavaScript) {
    ComPtr<IUnknown> document = ComPtr<IUnknown>::Adopt(test::MakeFakeDocument());
    EXPECT_TRUE(ExecScriptInDocument(document.get(), "refresh(1);"));
    EXPECT_EQ(FakeHtmlState().execScriptCalls, 1);
    EXPECT_EQ(FakeHtmlState().lastScript, L"refresh(1);");
    EXPECT_EQ(FakeHtmlState().lastLanguage, L"JavaScript");
    FakeHtmlState().execScriptResult = E_FAIL;
    EXPECT_FALSE(ExecScriptInDocument(document.get(), "broken("));
    FakeHtmlState().failure = FakeHtml::Failure::kNoParentWindow;
    EXPECT_FALSE(ExecScriptInDocument(document.get(), "x"));
    EXPECT_EQ(FakeHtmlState().execScriptCalls, 2);
    EXPECT_FALSE(ExecScriptInDocument(nullptr, "x"));
}

TEST_F(ControlSiteTest, AmbientPropertiesSayUserMode) {
    ComPtr<IDispatch> ambient = site_.As<IDispatch>(IID_IDispatch);
    DISPPARAMS none{};
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                              &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_FONT, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                              &result, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

}  // namespace
}  // namespace vt::shell
