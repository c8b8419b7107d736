#include "ui/addon_list_ctrl.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "platform/profile.h"

namespace vt::ui {
namespace {

constexpr uint32_t kWhite = ListColor(255, 255, 255);
constexpr UINT kTextFormat = DT_SINGLELINE | DT_VCENTER;
constexpr int kTextInset = 4;

RECT ToRect(const ListRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

ListRect FromRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

UINT AlignFormat(CellAlign align) {
    switch (align) {
        case CellAlign::kCenter:
            return DT_CENTER;
        case CellAlign::kRight:
            return DT_RIGHT;
        default:
            return DT_LEFT;
    }
}

// The system's case-sensitive comparison in the user's locale.
int SystemCompare(const char* a, const char* b) {
    return ::lstrcmpA(a, b);
}

void FrameListRect(HDC dc, const ListRect& rect, uint32_t color) {
    FillListRect(dc, {rect.left, rect.top, rect.right, rect.top + 1}, color);
    FillListRect(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, color);
    FillListRect(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, color);
    FillListRect(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, color);
}

}  // namespace

// One call of another thread, queued until the control's thread runs it. The
// work stays the caller's: it waits until the call is done or dropped.
struct CAddonListCtrl::ThreadCall {
    enum class State { kWaiting, kDone, kDropped };
    const std::function<void()>* work = nullptr;
    State state = State::kWaiting;
};

LRESULT CAddonListCtrl::CListHeader::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != HDM_LAYOUT)
        return Wnd::WndProc(message, wParam, lParam);
    const LRESULT result = Default(message, wParam, lParam);
    auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
    if (layout != nullptr && layout->pwpos != nullptr && layout->prc != nullptr) {
        layout->pwpos->cy = ScaledHeaderHeight(layout->pwpos->cy, scale);
        layout->prc->top = layout->pwpos->y + layout->pwpos->cy;
    }
    return result;
}

CAddonListCtrl::CAddonListCtrl()
    : textFont_(MakeFont(kListFontFace, -12, FW_NORMAL)),
      highlightFont_(MakeFont(kListFontFace, -14, FW_BOLD)),
      checkFont_(MakeFont(kListFontFace, -12, FW_NORMAL)),
      emptyFont_(MakeFont(kListFontFace, -16, FW_BOLD)),
      buttonClickMessage_(RegisteredMessage(kListButtonClickMessage)),
      checkMessage_(RegisteredMessage(kListCheckMessage)),
      callMessage_(RegisteredMessage("VaelTessel.AddonListCall")) {
    settings_.disabledColor = ::GetSysColor(COLOR_GRAYTEXT);
}

CAddonListCtrl::~CAddonListCtrl() {
    StopThreadCalls();
    // While this object is whole, so the window's last messages still reach
    // this class's handlers.
    if (ownsWindow_)
        Destroy();
    else
        Detach();
    records_.clear();
}

bool CAddonListCtrl::AttachList(HWND listView) {
    if (!Attach(listView))
        return false;
    return Bind(listView);
}

bool CAddonListCtrl::CreateList(const CreateListArgs& args) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    HWND listView = ::CreateWindowExA(args.exStyle, WC_LISTVIEWA, "", args.style, args.x, args.y,
                                      args.width, args.height, args.parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)),
                                      ::GetModuleHandleA(nullptr), nullptr);
    if (listView == nullptr)
        return false;
    if (args.listExStyle != 0)
        ListView_SetExtendedListViewStyleEx(listView, args.listExStyle, args.listExStyle);
    if (!AttachList(listView)) {
        ::DestroyWindow(listView);
        return false;
    }
    ownsWindow_ = true;
    return true;
}

bool CAddonListCtrl::Bind(HWND listView) {
    if (HWND header = ListView_GetHeader(listView))
        header_.Attach(header);
    std::lock_guard<std::mutex> lock(callsMutex_);
    callTarget_ = listView;
    controlThread_ = ::GetWindowThreadProcessId(listView, nullptr);
    return true;
}

// ---- Calls from other threads ----

