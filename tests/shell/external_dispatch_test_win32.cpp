#include "shell/external_dispatch.h"

#include <gtest/gtest.h>

#include <memory>

#include "addons/addon_window.h"
#include "script_call.h"
#include "shell/bridge_calls.h"
#include "ui/wnd.h"

namespace vt::shell {
namespace {

using test::ScriptCall;

// A hidden window standing in for the main window; the bridge posts to it.
class BridgeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window_.Create(
            {.title = "main", .style = WS_POPUP, .x = 0, .y = 0, .width = 10, .height = 10}));
        bridge().SetTargetWindow(window_.hwnd());
    }
    void TearDown() override {
        bridge().SetTargetWindow(nullptr);
        MSG message;
        while (::PeekMessageA(&message, window_.hwnd(), addons::UM_ACTIVATE_INSTANCE,
                              addons::UM_OPEN_SIMULATOR, PM_REMOVE))
            FreeBridgePayload({message.message, message.wParam, message.lParam});
    }

    static CExternalDispatch& bridge() { return CExternalDispatch::Instance(); }

    HRESULT Call(DISPID id, ScriptCall& call, WORD flags = DISPATCH_METHOD,
                 VARIANT* result = nullptr) {
        return bridge().Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, call.Parameters(), result,
                               nullptr, nullptr);
    }

    // The bridge's next message to the window, if any.
    bool TakePosted(MSG& message) {
        return ::PeekMessageA(&message, window_.hwnd(), addons::UM_ACTIVATE_INSTANCE,
                              addons::UM_OPEN_SIMULATOR, PM_REMOVE) != FALSE;
    }
    bool NothingPosted() {
        MSG message;
        return !TakePosted(message);
    }

    ui::Wnd window_;
};

