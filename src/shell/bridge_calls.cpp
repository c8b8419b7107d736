#include "shell/bridge_calls.h"

#include <algorithm>
#include <limits>

#include "addons/addon_window.h"

namespace vt::shell {

namespace {

struct MethodEntry {
    std::string_view name;
    int dispId;
    int argumentCount;
};

constexpr MethodEntry kMethods[] = {
    {"AddPlug", kBridgeAddPlug, 3},
    {"ShowPlugDetail", kBridgeShowPlugDetail, 2},
    {"SwitchTab", kBridgeSwitchTab, 1},
    {"OpenSimulator", kBridgeOpenSimulator, 5},
};

// A signed number in a message parameter, sign-extended as Win32 does.
uintptr_t NumberParameter(int32_t value) {
    return static_cast<uintptr_t>(static_cast<intptr_t>(value));
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int BridgeDispId(std::string_view name) {
    for (const MethodEntry& method : kMethods) {
        if (method.name == name)
            return method.dispId;
    }
    return -1;
}

int BridgeArgumentCount(int dispId) {
    for (const MethodEntry& method : kMethods) {
        if (method.dispId == dispId)
            return method.argumentCount;
    }
    return 0;
}

int32_t LeadingInteger(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    // Accumulated as a negative number, so INT32_MIN itself is reachable.
    constexpr int64_t kLimit = -static_cast<int64_t>(std::numeric_limits<int32_t>::min());
    int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > kLimit)
            magnitude = kLimit;
    }
    if (negative)
        return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(std::min<int64_t>(magnitude, std::numeric_limits<int32_t>::max()));
}

std::optional<BridgePost> MakeBridgePost(int dispId, const std::vector<std::string>& arguments) {
    const int count = BridgeArgumentCount(dispId);
    if (count == 0 || arguments.size() != static_cast<size_t>(count))
        return std::nullopt;
    BridgePost post;
    switch (dispId) {
        case kBridgeAddPlug:
            post.message = addons::UM_INSTALL_ADDON;
            post.wParam = NumberParameter(LeadingInteger(arguments[0]));
            post.lParam = LeadingInteger(arguments[2]);
            break;
        case kBridgeShowPlugDetail:
            post.message = addons::UM_SHOW_ADDON_DETAIL;
            post.wParam = NumberParameter(LeadingInteger(arguments[0]));
            break;
        case kBridgeSwitchTab:
            post.message = addons::UM_SWITCH_TAB;
            post.wParam = ReleasePayload(std::make_unique<std::string>(arguments[0]));
            break;
        case kBridgeOpenSimulator:
            post.message = addons::UM_OPEN_SIMULATOR;
            post.wParam = ReleasePayload(std::make_unique<SimulatorRequest>(SimulatorRequest{
                arguments[0], arguments[1], arguments[2], arguments[3], arguments[4]}));
            break;
        default:
            return std::nullopt;
    }
    return post;
}

void FreeBridgePayload(const BridgePost& post) {
    if (post.message == addons::UM_SWITCH_TAB)
        AdoptPayload<std::string>(post.wParam);
    else if (post.message == addons::UM_OPEN_SIMULATOR)
        AdoptPayload<SimulatorRequest>(post.wParam);
}

SwitchTabTarget SwitchTabFromName(std::string_view name) {
    if (name == "tcHome")
        return SwitchTabTarget::kHome;
    if (name == "tcPlugLib")
        return SwitchTabTarget::kPluginLibrary;
    if (name == "tcMacroDepot")
        return SwitchTabTarget::kMacroDepot;
    return SwitchTabTarget::kNone;
}

}  // namespace vt::shell