bool CAddonListCtrl::RunOnControlThread(const std::function<void()>& work) {
    std::unique_lock<std::mutex> lock(callsMutex_);
    if (controlThread_ == 0 || ::GetCurrentThreadId() == controlThread_) {
        lock.unlock();
        work();
        return true;
    }
    if (callTarget_ == nullptr)
        return false;
    auto call = std::make_shared<ThreadCall>();
    call->work = &work;
    calls_.push_back(call);
    const HWND target = callTarget_;
    lock.unlock();
    // Sent, not posted: it is handled ahead of the thread's posted messages,
    // without this thread blocking inside the window system.
    ::SendNotifyMessageA(target, callMessage_, 0, 0);
    lock.lock();
    callsChanged_.wait(lock, [&] { return call->state != ThreadCall::State::kWaiting; });
    return call->state == ThreadCall::State::kDone;
}

template <typename Result, typename Work>
Result CAddonListCtrl::OnControlThread(Result failed, Work work) {
    Result result = failed;
    RunOnControlThread([&] { result = work(); });
    return result;
}

void CAddonListCtrl::RunQueuedCalls() {
    std::unique_lock<std::mutex> lock(callsMutex_);
    while (!calls_.empty()) {
        std::shared_ptr<ThreadCall> call = std::move(calls_.front());
        calls_.pop_front();
        lock.unlock();
        (*call->work)();
        lock.lock();
        call->state = ThreadCall::State::kDone;
        callsChanged_.notify_all();
    }
}

void CAddonListCtrl::StopThreadCalls() {
    std::lock_guard<std::mutex> lock(callsMutex_);
    for (const auto& call : calls_)
        call->state = ThreadCall::State::kDropped;
    calls_.clear();
    callTarget_ = nullptr;
    callsChanged_.notify_all();
}

// ---- Records ----

ListRow* CAddonListCtrl::RecordOf(LPARAM data) const {
    // Item data that is not one of ours (an item inserted by someone else)
    // counts as a row without a record.
    const auto found = records_.find(reinterpret_cast<const ListRow*>(data));
    return found != records_.end() ? found->second.get() : nullptr;
}

ListRow* CAddonListCtrl::Record(int index) const {
    if (index < 0)
        return nullptr;
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return RecordOf(item.lParam);
}

int CAddonListCtrl::ItemCount() const {
    return static_cast<int>(Send(LVM_GETITEMCOUNT));
}

int CAddonListCtrl::ColumnCount() const {
    return header_.hwnd() != nullptr ? Header_GetItemCount(header_.hwnd()) : 0;
}

int CAddonListCtrl::InsertItem(int index, const std::string& text, int32_t key) {
    auto record = MakeRow(ColumnCount(), key, text, SystemChecks());
    ListRow* row = record.get();
    records_.emplace(row, std::move(record));
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index < 0 ? ItemCount() : index;  // as the in-memory row table: append
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = reinterpret_cast<LPARAM>(row);
    const int inserted =
        static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (inserted < 0)
        records_.erase(row);
    return inserted;
}

int CAddonListCtrl::AddRow(const std::string& text, int32_t key) {
    return InsertItem(ItemCount(), text, key);
}

int CAddonListCtrl::InsertRow(int index, const std::string& text, int32_t key) {
    return InsertItem(index, text, key);
}

int CAddonListCtrl::InsertAddonRow(int index, int32_t key, const std::string& label,
                                   int upgradable) {
    const int row = InsertItem(index, "", key);
    ListRow* record = Record(row);
    if (record == nullptr)
        return row;
    record->ownedLayout = std::make_unique<AddonRowLayout>();
    record->ownedLayout->name = label;
    record->ownedLayout->enabled = 1;
    record->ownedLayout->noToggle = 1;
    record->ownedLayout->upgradable = upgradable;
    SetRowWidget(row, 0, record->ownedLayout.get());
    return row;
}

bool CAddonListCtrl::SetRowWidget(int row, int column, AddonRowLayout* layout) {
    ListRow* record = Record(row);
    if (record == nullptr || !AttachWidget(*record, column, layout))
        return false;
    InvalidateCell(row, column, true);
    return true;
}

ListCell* CAddonListCtrl::Cell(int row, int column) const {
    ListRow* record = Record(row);
    if (record == nullptr || column < 0 || column >= static_cast<int>(record->cells.size()))
        return nullptr;
    return &record->cells[column];
}

