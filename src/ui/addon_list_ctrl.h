// The installed-addons list: a report-style list view whose rows the control
// paints entirely by itself, off-screen, when its background is erased. A row
// holds one cell per column (text, check box, star rating or an addon row
// widget); clicks in a widget reach the parent as "_KXBUTTONCLICK" (row key,
// action code) and check-box clicks as "_KXLISCTRLCHECTK____". Windows only.
//
// Threads: the control lives on the thread that made its window. The
// operations of AddonListControl may be called from any thread: a call from
// another thread is queued to the control and announced to its thread by a
// sent notification (handled ahead of posted messages, and inside any wait
// that handles sent messages); the caller waits until the control's thread has
// applied it, so results read back (FindKey, RowCount) are current. The wait
// ends early, dropping the call (results -1, 0 or false), when the window is
// destroyed or StopThreadCalls is called: an owner that is about to block its
// user-interface thread on a worker (at exit) calls StopThreadCalls first, so
// a worker waiting on the list can never deadlock with it. All other
// operations belong to the control's thread.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "addons/addon_window.h"
#include "ui/addon_row_widget_paint.h"
#include "ui/gdi.h"
#include "ui/list_layout.h"
#include "ui/wnd.h"

namespace vt::ui {

// Registered messages the control sends to its parent.
constexpr char kListButtonClickMessage[] = "_KXBUTTONCLICK";
constexpr char kListCheckMessage[] = "_KXLISCTRLCHECTK____";

class CAddonListCtrl : public Wnd, public addons::AddonListControl {
  public:
    CAddonListCtrl();
    // Frees every row record; destroys a window it created, gives an attached
    // one back its own procedure.
    ~CAddonListCtrl() override;

    // Binds the control to a report list view with LVS_OWNERDRAWFIXED (the
    // main window's control 1011). Its parent must reflect WM_MEASUREITEM
    // (any Wnd does) for SetRowHeight to take.
    bool AttachList(HWND listView);
    // Where and how CreateList makes its list view.
    struct CreateListArgs {
        HWND parent = nullptr;
        int id = 0;
        int x = 0, y = 0, width = 240, height = 400;
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDRAWFIXED |
                      LVS_SINGLESEL | LVS_SHOWSELALWAYS;
        DWORD exStyle = 0;
        DWORD listExStyle = 0;  // LVS_EX_...; LVS_EX_CHECKBOXES gives system check boxes
    };
    // Creates a list view as a child of args.parent and binds to it.
    bool CreateList(const CreateListArgs& args);

    // Set-up. titles: "title,width" entries separated by ";"; headerScale
    // multiplies the header's height (0 hides it); format aligns every
    // column (0 left, 1 right, 2 centred). False when a column cannot be
    // inserted (the columns before it stay).
    bool SetColumns(const std::string& titles, double headerScale, int format);
    // kKeepColor (-1) arguments keep a colour; see ListSettings::SetColors.
    void SetColors(uint32_t background, uint32_t row, uint32_t altRow, uint32_t selected);
    // Every row's height in pixels (used when positive); the list measures
    // its rows again at once.
    void SetRowHeight(int height);
    // A separator line under every row.
    void SetGridLines(bool on);
    // Drawn centred in blue while the list has no rows; empty draws nothing.
    void SetEmptyText(const std::string& text);
    // The font of text cells.
    void SetTextFont(const std::string& face, int height, int weight = FW_NORMAL,
                     bool italic = false, bool underline = false);
    // Applies the column widths and order saved under this control's id in
    // section "ListCtrls" of the "config" file in programDir (with its
    // trailing backslash): "222,1;0,1", the widths, then optionally the
    // display order. False, changing nothing, when there is no usable value.
    bool RestoreColumnState(const std::string& programDir);

