#include "ui/addon_row_widget.h"

#include <algorithm>

namespace vt::ui {

void AddonRowWidget::Layout(const ListRect& cell, int linkWidth, int nameWidth) {
    if (layout == nullptr)
        return;
    const int L = cell.left, T = cell.top, R = cell.right, B = cell.bottom;
    const int w = linkWidth;
    AddonRowLayout& out = *layout;

    // The badge and both links share one line in the lower half of the row.
    out.badgeRect.left = L + 5;
    out.badgeRect.top = T + (B - T) / 2 + 4;
    out.badgeRect.right = out.badgeRect.left + (w / 2) * 3;
    out.badgeRect.bottom = out.badgeRect.top + kLinkTextHeight;

    out.deleteRect.left = R - w - 9;
    out.deleteRect.top = out.badgeRect.top;
    out.deleteRect.right = out.deleteRect.left + w;
    out.deleteRect.bottom = out.deleteRect.top + kLinkTextHeight;

    out.toggleRect.left = out.deleteRect.left - w - 5;
    out.toggleRect.top = out.badgeRect.top;
    out.toggleRect.right = out.deleteRect.left - 5;
    out.toggleRect.bottom = out.deleteRect.bottom;

    out.cancelRect = {R - 23, B - 18, R - 15, B - 10};

    out.nameRect.left = L + 6;
    out.nameRect.top = T + 1;
    out.nameRect.right = L + 5 + std::min(nameWidth + 1, R - L - 15);
    out.nameRect.bottom = T + 2 + (B - T) / 2;

    out.detailsRect.left = out.nameRect.right + 1;
    out.detailsRect.top = T + (B - T) / 4 - 5;
    out.detailsRect.right = out.detailsRect.left + 10;
    out.detailsRect.bottom = out.detailsRect.top + 12;
}

int AddonRowWidget::HitCode(int x, int y) const {
    if (layout == nullptr)
        return kActionNone;
    const AddonRowLayout& in = *layout;
    if (downloading) {
        if (in.cancelRect.Contains(x, y))
            return kActionCancel;
        if (in.upgradable && in.detailsRect.Contains(x, y))
            return kActionUpgrade;
        return kActionNone;
    }
    if (in.upgradable && in.badgeRect.Contains(x, y))
        return kActionUpgrade;
    if (in.deleteRect.Contains(x, y))
        return kActionDelete;
    if (!in.noToggle && in.toggleRect.Contains(x, y))
        return kActionToggle;
    if (in.detailsRect.Contains(x, y))
        return kActionDetails;
    return kActionNone;
}

uint32_t AddonRowWidget::NameColor() const {
    const bool enabled = layout == nullptr || layout->enabled;
    if (!enabled)
        return ListColor(126, 163, 180);
    if (hot)
        return ListColor(153, 58, 21);
    if (downloading)
        return ListColor(0, 70, 102);
    return ListColor(48, 48, 48);
}

ListRect WidgetPaintArea(const ListRect& cell) {
    ListRect area = cell;
    area.right += kWidgetOverhang;
    return area;
}

ListRect ProgressBarRect(const ListRect& cell, int percent) {
    percent = std::clamp(percent, 0, 100);
    ListRect bar = cell;
    bar.right = cell.left + cell.Width() * percent / 100 - 2;
    bar.top += 2;
    bar.bottom -= 4;
    if (bar.right < bar.left)
        bar.right = bar.left;
    return bar;
}

ListRect PercentTextRect(const ListRect& cancelRect) {
    return {cancelRect.left - 67, cancelRect.bottom - 14, cancelRect.left - 15,
            cancelRect.bottom + 2};
}

BadgeArrow BadgeArrowStrokes(const ListRect& badgeRect) {
    const int x = badgeRect.right + 3, top = badgeRect.top;
    return {{x, top, x, top + 12},
            {x, top, badgeRect.right + 1, top + 4},
            {x, top, badgeRect.right + 6, top + 4}};
}

uint32_t MixColor(uint32_t a, uint32_t b, int numerator, int denominator) {
    if (denominator <= 0)
        return a;
    numerator = std::clamp(numerator, 0, denominator);
    uint32_t mixed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int from = static_cast<int>(a >> shift & 0xFF),
                  to = static_cast<int>(b >> shift & 0xFF);
        const int channel = from + (to - from) * numerator / denominator;
        mixed |= static_cast<uint32_t>(channel) << shift;
    }
    return mixed;
}

uint32_t HotGradientColor(const ListRect& area, int rowHeight, int y) {
    if (rowHeight <= 0)
        rowHeight = std::max(area.Height(), 1);
    const int offset = y - (area.top + kHotGradientOffset);
    const int phase = ((offset % rowHeight) + rowHeight) % rowHeight;
    return MixColor(ListColor(255, 255, 255), kHotGradientEnd, phase, rowHeight);
}

}  // namespace vt::ui