bool CAddonListCtrl::SetCellText(int row, int column, const std::string& text, bool highlight) {
    ListCell* cell = Cell(row, column);
    if (cell == nullptr)
        return false;
    cell->kind = kCellText;
    cell->text = text;
    cell->highlight = highlight ? 1 : 0;
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    Send(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    InvalidateCell(row, column, false);
    return true;
}

bool CAddonListCtrl::SetCellCheck(int row, int column, bool checked, bool enabled) {
    ListCell* cell = Cell(row, column);
    if (cell == nullptr)
        return false;
    cell->kind = kCellCheck;
    cell->checked = checked ? 1 : 0;
    cell->enabled = enabled ? 1 : 0;
    if (column == 0)
        SetSystemChecked(row, checked);
    InvalidateCell(row, column, false);
    return true;
}

bool CAddonListCtrl::SetCellStars(int row, int column, int stars) {
    ListCell* cell = Cell(row, column);
    if (cell == nullptr)
        return false;
    cell->kind = kCellStars;
    cell->stars = stars;
    InvalidateCell(row, column, false);
    return true;
}

bool CAddonListCtrl::IsCellChecked(int row, int column) {
    const ListCell* cell = Cell(row, column);
    if (cell == nullptr)
        return false;
    if (column == 0 && SystemChecks())
        return SystemChecked(row);
    return cell->checked != 0;
}

int32_t CAddonListCtrl::RowKey(int index) {
    const ListRow* record = Record(index);
    return record != nullptr ? record->key() : -1;
}

bool CAddonListCtrl::HasKey(int32_t key) {
    return FindKey(key) >= 0;
}

AddonRowLayout* CAddonListCtrl::LayoutOfKey(int32_t key) {
    const ListRow* record = Record(FindKeyHere(key));
    return record != nullptr ? record->cells[0].layout : nullptr;
}

int CAddonListCtrl::FindKeyHere(int32_t key) const {
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) {
        const ListRow* record = Record(i);
        if (record != nullptr && record->key() == key)
            return i;
    }
    return -1;
}

void CAddonListCtrl::ForgetRow(int index) {
    ListRow* record = Record(index);
    if (record == nullptr)
        return;
    if (const AddonRowWidget* widget = record->Widget(); widget != nullptr && widget->downloading)
        std::erase(downloading_, record->key());
    records_.erase(record);
    hotRow_ = hotColumn_ = -1;
}

void CAddonListCtrl::ForgetAllRows() {
    records_.clear();
    downloading_.clear();
    hotRow_ = hotColumn_ = -1;
}

// ---- AddonListControl ----

void CAddonListCtrl::DeleteAllRows() {
    RunOnControlThread([this] { Send(LVM_DELETEALLITEMS); });
}

int CAddonListCtrl::AddRow(int32_t key, const std::string& label, int upgradable) {
    return OnControlThread(-1, [&] { return InsertAddonRow(ItemCount(), key, label, upgradable); });
}

int CAddonListCtrl::InsertRow(int index, int32_t key, const std::string& label, int upgradable) {
    return OnControlThread(-1, [&] { return InsertAddonRow(index, key, label, upgradable); });
}

int CAddonListCtrl::FindKey(int32_t key) {
    return OnControlThread(-1, [&] { return FindKeyHere(key); });
}

int CAddonListCtrl::RowCount() {
    return OnControlThread(0, [&] { return ItemCount(); });
}

bool CAddonListCtrl::SetProgress(int32_t key, int percent) {
    return OnControlThread(false, [&] {
        const int row = FindKeyHere(key);
        ListRow* record = Record(row);
        if (record == nullptr)
            return false;
        if (AddonRowWidget* widget = record->Widget()) {
            const bool finished = ApplyProgress(downloading_, *widget, key, percent);
            InvalidateCell(row, record->cells[0].widgetColumn, finished);
        }
        return true;
    });
}