    // Rows. A row gets a fresh record with key and its first column's text;
    // the index of the new row, or -1.
    int AddRow(const std::string& text, int32_t key);
    int InsertRow(int index, const std::string& text, int32_t key);
    // Makes the cell a widget over layout (owned by the caller while the row
    // exists); false for a row without a record or a column it lacks.
    bool SetRowWidget(int row, int column, AddonRowLayout* layout);
    // Cell kinds besides the widget; false for a row without a record.
    bool SetCellText(int row, int column, const std::string& text, bool highlight = false);
    bool SetCellCheck(int row, int column, bool checked, bool enabled = true);
    bool SetCellStars(int row, int column, int stars);
    // A check-box cell's state (column 0 follows the system check state when
    // the list shows system check boxes).
    bool IsCellChecked(int row, int column);
    // The key given at insertion, or -1.
    int32_t RowKey(int index);
    // Whether a row has the key.
    bool HasKey(int32_t key);
    // The layout of the first row with key, or null.
    AddonRowLayout* LayoutOfKey(int32_t key);
    // The keys whose widget shows a download.
    const std::vector<int32_t>& DownloadingKeys() const { return downloading_; }
    // The colours, flags and texts the list paints with.
    const ListSettings& Settings() const { return settings_; }
    // The widget cell a click at this client point would answer, -1 when
    // none: (row, column) and the action code computed there.
    struct WidgetHit {
        int row = -1;
        int column = -1;
        int code = kActionNone;
    };
    WidgetHit WidgetAt(int x, int y);

    // AddonListControl: any thread (see above). Rows made by AddRow and
    // InsertRow here carry a layout the list owns: the label as name,
    // enabled 1, noToggle 1 and the update value as upgradable, in a widget
    // over column 0 with an empty first-column text.
    void DeleteAllRows() override;
    int AddRow(int32_t key, const std::string& label, int upgradable) override;
    int InsertRow(int index, int32_t key, const std::string& label, int upgradable) override;
    int FindKey(int32_t key) override;
    int RowCount() override;
    // At 100 the row returns to its normal look; above 100 counts modulo 100.
    bool SetProgress(int32_t key, int percent) override;
    bool SetUpgradable(int32_t key, int upgradable) override;
    void DeleteRow(int index) override;

    // Ends the calls of other threads: waiting ones are dropped and later
    // ones fail at once. Call on the control's thread.
    void StopThreadCalls();

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

  private:
    // The list's header: scales its height and keeps the columns' alignment.
    class CListHeader : public Wnd {
      public:
        double scale = 1.0;
        std::string alignDigits;  // one digit per column

      protected:
        LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    };
    struct ThreadCall;
    struct VisibleRow {
        int index;
        ListRect rect;
    };

    bool Bind(HWND listView);
    bool RunOnControlThread(const std::function<void()>& work);
    template <typename Result, typename Work>
    Result OnControlThread(Result failed, Work work);
    void RunQueuedCalls();

    ListRow* RecordOf(LPARAM data) const;
    ListRow* Record(int index) const;
    ListCell* Cell(int row, int column) const;
    int ItemCount() const;
    int ColumnCount() const;
    int InsertItem(int index, const std::string& text, int32_t key);
    int InsertAddonRow(int index, int32_t key, const std::string& label, int upgradable);
    int FindKeyHere(int32_t key) const;
    void ForgetRow(int index);
    void ForgetAllRows();
    bool SystemChecks() const;
    bool SystemChecked(int index) const;
    void SetSystemChecked(int index, bool checked);
    void NotifyPositionChanged();
    void SortBy(int column);

    std::vector<VisibleRow> VisibleRows() const;
    std::vector<ListRect> CellRectsOf(const ListRect& row) const;
    ListRect BelowHeader() const;
    void InvalidateList(const ListRect& rect);
    void InvalidateCell(int row, int column, bool widened);

    void Paint(HDC target);
    void PaintCell(HDC dc, ListCell& cell, const ListCell& first, const ListRect& rect, int column,
                   uint32_t fill, bool systemChecked);
    void PaintCheckBox(HDC dc, const ListCell& cell, const ListCell& first, const ListRect& rect);

    void OnMouseMove(int x, int y);
    void OnMouseLeave();
    bool OnSetCursor();
    LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);

    CListHeader header_;
    bool ownsWindow_ = false;
    ListSettings settings_;
    SortState sort_;
    std::vector<int32_t> downloading_;
    std::unordered_map<const ListRow*, std::unique_ptr<ListRow>> records_;
    int hotRow_ = -1, hotColumn_ = -1;
    ListRect hotRect_{-1, -1, -1, -1};
    int lastPaintEnd_ = -1;
    bool erased_ = false;

    FontHandle textFont_, highlightFont_, checkFont_, emptyFont_;
    RowWidgetFonts widgetFonts_;
    int linkWidth_ = -1;
    UINT buttonClickMessage_, checkMessage_, callMessage_;

    std::mutex callsMutex_;
    std::condition_variable callsChanged_;
    std::deque<std::shared_ptr<ThreadCall>> calls_;
    HWND callTarget_ = nullptr;
    DWORD controlThread_ = 0;
};

}  // namespace vt::ui
