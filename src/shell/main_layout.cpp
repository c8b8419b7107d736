#include "shell/main_layout.h"

namespace vt::shell {

namespace {

constexpr SkinButtonPlace kMainButtons[] = {
    {1016, 161, 4, 305, 28},   // tab Home
    {1006, 136, 4, 420, 28},   // tab Plugin library
    {1022, 160, 4, 535, 28},   // tab Macro depot
    {1004, 137, 4, 15, 44},    // refresh local list
    {1005, 138, 4, 264, 32},   // refresh web list
    {1000, 140, 4, 755, 10},   // settings
    {1001, 132, 4, 790, 10},   // help
    {1002, 134, 4, 830, 15},   // minimise
    {1015, 129, 4, 855, 10},   // close
    {1007, 142, 4, 8, 470},    // update all
    {1008, 131, 4, 127, 470},  // delete all
    {1009, 135, 4, 14, 554},   // addon directory
    {1010, 141, 3, 700, 517},  // start game
};

constexpr BackgroundPiece kMainBackground[] = {
    {144, false, {0, 0, kMainWidth, kMainHeight}},  // frame and caption band
    {153, false, {1, 505, 882, 73}},                // footer band
    {147, false, {251, 56, 628, 446}},              // page card
    {151, false, {1, 30, 882, 4}},                  // shadow under the caption
    {149, false, {4, 33, 246, 469}},                // shadow around the left panel
    {148, false, {6, 35, 242, 465}},                // left panel
    {150, true, {7, 67, 0, 0}},                     // line under the panel header
    {146, true, {825, 14, 0, 0}},                   // caption separator
};

constexpr LayerTextPlace kAboutTexts[] = {
    {175, 10, 10, 11, kCaptionTextArgb},
    {176, 140, 55, 10, kPanelTextArgb},
    {0, 140, 75, 9, 0xFF555B75},  // rights
    // "官网：" ends before the link at x 175.
    {191, 138, 96, 9, 0xFF555B75},
    {0, 140, 117, 9, 0xFF555B75},  // maker
};

}  // namespace

std::span<const SkinButtonPlace> MainButtonPlaces() {
    return kMainButtons;
}

std::span<const BackgroundPiece> MainBackgroundPieces() {
    return kMainBackground;
}

LayerTextPlace MainText(PanelText text) {
    switch (text) {
        case PanelText::kTitle:
            return {107, 35, 7, 11, kCaptionTextArgb};
        case PanelText::kMyAddons:
            return {184, 35, 45, 11, kPanelTextArgb};
        case PanelText::kTotal:
            return {185, 180, 47, 10, kPanelTextArgb};
        case PanelText::kLoading:
            return {186, 55, 300, 10, kPanelTextArgb};
        case PanelText::kNoPathTitle:
            return {182, 46, 203, 13, kPanelTextArgb};
        case PanelText::kNoPathHint:
            return {183, 74, 255, 10, kPanelTextArgb};
        case PanelText::kNoAddonsTitle:
            return {180, 47, 203, 13, kPanelTextArgb};
        case PanelText::kNoAddonsHint:
            return {181, 75, 255, 10, kPanelTextArgb};
        case PanelText::kCount:
            break;
    }
    return {0, 188, 44, 12, kCountTextArgb};
}

int CountCentreX(int totalTextX, int prefixWidth, int prefixAndGapWidth) {
    return totalTextX + (prefixWidth + prefixAndGapWidth) / 2;
}

HintParts SplitHint(const std::string& text) {
    // Spaces are single bytes that no GBK trail byte equals.
    const size_t gap = text.find(' ');
    if (gap == std::string::npos)
        return {text, {}};
    const size_t rest = text.find_first_not_of(' ', gap);
    return {text.substr(0, gap), rest == std::string::npos ? std::string() : text.substr(rest)};
}

InlineLinkPlaces PlaceInlineLink(int textX, int prefixWidth, int linkWidth, int margin) {
    InlineLinkPlaces places;
    places.linkX = textX + prefixWidth + margin;
    places.suffixX = places.linkX + linkWidth + margin;
    return places;
}

PanelFace PanelFaceOf(const addons::LeftPanelState& panel) {
    PanelFace face;
    // One view at a time. The list covers the panel, so a list shown by an
    // install (view code 8) from another view hides that view's texts and
    // links, which would otherwise show through it.
    face.list = panel.listShown;
    face.loading = !face.list && panel.loadingShown;
    face.noGamePath = !face.list && !face.loading && panel.noGamePathShown;
    face.noAddons = !face.list && !face.loading && !face.noGamePath && panel.noAddonsShown;
    face.updateAllEnabled = panel.updateAllEnabled;
    face.deleteAllEnabled = panel.deleteAllEnabled;
    face.refreshEnabled = panel.refreshEnabled;
    face.count = panel.count;
    return face;
}

PathDialogPlaces PlacePathDialog(int width, int height, int closeWidth, int closeHeight,
                                 int buttonWidth, int buttonHeight) {
    PathDialogPlaces places;
    places.close = {width - closeWidth - 12, 10, closeWidth, closeHeight};
    places.browse = {315, 90, buttonWidth, buttonHeight};
    places.save = {162, height - buttonHeight - 9, buttonWidth, buttonHeight};
    places.edit = {69, 93, 235, 20};
    return places;
}

std::string SystemFileFilter(const std::string& filter) {
    std::string system = filter;
    for (char& c : system) {
        if (c == '|')
            c = '\0';
    }
    // The class-library form ends in "||"; the system's in two NULs.
    while (system.size() < 2 || system[system.size() - 1] != '\0' ||
           system[system.size() - 2] != '\0')
        system.push_back('\0');
    return system;
}

std::span<const LayerTextPlace> AboutTexts() {
    return kAboutTexts;
}

}  // namespace vt::shell