bool CAddonListCtrl::SetUpgradable(int32_t key, int upgradable) {
    return OnControlThread(false, [&] {
        const int row = FindKeyHere(key);
        ListRow* record = Record(row);
        if (record == nullptr)
            return false;
        if (AddonRowLayout* layout = record->cells[0].layout) {
            layout->upgradable = upgradable;
            InvalidateCell(row, record->cells[0].widgetColumn, true);
        }
        return true;
    });
}

void CAddonListCtrl::DeleteRow(int index) {
    RunOnControlThread([&] { Send(LVM_DELETEITEM, index); });
}

// ---- Set-up ----

bool CAddonListCtrl::SetColumns(const std::string& titles, double headerScale, int format) {
    header_.scale = headerScale;
    bool inserted = true;
    for (const ColumnEntry& column : ParseColumnList(titles)) {
        LVCOLUMNA item{};
        item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        item.fmt = format == 1 ? LVCFMT_RIGHT : format == 2 ? LVCFMT_CENTER : LVCFMT_LEFT;
        item.cx = column.width;
        item.pszText = const_cast<char*>(column.title.c_str());
        const int index = ColumnCount();
        item.iSubItem = index;
        if (Send(LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&item)) < 0) {
            inserted = false;
            break;
        }
        header_.alignDigits += HeaderAlignDigit(format);
    }
    // Rows made before their columns grow a cell for each new column.
    const size_t columns = static_cast<size_t>(std::max(ColumnCount(), 1));
    for (auto& entry : records_) {
        if (entry.second->cells.size() < columns)
            entry.second->cells.resize(columns);
    }
    NotifyPositionChanged();
    Invalidate();
    return inserted;
}

void CAddonListCtrl::SetColors(uint32_t background, uint32_t row, uint32_t altRow,
                               uint32_t selected) {
    settings_.SetColors(background, row, altRow, selected);
    Invalidate();
}

void CAddonListCtrl::SetRowHeight(int height) {
    settings_.rowHeight = height;
    NotifyPositionChanged();
    Invalidate();
}

void CAddonListCtrl::NotifyPositionChanged() {
    // A position change that names a size (the same one) makes the list view
    // ask its parent for the row height again and lay out its header.
    RECT rect{};
    ::GetWindowRect(hwnd(), &rect);
    WINDOWPOS position{};
    position.hwnd = hwnd();
    position.cx = rect.right - rect.left;
    position.cy = rect.bottom - rect.top;
    position.flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOZORDER;
    Send(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
}

void CAddonListCtrl::SetGridLines(bool on) {
    settings_.gridLines = on ? 1 : 0;
    Invalidate();
}

void CAddonListCtrl::SetEmptyText(const std::string& text) {
    settings_.emptyText = text;
    Invalidate();
}

void CAddonListCtrl::SetTextFont(const std::string& face, int height, int weight, bool italic,
                                 bool underline) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = GB2312_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
    if (HFONT made = ::CreateFontIndirectA(&font)) {
        textFont_.Reset(made);
        Invalidate();
    }
}

bool CAddonListCtrl::RestoreColumnState(const std::string& programDir) {
    const std::string value = platform::ReadProfileString(programDir + "config", "ListCtrls",
                                                          std::to_string(Id()), "", 4096);
    const int columns = ColumnCount();
    std::vector<int> widths, order;
    if (!ParseColumnState(value, static_cast<size_t>(columns), widths, order))
        return false;
    for (int i = 0; i < columns; ++i)
        Send(LVM_SETCOLUMNWIDTH, i, widths[i]);
    Send(LVM_SETCOLUMNORDERARRAY, columns, reinterpret_cast<LPARAM>(order.data()));
    Invalidate();
    return true;
}

// ---- System check state ----

bool CAddonListCtrl::SystemChecks() const {
    return (Send(LVM_GETEXTENDEDLISTVIEWSTYLE) & LVS_EX_CHECKBOXES) != 0;
}

