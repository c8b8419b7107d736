#include "shell/tray_menus.h"

#include "shell/main_commands.h"

namespace vt::shell {

namespace {

// Bytes of the local (GBK) character at at: 2 for a lead byte with a byte
// after it, else 1. Trail bytes may look like ASCII ("|" is 0x7C).
size_t CharLength(std::string_view text, size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    return byte >= 0x81 && byte <= 0xFE && at + 1 < text.size() ? 2 : 1;
}

}  // namespace

std::vector<std::string> SplitMenuTexts(std::string_view text) {
    std::vector<std::string> texts(kMenuTextCount);
    size_t index = 0;
    size_t start = 0;
    // The split steps over whole characters: a trail byte is no "|".
    for (size_t at = 0; at <= text.size() && index < texts.size();) {
        if (at == text.size() || text[at] == '|') {
            texts[index++] = std::string(text.substr(start, at - start));
            start = ++at;
            continue;
        }
        at += CharLength(text, at);
    }
    return texts;
}

std::vector<MenuEntry> TrayMenuEntries() {
    return {{4, kMenuToggleWindow}, {5, kMenuStartGame}, {1, kMenuFeedback}, {6, kMenuExit}};
}

std::vector<MenuEntry> HelpMenuEntries() {
    return {{0, kMenuForum}, {1, kMenuFeedback}, {2, kMenuUpgradeCheck}, {}, {3, kMenuAbout}};
}

std::string CutLocalText(std::string_view text, size_t maxBytes) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t length = CharLength(text, end);
        if (end + length > maxBytes)
            break;
        end += length;
    }
    return std::string(text.substr(0, end));
}

}  // namespace vt::shell
