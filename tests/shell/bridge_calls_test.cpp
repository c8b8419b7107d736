#include "shell/bridge_calls.h"

#include <gtest/gtest.h>

#include <climits>

#include "addons/addon_window.h"

namespace vt::shell {
namespace {

TEST(BridgeCalls, MethodNamesAreExactAndCaseSensitive) {
    EXPECT_EQ(BridgeDispId("AddPlug"), 1);
    EXPECT_EQ(BridgeDispId("ShowPlugDetail"), 2);
    EXPECT_EQ(BridgeDispId("SwitchTab"), 3);
    EXPECT_EQ(BridgeDispId("OpenSimulator"), 4);
    for (const char* other : {"addplug", "ADDPLUG", "AddPlug ", "AddPlugs", "Add", "", "Open"})
        EXPECT_EQ(BridgeDispId(other), -1) << other;
    EXPECT_EQ(BridgeArgumentCount(1), 3);
    EXPECT_EQ(BridgeArgumentCount(2), 2);
    EXPECT_EQ(BridgeArgumentCount(3), 1);
    EXPECT_EQ(BridgeArgumentCount(4), 5);
    for (int id : {0, 5, 6, 7, -1})
        EXPECT_EQ(BridgeArgumentCount(id), 0) << id;
}

TEST(BridgeCalls, LeadingIntegerReadsAsAtoiWithoutOverflow) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"123", 123},
        {"  42abc", 42},
        {"\t-7", -7},
        {"+5", 5},
        {"abc", 0},
        {"", 0},
        {"12.9", 12},
        {"0x1A", 0},
        {"- 3", 0},
        {"007", 7},
        {"--1", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"99999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-99999999999999999999", INT32_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LeadingInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(BridgeCalls, AddPlugPostsTheInstallWithLeadingIntegers) {
    auto post = MakeBridgePost(kBridgeAddPlug, {"123", "团队框架", "1"});
    ASSERT_TRUE(post);
    EXPECT_EQ(post->message, addons::UM_INSTALL_ADDON);
    EXPECT_EQ(post->wParam, 123u);
    EXPECT_EQ(post->lParam, 1);

    post = MakeBridgePost(kBridgeAddPlug, {"x12", "", "yes"});
    ASSERT_TRUE(post);
    EXPECT_EQ(post->wParam, 0u);
    EXPECT_EQ(post->lParam, 0);

    // Negative numbers travel sign-extended, as the window reads them back.
    post = MakeBridgePost(kBridgeAddPlug, {"-5", "n", "-1"});
    ASSERT_TRUE(post);
    EXPECT_EQ(static_cast<intptr_t>(post->wParam), -5);
    EXPECT_EQ(post->lParam, -1);
}

TEST(BridgeCalls, ShowPlugDetailIgnoresTheUrl) {
    auto post = MakeBridgePost(kBridgeShowPlugDetail, {"42", "/Pages/Plug/PlugDetail_7.shtml"});
    ASSERT_TRUE(post);
    EXPECT_EQ(post->message, addons::UM_SHOW_ADDON_DETAIL);
    EXPECT_EQ(post->wParam, 42u);
    EXPECT_EQ(post->lParam, 0);
}

TEST(BridgeCalls, HeapPayloadsCarryTheArgumentsInScriptOrder) {
    auto post = MakeBridgePost(kBridgeSwitchTab, {"tcPlugLib"});
    ASSERT_TRUE(post);
    EXPECT_EQ(post->message, addons::UM_SWITCH_TAB);
    EXPECT_EQ(post->lParam, 0);
    std::unique_ptr<std::string> name = AdoptPayload<std::string>(post->wParam);
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, "tcPlugLib");

    post = MakeBridgePost(
        kBridgeOpenSimulator,
        {"技能模拟器", "http://127.0.0.1:8080/MacroInfo/Simulator.aspx", "600", "400", "init();"});
    ASSERT_TRUE(post);
    EXPECT_EQ(post->message, addons::UM_OPEN_SIMULATOR);
    EXPECT_EQ(post->lParam, 0);
    std::unique_ptr<SimulatorRequest> request = AdoptPayload<SimulatorRequest>(post->wParam);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->title, "技能模拟器");
    EXPECT_EQ(request->url, "http://127.0.0.1:8080/MacroInfo/Simulator.aspx");
    EXPECT_EQ(request->width, "600");
    EXPECT_EQ(request->height, "400");
    EXPECT_EQ(request->script, "init();");
}

TEST(BridgeCalls, FailedPostsFreeTheirPayloads) {
    // Under the sanitizer build a payload left behind is a reported leak.
    for (int id : {1, 2, 3, 4}) {
        std::vector<std::string> arguments(BridgeArgumentCount(id), "7");
        auto post = MakeBridgePost(id, arguments);
        ASSERT_TRUE(post) << id;
        FreeBridgePayload(*post);
    }
}

TEST(BridgeCalls, CallsWithAnotherArgumentCountOrWithoutMethodDoNothing) {
    EXPECT_FALSE(MakeBridgePost(kBridgeAddPlug, {"1", "name"}));
    EXPECT_FALSE(MakeBridgePost(kBridgeAddPlug, {"1", "name", "0", "extra"}));
    EXPECT_FALSE(MakeBridgePost(kBridgeShowPlugDetail, {"1"}));
    EXPECT_FALSE(MakeBridgePost(kBridgeSwitchTab, {}));
    EXPECT_FALSE(MakeBridgePost(kBridgeOpenSimulator, {"t", "u", "1", "2"}));
    for (int id : {0, 5, 6, 7})
        EXPECT_FALSE(MakeBridgePost(id, {})) << id;
}

TEST(BridgeCalls, SwitchTabKnowsTheThreeTabNamesOnly) {
    EXPECT_EQ(SwitchTabFromName("tcHome"), SwitchTabTarget::kHome);
    EXPECT_EQ(SwitchTabFromName("tcPlugLib"), SwitchTabTarget::kPluginLibrary);
    EXPECT_EQ(SwitchTabFromName("tcMacroDepot"), SwitchTabTarget::kMacroDepot);
    for (const char* other : {"", "tchome", "tcHome ", "Home", "tcPlugLibrary"})
        EXPECT_EQ(SwitchTabFromName(other), SwitchTabTarget::kNone) << other;
}

}  // namespace
}  // namespace vt::shell
