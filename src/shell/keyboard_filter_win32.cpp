#include "shell/keyboard_filter.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace vt::shell {

struct KeyboardFilterRegistry {
    std::vector<KeyboardFilter*> filters;
    HHOOK hook = nullptr;

    static KeyboardFilterRegistry& OfThread() {
        thread_local KeyboardFilterRegistry registry;
        return registry;
    }

    bool Contains(const KeyboardFilter* filter) const {
        return std::find(filters.begin(), filters.end(), filter) != filters.end();
    }

    static int Depth(HWND window) {
        int depth = 0;
        for (HWND up = ::GetParent(window); up != nullptr; up = ::GetParent(up))
            ++depth;
        return depth;
    }

    // True when one of the filters swallows the message.
    bool Offer(const MSG& message) {
        std::vector<std::pair<int, KeyboardFilter*>> matching;
        for (KeyboardFilter* filter : filters) {
            if (message.hwnd == filter->root_ || ::IsChild(filter->root_, message.hwnd))
                matching.emplace_back(Depth(filter->root_), filter);
        }
        std::stable_sort(matching.begin(), matching.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [depth, filter] : matching) {
            // A handler may close windows and so remove filters met later.
            if (Contains(filter) && filter->handler_(message))
                return true;
        }
        return false;
    }

    static LRESULT CALLBACK Hook(int code, WPARAM removal, LPARAM parameter) {
        auto* message = reinterpret_cast<MSG*>(parameter);
        if (code == HC_ACTION && removal == PM_REMOVE && message->hwnd != nullptr &&
            message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
            OfThread().Offer(*message))
            message->message = WM_NULL;
        return ::CallNextHookEx(nullptr, code, removal, parameter);
    }
};

void KeyboardFilter::Install(HWND root, Handler handler) {
    Remove();
    if (root == nullptr || !handler)
        return;
    KeyboardFilterRegistry& registry = KeyboardFilterRegistry::OfThread();
    if (registry.hook == nullptr) {
        registry.hook = ::SetWindowsHookExA(WH_GETMESSAGE, KeyboardFilterRegistry::Hook, nullptr,
                                            ::GetCurrentThreadId());
        if (registry.hook == nullptr)
            return;
    }
    root_ = root;
    handler_ = std::move(handler);
    registry.filters.push_back(this);
}

void KeyboardFilter::Remove() {
    KeyboardFilterRegistry& registry = KeyboardFilterRegistry::OfThread();
    if (!registry.Contains(this))
        return;
    registry.filters.erase(std::find(registry.filters.begin(), registry.filters.end(), this));
    root_ = nullptr;
    handler_ = nullptr;
    if (registry.filters.empty() && registry.hook != nullptr)
        ::UnhookWindowsHookEx(std::exchange(registry.hook, nullptr));
}

}  // namespace vt::shell