bool CAddonListCtrl::SystemChecked(int index) const {
    return (Send(LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
           INDEXTOSTATEIMAGEMASK(2);
}

void CAddonListCtrl::SetSystemChecked(int index, bool checked) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    Send(LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

// ---- Geometry ----

std::vector<CAddonListCtrl::VisibleRow> CAddonListCtrl::VisibleRows() const {
    std::vector<VisibleRow> rows;
    const int count = ItemCount();
    const int top = static_cast<int>(Send(LVM_GETTOPINDEX));
    // One page, and the row cut by the bottom edge.
    const int end = std::min(count, top + static_cast<int>(Send(LVM_GETCOUNTPERPAGE)) + 1);
    const RECT client = ClientRect();
    for (int index = std::max(top, 0); index < end; ++index) {
        RECT rect{};
        rect.left = LVIR_BOUNDS;
        if (!Send(LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)) ||
            rect.top >= client.bottom)
            break;
        rows.push_back({index, FromRect(rect)});
    }
    return rows;
}

std::vector<ListRect> CAddonListCtrl::CellRectsOf(const ListRect& row) const {
    const int columns = ColumnCount();
    if (columns <= 0)
        return {row};
    std::vector<int> order(columns), widths(columns);
    Send(LVM_GETCOLUMNORDERARRAY, columns, reinterpret_cast<LPARAM>(order.data()));
    for (int i = 0; i < columns; ++i)
        widths[i] = static_cast<int>(Send(LVM_GETCOLUMNWIDTH, i));
    return CellRects(row, order, widths);
}

ListRect CAddonListCtrl::BelowHeader() const {
    ListRect area = FromRect(ClientRect());
    if (header_.hwnd() != nullptr && ::IsWindowVisible(header_.hwnd())) {
        RECT header{};
        ::GetWindowRect(header_.hwnd(), &header);
        area.top = std::max(area.top, static_cast<int>(header.bottom - header.top));
    }
    return area;
}

void CAddonListCtrl::InvalidateList(const ListRect& rect) {
    const RECT area = ToRect(rect);
    ::InvalidateRect(hwnd(), &area, TRUE);
}

void CAddonListCtrl::InvalidateCell(int row, int column, bool widened) {
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    if (row < 0 || !Send(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)))
        return;
    const std::vector<ListRect> cells = CellRectsOf(FromRect(rect));
    if (column < 0 || column >= static_cast<int>(cells.size()))
        return;
    InvalidateList(widened ? WidgetPaintArea(cells[column]) : cells[column]);
}

// ---- Painting ----

void CAddonListCtrl::Paint(HDC target) {
    const RECT client = ClientRect();
    Canvas canvas(target, client.right, client.bottom);
    if (!canvas)
        return;
    HDC dc = canvas.dc();
    FillListRect(dc, FromRect(client), settings_.backgroundColor);
    if (linkWidth_ < 0)
        linkWidth_ = LinkTextWidth(dc, widgetFonts_);

    const bool systemChecks = SystemChecks();
    int paintEnd = static_cast<int>(Send(LVM_GETTOPINDEX));
    for (const VisibleRow& row : VisibleRows()) {
        ListRow* record = Record(row.index);
        if (record == nullptr)
            break;  // rows after one without a record stay unpainted
        paintEnd = row.index + 1;
        const bool selected = (Send(LVM_GETITEMSTATE, row.index, LVIS_SELECTED) & LVIS_SELECTED);
        const uint32_t fill = settings_.RowFill(row.index, selected);
        FrameListRect(dc, row.rect, settings_.backgroundColor);
        FillListRect(dc, {row.rect.left, row.rect.top, row.rect.right - 1, row.rect.bottom - 1},
                     fill);
        const std::vector<ListRect> cells = CellRectsOf(row.rect);
        const bool systemChecked = systemChecks && SystemChecked(row.index);
        for (size_t column = 0; column < cells.size() && column < record->cells.size(); ++column)
            PaintCell(dc, record->cells[column], record->cells[0], cells[column],
                      static_cast<int>(column), fill, systemChecked);
        if (settings_.gridLines) {
            const int right = std::max(row.rect.right, static_cast<int>(client.right));
            FillListRect(dc, {row.rect.left, row.rect.bottom - 2, right, row.rect.bottom - 1},
                         kGridLineColor);
            FillListRect(dc, {row.rect.left, row.rect.bottom - 1, right, row.rect.bottom}, kWhite);
        }
    }
    if (ItemCount() == 0 && !settings_.emptyText.empty())
        DrawListText(dc, settings_.emptyText, FromRect(client), emptyFont_.get(), kEmptyTextColor,
                     DT_CENTER | kTextFormat);

    // The header paints itself; the copy leaves it alone.
    const int saved = ::SaveDC(target);
    if (header_.hwnd() != nullptr && ::IsWindowVisible(header_.hwnd())) {
        const ListRect below = BelowHeader();
        ::ExcludeClipRect(target, 0, 0, client.right, below.top);
    }
    canvas.CopyTo(target);
    ::RestoreDC(target, saved);

    // Rows added or removed below the painted ones since the last paint:
    // paint once more so the whole page is current.
    if (paintEnd != lastPaintEnd_) {
        lastPaintEnd_ = paintEnd;
        Invalidate();
    }
}

void CAddonListCtrl::PaintCell(HDC dc, ListCell& cell, const ListCell& first, const ListRect& rect,
                               int column, uint32_t fill, bool systemChecked) {
    const char digit =
        column < static_cast<int>(header_.alignDigits.size()) ? header_.alignDigits[column] : '0';
    const UINT align = AlignFormat(AlignOfDigit(digit));
    // Text keeps off the cell's edges, as the header's titles do.
    const ListRect textRect{rect.left + kTextInset, rect.top, rect.right - kTextInset, rect.bottom};
    switch (cell.kind) {
        case kCellText: {
            const UINT format = align | kTextFormat | (settings_.ellipsis ? DT_END_ELLIPSIS : 0);
            if (cell.text)
                DrawListText(dc, *cell.text, textRect,
                             cell.highlight ? highlightFont_.get() : textFont_.get(),
                             cell.highlight ? kHighlightTextColor : kTextColor, format);
            break;
        }
        case kCellCheck:
            if (column == 0 && SystemChecks())
                cell.checked = systemChecked ? 1 : 0;
            PaintCheckBox(dc, cell, first, rect);
            break;
        case kCellWidget:
            if (cell.widget)
                PaintRowWidget(dc, *cell.widget, rect, widgetFonts_, linkWidth_, fill,
                               settings_.rowHeight > 0 ? settings_.rowHeight : rect.Height());
            break;
        case kCellStars: {
            const StarCounts stars = StarsOf(cell.stars);
            const std::wstring text =
                std::wstring(stars.filled, L'\x2605') + std::wstring(stars.empty, L'\x2606');
            DrawListText(dc, text.c_str(), textRect, textFont_.get(), kStarColor,
                         align | kTextFormat | DT_END_ELLIPSIS);
            break;
        }
        default:
            break;
    }
}

void CAddonListCtrl::PaintCheckBox(HDC dc, const ListCell& cell, const ListCell& first,
                                   const ListRect& rect) {
    const bool hasText = cell.text && !cell.text->empty();
    const ListRect box = CheckBoxRect(rect, hasText);
    FillListRect(dc, box, kWhite);
    const uint32_t frame = cell.enabled ? settings_.checkFrameColor : settings_.disabledColor;
    FrameListRect(dc, box, frame);
    if (cell.checked) {
        const uint32_t tick = first.enabled ? kTickColor : settings_.disabledColor;
        for (const TickStroke& stroke : kTickStrokes)
            FillListRect(dc,
                         {box.left + stroke.column, box.top + stroke.row,
                          box.left + stroke.column + 1, box.top + stroke.row + kTickStrokeHeight},
                         tick);
    }
    if (hasText)
        DrawListText(dc, *cell.text, {box.right + 4, rect.top, rect.right, rect.bottom},
                     checkFont_.get(), settings_.checkTextColor,
                     DT_LEFT | kTextFormat | (settings_.ellipsis ? DT_END_ELLIPSIS : 0));
}

// ---- Mouse ----

CAddonListCtrl::WidgetHit CAddonListCtrl::WidgetAt(int x, int y) {
    for (const VisibleRow& row : VisibleRows()) {
        if (y < row.rect.top || y >= row.rect.bottom)
            continue;
        const ListRow* record = Record(row.index);
        if (record == nullptr)
            return {};
        const std::vector<ListRect> cells = CellRectsOf(row.rect);
        for (size_t column = 0; column < cells.size() && column < record->cells.size(); ++column) {
            const ListCell& cell = record->cells[column];
            if (cell.kind == kCellWidget && cell.widget && cells[column].Contains(x, y))
                return {row.index, static_cast<int>(column), cell.widget->HitCode(x, y)};
        }
        return {};
    }
    return {};
}

void CAddonListCtrl::OnMouseMove(int x, int y) {
    for (const VisibleRow& row : VisibleRows()) {
        ListRow* record = Record(row.index);
        if (record == nullptr)
            break;
        const std::vector<ListRect> cells = CellRectsOf(row.rect);
        for (size_t column = 0; column < cells.size() && column < record->cells.size(); ++column) {
            ListCell& cell = record->cells[column];
            if (cell.kind != kCellWidget || !cell.widget)
                continue;
            AddonRowWidget& widget = *cell.widget;
            if (cells[column].Contains(x, y)) {
                if (!widget.hot) {
                    widget.hot = 1;
                    ListRect area = BelowHeader();
                    InvalidateList({area.left + 1, area.top + 1, area.right - 1, area.bottom - 1});
                } else if (widget.HitCode(x, y) != kActionNone) {
                    ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
                }
                hotRow_ = row.index;
                hotColumn_ = static_cast<int>(column);
                hotRect_ = cells[column];
            } else if (widget.hot) {
                widget.hot = 0;
                InvalidateList(WidgetPaintArea(cells[column]));
            }
        }
    }
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
    ::TrackMouseEvent(&track);
}

void CAddonListCtrl::OnMouseLeave() {
    // Every row, not only the page: a hot row scrolled out of sight must not
    // come back hot.
    bool changed = false;
    for (auto& entry : records_) {
        for (ListCell& cell : entry.second->cells) {
            if (cell.widget && cell.widget->hot) {
                cell.widget->hot = 0;
                changed = true;
            }
        }
    }
    if (changed)
        InvalidateList(BelowHeader());
    hotRow_ = hotColumn_ = -1;
}

bool CAddonListCtrl::OnSetCursor() {
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(hwnd(), &point);
    if (hotRow_ < 0 || !hotRect_.Contains(point.x, point.y))
        return false;
    const ListCell* cell = Cell(hotRow_, hotColumn_);
    if (cell == nullptr || !cell->widget || cell->widget->HitCode(point.x, point.y) == kActionNone)
        return false;
    ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
    return true;
}

LRESULT CAddonListCtrl::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    int checkRow = -1;
    bool checkValue = false;
    bool overWidget = false;
    int32_t pressKey = -1;
    int pressCode = kActionNone;

    for (const VisibleRow& row : VisibleRows()) {
        if (y < row.rect.top || y >= row.rect.bottom)
            continue;
        ListRow* record = Record(row.index);
        if (record == nullptr)
            break;
        const std::vector<ListRect> cells = CellRectsOf(row.rect);
        for (size_t column = 0; column < cells.size() && column < record->cells.size(); ++column) {
            if (!cells[column].Contains(x, y))
                continue;
            ListCell& cell = record->cells[column];
            if (cell.kind == kCellCheck && cell.enabled) {
                cell.checked = !cell.checked;
                if (column == 0) {
                    checkRow = row.index;
                    checkValue = cell.checked != 0;
                }
                InvalidateList(cells[column]);
            } else if (cell.kind == kCellWidget && cell.widget) {
                overWidget = true;
                pressKey = record->key();
                pressCode = cell.widget->HitCode(x, y);
                if (pressCode != kActionNone)
                    ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
                InvalidateList(WidgetPaintArea(cells[column]));
            }
        }
        break;
    }

    if (checkRow >= 0) {
        SetSystemChecked(checkRow, checkValue);
        std::vector<bool> rows(ItemCount());
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = SystemChecked(static_cast<int>(i));
        const int32_t key = RowKey(checkRow);
        ::SendMessageA(Parent(), checkMessage_, CheckAllParam(checkValue, rows),
                       PackCheckParam(key, reinterpret_cast<uintptr_t>(hwnd())));
    }

    if (overWidget && ::GetCapture() == nullptr) {
        ::SetCapture(hwnd());
        MSG message{};
        bool released = false;
        while (::GetCapture() == hwnd()) {
            const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0)
                    ::PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (message.message == WM_LBUTTONUP && message.hwnd == hwnd()) {
                released = true;
                break;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        // Capture goes before the parent hears of the click, so a message
        // box it shows gets the mouse.
        if (::GetCapture() == hwnd())
            ::ReleaseCapture();
        if (released) {
            const int upX = GET_X_LPARAM(message.lParam), upY = GET_Y_LPARAM(message.lParam);
            const bool inWidget =
                FromRect(ClientRect()).Contains(upX, upY) && WidgetAt(upX, upY).row >= 0;
            // The action is the one under the button-down point, for the
            // row pressed: releasing over another row never acts on it.
            if (inWidget && pressCode != kActionNone)
                ::SendMessageA(Parent(), buttonClickMessage_, static_cast<WPARAM>(pressKey),
                               pressCode);
            // The list view's own click handling still sees a whole click.
            if (IsWindow())
                Post(WM_LBUTTONUP, message.wParam, message.lParam);
        }
    }

    if (!IsWindow())
        return 0;
    const LRESULT result = Default(WM_LBUTTONDOWN, wParam, lParam);
    // With system check boxes the list view toggles a state icon it was
    // clicked on as well; the cell's toggle is the one that counts.
    if (checkRow >= 0 && SystemChecks() && checkRow < ItemCount())
        SetSystemChecked(checkRow, checkValue);
    return result;
}

// ---- Messages ----

LRESULT CAddonListCtrl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == callMessage_) {
        RunQueuedCalls();
        return 0;
    }
    switch (message) {
        case WM_ERASEBKGND:
            Paint(reinterpret_cast<HDC>(wParam));
            erased_ = true;
            return TRUE;
        case WM_PAINT: {
            if (wParam != 0) {
                Paint(reinterpret_cast<HDC>(wParam));
                return 0;
            }
            // Painting happens on erase; a region invalidated without erase
            // is painted here instead.
            erased_ = false;
            PaintScope paint(hwnd());
            if (!erased_ && paint.dc() != nullptr)
                Paint(paint.dc());
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            break;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            break;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == hwnd() && LOWORD(lParam) == HTCLIENT &&
                OnSetCursor())
                return TRUE;
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            return OnLeftButtonDown(wParam, lParam);
        case LVM_DELETEITEM:
            ForgetRow(static_cast<int>(wParam));
            break;
        case LVM_DELETEALLITEMS:
            ForgetAllRows();
            break;
        case WM_DESTROY:
            StopThreadCalls();
            ForgetAllRows();
            break;
        default:
            break;
    }
    return Wnd::WndProc(message, wParam, lParam);
}

