// What a call of a page script through window.external means: the method
// table, the arguments each method takes, and the message it becomes for the
// main window, with the heap payloads those messages carry. Portable, so the
// decisions are tested natively; the Windows side only converts VARIANTs and
// posts (external_dispatch.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::shell {

// Dispatch ids of the bridge's methods. Invoke also accepts 5 and 6, which
// have no name and do nothing.
enum BridgeMethod : int {
    kBridgeAddPlug = 1,
    kBridgeShowPlugDetail = 2,
    kBridgeSwitchTab = 3,
    kBridgeOpenSimulator = 4,
    kBridgeLastDispId = 6,
};

// The dispatch id of a method name (exact, case-sensitive, in the local code
// page), or -1 (DISPID_UNKNOWN) for any other name.
int BridgeDispId(std::string_view name);
// How many string arguments a method takes; 0 for ids without a method.
int BridgeArgumentCount(int dispId);

// The decimal integer at the start of text, as atoi reads it: leading blanks
// and one sign are skipped, reading stops at the first non-digit, and 0 means
// none. Values beyond 32 bits are clamped instead of overflowing.
int32_t LeadingInteger(std::string_view text);

// The payload of UM_OPEN_SIMULATOR: the five strings of OpenSimulator in the
// script's order.
struct SimulatorRequest {
    std::string title;
    std::string url;
    std::string width;
    std::string height;
    std::string script;
};

// A heap payload travels in a message parameter as a released pointer. The
// sender releases it into the parameter and keeps it only when the post
// fails; the handler adopts it again and so frees it. Both sides use these
// two functions, so the payload's type and owner are never guessed.
template <typename Payload>
uintptr_t ReleasePayload(std::unique_ptr<Payload> payload) {
    return reinterpret_cast<uintptr_t>(payload.release());
}
template <typename Payload>
std::unique_ptr<Payload> AdoptPayload(uintptr_t parameter) {
    return std::unique_ptr<Payload>(reinterpret_cast<Payload*>(parameter));
}

// The message a bridge call posts. For UM_SWITCH_TAB wParam owns a
// std::string, for UM_OPEN_SIMULATOR a SimulatorRequest; the other messages
// carry plain numbers.
struct BridgePost {
    unsigned message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// The post for a method call with its arguments in the script's order, or
// nothing when the call does nothing: an id without a method, or a call whose
// argument count is not the method's (no argument is guessed). A returned post
// owns its payload until FreeBridgePayload or the handler's AdoptPayload.
std::optional<BridgePost> MakeBridgePost(int dispId, const std::vector<std::string>& arguments);
// Frees the payload of a post that could not be delivered.
void FreeBridgePayload(const BridgePost& post);

// The tabs UM_SWITCH_TAB can select, by the names the pages use.
enum class SwitchTabTarget { kNone, kHome, kPluginLibrary, kMacroDepot };
// "tcHome", "tcPlugLib" or "tcMacroDepot"; kNone for any other text.
SwitchTabTarget SwitchTabFromName(std::string_view name);

}  // namespace vt::shell