TEST_F(BridgeTest, AnswersForIDispatchAndIUnknownOnly) {
    void* object = nullptr;
    ASSERT_EQ(bridge().QueryInterface(IID_IDispatch, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDispatch*>(&bridge()));
    static_cast<IUnknown*>(object)->Release();
    ASSERT_EQ(bridge().QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDispatch*>(&bridge()));
    static_cast<IUnknown*>(object)->Release();
    object = &object;
    EXPECT_EQ(bridge().QueryInterface(IID_IOleClientSite, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    UINT count = 7;
    EXPECT_EQ(bridge().GetTypeInfoCount(&count), E_NOTIMPL);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(bridge().GetTypeInfo(0, 0, &info), E_NOTIMPL);
}

TEST_F(BridgeTest, ReleasingEveryReferenceNeverFreesIt) {
    const ULONG before = bridge().AddRef();
    EXPECT_EQ(bridge().Release(), before - 1);
    // More releases than references, as a careless page might: the object
    // lives on and still answers.
    for (ULONG i = 0; i < before + 3; ++i)
        bridge().Release();
    for (ULONG i = 0; i < before + 3; ++i)
        bridge().AddRef();
    ScriptCall call;
    call.Text(L"tcHome");
    EXPECT_EQ(Call(kBridgeSwitchTab, call), S_OK);
    MSG message;
    ASSERT_TRUE(TakePosted(message));
    EXPECT_EQ(*AdoptPayload<std::string>(message.wParam), "tcHome");
}

TEST_F(BridgeTest, NamesGiveTheirIdsAndUnknownNamesFailTheLookup) {
    LPOLESTR known[] = {const_cast<LPOLESTR>(L"AddPlug"), const_cast<LPOLESTR>(L"ShowPlugDetail"),
                        const_cast<LPOLESTR>(L"SwitchTab"), const_cast<LPOLESTR>(L"OpenSimulator")};
    DISPID ids[4] = {};
    EXPECT_EQ(bridge().GetIDsOfNames(IID_NULL, known, 4, 0, ids), S_OK);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(ids[1], 2);
    EXPECT_EQ(ids[2], 3);
    EXPECT_EQ(ids[3], 4);

    LPOLESTR mixed[] = {const_cast<LPOLESTR>(L"SwitchTab"), const_cast<LPOLESTR>(L"addplug"),
                        const_cast<LPOLESTR>(L"OpenSimulator"), nullptr};
    DISPID mixedIds[4] = {9, 9, 9, 9};
    EXPECT_EQ(bridge().GetIDsOfNames(IID_NULL, mixed, 4, 0, mixedIds), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(mixedIds[0], 3);
    EXPECT_EQ(mixedIds[1], DISPID_UNKNOWN);
    EXPECT_EQ(mixedIds[2], 4);
    EXPECT_EQ(mixedIds[3], DISPID_UNKNOWN);
}

TEST_F(BridgeTest, EveryMethodPostsItsMessage) {
    MSG message;
    {
        ScriptCall call;
        call.Text(L"123").Text(L"团队框架").Text(L"1");
        EXPECT_EQ(Call(kBridgeAddPlug, call), S_OK);
        ASSERT_TRUE(TakePosted(message));
        EXPECT_EQ(message.message, addons::UM_INSTALL_ADDON);
        EXPECT_EQ(message.wParam, 123u);
        EXPECT_EQ(message.lParam, 1);
    }
    {
        ScriptCall call;
        call.Text(L"42").Text(L"/Pages/Plug/PlugDetail_9.shtml");
        EXPECT_EQ(Call(kBridgeShowPlugDetail, call), S_OK);
        ASSERT_TRUE(TakePosted(message));
        EXPECT_EQ(message.message, addons::UM_SHOW_ADDON_DETAIL);
        EXPECT_EQ(message.wParam, 42u);
        EXPECT_EQ(message.lParam, 0);
    }
    {
        ScriptCall call;
        call.Text(L"tcPlugLib");
        EXPECT_EQ(Call(kBridgeSwitchTab, call), S_OK);
        ASSERT_TRUE(TakePosted(message));
        EXPECT_EQ(message.message, addons::UM_SWITCH_TAB);
        EXPECT_EQ(message.lParam, 0);
        EXPECT_EQ(*AdoptPayload<std::string>(message.wParam), "tcPlugLib");
    }
    {
        ScriptCall call;
        call.Text(L"Title").Text(L"http://127.0.0.1:8080/MacroInfo/Simulator.aspx").Text(L"600");
        call.Text(L"400").Text(L"go();");
        EXPECT_EQ(Call(kBridgeOpenSimulator, call), S_OK);
        ASSERT_TRUE(TakePosted(message));
        EXPECT_EQ(message.message, addons::UM_OPEN_SIMULATOR);
        EXPECT_EQ(message.lParam, 0);
        auto request = AdoptPayload<SimulatorRequest>(message.wParam);
        EXPECT_EQ(request->title, "Title");
        EXPECT_EQ(request->url, "http://127.0.0.1:8080/MacroInfo/Simulator.aspx");
        EXPECT_EQ(request->width, "600");
        EXPECT_EQ(request->height, "400");
        EXPECT_EQ(request->script, "go();");
    }
    EXPECT_TRUE(NothingPosted());
}

TEST_F(BridgeTest, TextsArriveInTheSystemCodePage) {
    ScriptCall call;
    call.Text(L"插件库");
    EXPECT_EQ(Call(kBridgeSwitchTab, call), S_OK);
    MSG message;
    ASSERT_TRUE(TakePosted(message));
    const std::string text = *AdoptPayload<std::string>(message.wParam);
    if (::GetACP() != 936)
        GTEST_SKIP() << "the system code page is " << ::GetACP() << ", not GBK";
    EXPECT_EQ(text, "\xB2\xE5\xBC\xFE\xBF\xE2");
}

TEST_F(BridgeTest, IdsThatDoNotStartWithADigitPostZero) {
    MSG message;
    for (const wchar_t* id : {L"abc", L"", L" x7", L"#12"}) {
        ScriptCall call;
        call.Text(id).Text(L"n").Text(L"0");
        EXPECT_EQ(Call(kBridgeAddPlug, call), S_OK);
        ASSERT_TRUE(TakePosted(message));
        EXPECT_EQ(message.wParam, 0u);
    }
    ScriptCall detail;
    detail.Text(L"x42").Text(L"u");
    EXPECT_EQ(Call(kBridgeShowPlugDetail, detail), S_OK);
    ASSERT_TRUE(TakePosted(message));
    EXPECT_EQ(message.message, addons::UM_SHOW_ADDON_DETAIL);
    EXPECT_EQ(message.wParam, 0u);
}

TEST_F(BridgeTest, PropertyGetAnswersTrueForTheKnownIdRangeOnly) {
    for (DISPID id = 1; id <= 6; ++id) {
        ScriptCall none;
        VARIANT result;
        ::VariantInit(&result);
        EXPECT_EQ(Call(id, none, DISPATCH_PROPERTYGET, &result), S_OK);
        EXPECT_EQ(V_VT(&result), VT_BOOL) << id;
        EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE) << id;
    }
    for (DISPID id : {0, 7, -1, DISPID_VALUE, 1000}) {
        ScriptCall none;
        VARIANT result;
        ::VariantInit(&result);
        EXPECT_EQ(Call(id, none, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &result), S_OK);
        EXPECT_EQ(V_VT(&result), VT_EMPTY) << id;
    }
    // A property get without a result variant is harmless.
    ScriptCall none;
    EXPECT_EQ(Call(kBridgeAddPlug, none, DISPATCH_PROPERTYGET), S_OK);
    EXPECT_TRUE(NothingPosted());
}

TEST_F(BridgeTest, ScriptEnginesCallWithMethodAndPropertyGetTogether) {
    // JScript invokes "external.AddPlug(...)" with both flags and a result.
    ScriptCall call;
    call.Text(L"7").Text(L"名字").Text(L"0");
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(Call(kBridgeAddPlug, call, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &result), S_OK);
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    MSG message;
    ASSERT_TRUE(TakePosted(message));
    EXPECT_EQ(message.message, addons::UM_INSTALL_ADDON);
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(BridgeTest, IdsFiveSixAndOutsideTheRangeDoNothing) {
    for (DISPID id : {0, 5, 6, 7}) {
        ScriptCall call;
        call.Text(L"1").Text(L"2").Text(L"3");
        EXPECT_EQ(Call(id, call), S_OK) << id;
    }
    EXPECT_TRUE(NothingPosted());
}

TEST_F(BridgeTest, CallsWithMissingOrNonStringArgumentsAreIgnored) {
    {
        ScriptCall call;  // AddPlug(123, "n"): one short
        call.Text(L"123").Text(L"n");
        EXPECT_EQ(Call(kBridgeAddPlug, call), S_OK);
    }
    {
        ScriptCall call;  // a number where a string belongs
        call.Number(123).Text(L"n").Text(L"1");
        EXPECT_EQ(Call(kBridgeAddPlug, call), S_OK);
    }
    {
        ScriptCall call;
        call.Text(L"42").Null();
        EXPECT_EQ(Call(kBridgeShowPlugDetail, call), S_OK);
    }
    {
        ScriptCall call;  // one too many
        call.Text(L"tcHome").Text(L"extra");
        EXPECT_EQ(Call(kBridgeSwitchTab, call), S_OK);
    }
    {
        ScriptCall call;
        call.Text(L"t").Text(L"u").Text(L"1").Text(L"2");
        EXPECT_EQ(Call(kBridgeOpenSimulator, call), S_OK);
    }
    // No argument block at all.
    EXPECT_EQ(bridge().Invoke(kBridgeSwitchTab, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr,
                              nullptr, nullptr),
              S_OK);
    // A block that claims arguments but has none.
    DISPPARAMS lying{nullptr, nullptr, 1, 0};
    EXPECT_EQ(bridge().Invoke(kBridgeSwitchTab, IID_NULL, 0, DISPATCH_METHOD, &lying, nullptr,
                              nullptr, nullptr),
              S_OK);
    EXPECT_TRUE(NothingPosted());
}

TEST_F(BridgeTest, StringsPassedByReferenceAreStrings) {
    BSTR name = ::SysAllocString(L"tcMacroDepot");
    VARIANT argument;
    ::VariantInit(&argument);
    V_VT(&argument) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&argument) = &name;
    DISPPARAMS block{&argument, nullptr, 1, 0};
    EXPECT_EQ(bridge().Invoke(kBridgeSwitchTab, IID_NULL, 0, DISPATCH_METHOD, &block, nullptr,
                              nullptr, nullptr),
              S_OK);
    ::SysFreeString(name);
    MSG message;
    ASSERT_TRUE(TakePosted(message));
    EXPECT_EQ(*AdoptPayload<std::string>(message.wParam), "tcMacroDepot");
}

TEST_F(BridgeTest, WithoutATargetWindowCallsAreLostNotQueuedOnTheThread) {
    bridge().SetTargetWindow(nullptr);
    ScriptCall call;
    call.Text(L"tcHome");
    EXPECT_EQ(Call(kBridgeSwitchTab, call), S_OK);
    MSG message;
    // A post to no window would land in this thread's own queue.
    EXPECT_FALSE(::PeekMessageA(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));

    ui::Wnd gone;
    ASSERT_TRUE(gone.Create({.style = WS_POPUP, .x = 0, .y = 0, .width = 1, .height = 1}));
    const HWND stale = gone.hwnd();
    gone.Destroy();
    bridge().SetTargetWindow(stale);
    ScriptCall again;
    again.Text(L"t").Text(L"u").Text(L"1").Text(L"2").Text(L"");
    EXPECT_EQ(Call(kBridgeOpenSimulator, again), S_OK);
    EXPECT_TRUE(NothingPosted());
}

}  // namespace
}  // namespace vt::shell
