// The main window's background as the skin lays it out (tools/skin/README.md):
// its eight images and the texts of its left panel, registered on a skinned
// dialog of 884 x 579. Shared by the window tests' pictures and the paint
// benchmark.
#pragma once

#include <string>

#include "resource.h"
#include "ui/skin_dialog.h"

namespace vt::test {

// Registers the background images, drawn with mode.
inline void AddMainWindowBackground(ui::CSkinDialog& dialog, ui::SliceMode mode) {
    const auto rect = [&](int id, int x, int y, int width, int height) {
        dialog.AddRectImage(
            {.resourceId = id, .place = {x, y, x + width, y + height}, .mode = mode});
    };
    rect(IDP_MAIN_FRAME, 0, 0, 884, 579);
    rect(IDP_MAIN_153, 1, 505, 882, 73);
    rect(IDP_MAIN_147, 251, 56, 628, 446);
    rect(IDP_MAIN_151, 1, 30, 882, 4);
    rect(IDP_MAIN_149, 4, 33, 246, 469);
    rect(IDP_LEFT_PANEL, 6, 35, 242, 465);
    dialog.AddImage(IDP_MAIN_150, "PNG", 7, 67);
    dialog.AddImage(IDP_MAIN_146, "PNG", 825, 14);
}

// Registers the title and the left panel's texts of the no-game-path view
// (the loading view's text as well when loading).
inline void AddLeftPanelTexts(ui::CSkinDialog& dialog, int count, bool loading) {
    constexpr uint32_t kCaption = 0xFFFFF7EE, kPanel = 0xFF272F5D;
    dialog.AddText({.text = ui::LoadText(107), .x = 35, .y = 7, .points = 11, .argb = kCaption});
    dialog.AddText({.text = ui::LoadText(184), .x = 35, .y = 45, .points = 11, .argb = kPanel});
    dialog.AddText({.text = ui::LoadText(185), .x = 180, .y = 47, .points = 10, .argb = kPanel});
    dialog.AddText(
        {.text = std::to_string(count), .x = 188, .y = 44, .points = 12, .argb = 0xFFFF5518});
    if (loading) {
        dialog.AddText(
            {.text = ui::LoadText(186), .x = 55, .y = 300, .points = 10, .argb = kPanel});
        return;
    }
    dialog.AddText({.text = ui::LoadText(182), .x = 46, .y = 203, .points = 13, .argb = kPanel});
    dialog.AddText({.text = ui::LoadText(183), .x = 74, .y = 255, .points = 10, .argb = kPanel});
}

}  // namespace vt::test