bool CAddonListCtrl::Reflect(UINT message, WPARAM /*wParam*/, LPARAM lParam, LRESULT& result) {
    if (message == WM_MEASUREITEM) {
        if (settings_.rowHeight <= 0)
            return false;
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
            static_cast<UINT>(settings_.rowHeight);
        result = TRUE;
        return true;
    }
    if (message == WM_DRAWITEM) {
        // Rows are painted on erase; nothing is drawn item by item.
        result = TRUE;
        return true;
    }
    return false;
}

bool CAddonListCtrl::OnNotify(NMHDR* header, LRESULT& /*result*/) {
    if (header->hwndFrom == header_.hwnd() &&
        (header->code == HDN_ITEMCLICKA || header->code == HDN_ITEMCLICKW))
        SortBy(reinterpret_cast<NMHEADERA*>(header)->iItem);
    return false;
}

void CAddonListCtrl::SortBy(int column) {
    sort_.Click(column);
    struct Context {
        const CAddonListCtrl* list;
        int column;
        bool ascending;
    } context{this, sort_.column, sort_.ascending};
    auto compare = [](LPARAM a, LPARAM b, LPARAM data) -> int {
        const auto* sort = reinterpret_cast<const Context*>(data);
        return CompareRows(sort->list->RecordOf(a), sort->list->RecordOf(b), sort->column,
                           sort->ascending, SystemCompare);
    };
    Send(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
         reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(compare)));
    hotRow_ = hotColumn_ = -1;
    Invalidate();
}

}  // namespace vt::ui
