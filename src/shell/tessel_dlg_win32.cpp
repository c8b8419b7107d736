// CTesselDlg: construction, start-up and the window's layout.
#include "shell/tessel_dlg.h"

#include "addons/reload_all.h"
#include "platform/code_page.h"
#include "resource.h"
#include "settings/settings.h"
#include "shell/external_dispatch.h"
#include "shell/main_commands.h"
#include "shell/main_layout.h"
#include "shell/server_pages.h"
#include "shell/single_instance.h"
#include "shell/upgrade_host.h"
#include "ui/gdi.h"
#include "ui/gdiplus_api.h"
#include "ui/wnd.h"

namespace vt::shell {

namespace {

constexpr uint32_t kListBackground = 0xEFEFEF;
constexpr char kSongTi[] = "\xCB\xCE\xCC\xE5";  // "宋体" in GBK

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(),
                                      static_cast<int>(wide.size())));
    if (!wide.empty())
        wide.pop_back();
    return wide;
}

// The width of text as the drawing layer draws it at points (its font and
// its typographic measure, trailing spaces included).
int LayerTextWidth(const std::string& text, int points) {
    LOGFONTW face{};
    face.lfHeight = ui::PointsToFontHeight(points);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = GB2312_CHARSET;
    face.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynW(face.lfFaceName, L"宋体", LF_FACESIZE);
    ui::ClientDc screen(nullptr);
    Gdiplus::Font font(screen.get(), &face);
    Gdiplus::Graphics graphics(screen.get());
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    format.SetFormatFlags(format.GetFormatFlags() |
                          Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                          Gdiplus::StringFormatFlagsNoWrap);
    const std::wstring wide = Wide(text);
    Gdiplus::RectF measured;
    graphics.MeasureString(wide.c_str(), static_cast<int>(wide.size()), &font,
                           Gdiplus::RectF(0, 0, 0, 0), &format, &measured);
    return static_cast<int>(measured.Width + 0.5f);
}

// The size of text drawn with font by GDI (the links draw so).
SIZE GdiTextExtent(HFONT font, const std::string& text) {
    SIZE extent{};
    ui::ClientDc dc(nullptr);
    ui::DcSelection selected(dc.get(), font);
    ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    return extent;
}

ui::LayerText LayerTextOf(const LayerTextPlace& place, const std::string& text) {
    ui::LayerText layer;
    layer.text = text;
    layer.x = place.x;
    layer.y = place.y;
    layer.points = place.points;
    layer.argb = place.argb;
    return layer;
}

}  // namespace

CTesselDlg::CTesselDlg(settings::CAppState& app, const settings::ServerConfig& servers,
                       SingleInstance* instance)
    : ui::CSkinDialog(IDD_MAIN), app_(app), servers_(servers), instance_(instance) {
    captionHeight = kMainCaptionHeight;
    backgroundColor = RGB(0xE1, 0xE4, 0xEA);
    menuTexts_ = SplitMenuTexts(ui::LoadText(106));
}

CTesselDlg::~CTesselDlg() {
    stopSends_ = true;
    if (library_)
        library_->CancelTransfers();
    list_.StopThreadCalls();
    // The library waits for its workers; none of them can block on this
    // thread any more.
    library_.reset();
    if (icon_ != nullptr)
        ::DestroyIcon(icon_);
    if (smallIcon_ != nullptr)
        ::DestroyIcon(smallIcon_);
}

bool CTesselDlg::OnInitDialog() {
    // 1. The skinned base and the window's icons.
    ui::CSkinDialog::OnInitDialog();
    window_ = hwnd();
    HINSTANCE module = ui::ResourceModule();
    icon_ = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                            ::GetSystemMetrics(SM_CXICON),
                                            ::GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0));
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    SetText(ui::LoadText(107));

    // 2. Hidden and 1 x 1 until the splash has run; 3. the splash.
    Show(false);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetTimer(kSplashStartTimer, 0);

    // 4. Later copies find this window through the record.
    if (instance_ != nullptr)
        instance_->Publish(hwnd());
    CExternalDispatch::Instance().SetTargetWindow(hwnd());

    // 6. The version for the updater, rewritten on every start.
    settings::WriteVersionFile(app_.ProgramDir());

    // 7. Size, place and background.
    LayOut();

    // 8. The tab pages, then the upgrade module (absent: no self-upgrade).
    CreateTabPages();
    LoadUpgradeModule(hwnd(), app_.ProgramDir(), servers_.upgrade);

    // 9. Tray icon and menu, the controls, the Home tab.
    CreateTray();
    SetUpButtons();
    SetUpList();
    CreateStatisticsBrowsers();
    ShowTab(SwitchTabTarget::kHome, true);

    // 10. The statistics pages load from the first message loop turn.
    SetTimer(kStatisticsTimer, 0);

    // 11. The game path; 12-13. the start-up upgrade check; 14. the list.
    settings::LoadSettings(app_);
    library_ = std::make_unique<addons::AddonLibrary>(app_, servers_, *this, list_);
    upgradeAutomatic_ = 1;
    StartUpgradeCheckWorker(upgradeAutomatic_);
    addons::StartReloadAll(*library_);
    return true;
}

void CTesselDlg::LayOut() {
    // The window appears centred on the screen where the splash was.
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - kMainWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - kMainHeight) / 2;
    ::SetWindowPos(hwnd(), nullptr, x > 0 ? x : 0, y > 0 ? y : 0, kMainWidth, kMainHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    AddBackground();
    AddPanelTexts();
}

void CTesselDlg::AddBackground() {
    for (const BackgroundPiece& piece : MainBackgroundPieces()) {
        if (piece.positioned) {
            AddImage(piece.image, "PNG", piece.place.x, piece.place.y);
            continue;
        }
        ui::RectImage image;
        image.resourceId = piece.image;
        image.type = "PNG";
        // The frame follows the client area; the others have their places.
        if (piece.image != IDP_MAIN_FRAME)
            image.place = {piece.place.x, piece.place.y, piece.place.Right(), piece.place.Bottom()};
        // Every edge and centre slice of the skin is uniform along its run,
        // so tiles give the stretched picture without the seams that
        // smoothing draws where a one-pixel slice meets its corners.
        image.mode = ui::SliceMode::Tile;
        AddRectImage(image);
    }
}

void CTesselDlg::AddPanelTexts() {
    const auto add = [&](PanelText which, bool shown) {
        const LayerTextPlace place = MainText(which);
        const ui::LayerItem item = AddText(LayerTextOf(place, ui::LoadText(place.stringId)));
        ShowItem(item, shown);
        return item;
    };
    add(PanelText::kTitle, true);
    add(PanelText::kMyAddons, true);
    add(PanelText::kTotal, true);
    loadingText_ = add(PanelText::kLoading, false);
    noPathTexts_[0] = add(PanelText::kNoPathTitle, false);
    noAddonsTexts_[0] = add(PanelText::kNoAddonsTitle, false);

    // The hints, each in two parts around its link.
    linkFont_ = ui::MakeFont(kSongTi, ui::PointsToFontHeight(kLinkPoints));
    const auto addHint = [&](PanelText which, int linkId, ui::LayerItem& prefixItem,
                             ui::LayerItem& suffixItem, int& linkX) {
        const LayerTextPlace place = MainText(which);
        const HintParts parts = SplitHint(ui::LoadText(place.stringId));
        const InlineLinkPlaces places =
            PlaceInlineLink(place.x, LayerTextWidth(parts.prefix, place.points),
                            GdiTextExtent(linkFont_.get(), ControlText(linkId)).cx);
        prefixItem = AddText(LayerTextOf(place, parts.prefix));
        LayerTextPlace suffix = place;
        suffix.x = places.suffixX;
        suffixItem = AddText(LayerTextOf(suffix, parts.suffix));
        ShowItem(prefixItem, false);
        ShowItem(suffixItem, false);
        linkX = places.linkX;
    };
    addHint(PanelText::kNoPathHint, IDC_LINK_SETTINGS, noPathTexts_[1], noPathTexts_[2],
            settingsLinkX_);
    addHint(PanelText::kNoAddonsHint, IDC_LINK_PLUGIN_LIBRARY, noAddonsTexts_[1], noAddonsTexts_[2],
            pluginLibraryLinkX_);

    // The count, centred in the gap of "共    个".
    const LayerTextPlace total = MainText(PanelText::kTotal);
    const std::string label = ui::LoadText(total.stringId);
    const size_t gapStart = label.find(' ');
    const size_t gapEnd = label.find_last_of(' ');
    LayerTextPlace countPlace = MainText(PanelText::kCount);
    ui::LayerText count = LayerTextOf(countPlace, "0");
    if (gapStart != std::string::npos) {
        count.x = CountCentreX(total.x, LayerTextWidth(label.substr(0, gapStart), total.points),
                               LayerTextWidth(label.substr(0, gapEnd + 1), total.points));
        count.align = ui::kTextCentre;
    }
    countText_ = AddText(count);
}

void CTesselDlg::SetUpButtons() {
    const auto places = MainButtonPlaces();
    for (size_t i = 0; i < places.size() && i < buttons_.size(); ++i) {
        const SkinButtonPlace& place = places[i];
        ui::CSkinButtonEx& button = buttons_[i];
        if (!button.AttachItem(hwnd(), place.id))
            continue;
        // The image carries the label.
        button.SetText("");
        button.MoveTo(place.x, place.y);
        button.LoadSkin(place.image, "PNG", place.states, true);
        button.cursor = ::LoadCursorA(nullptr, IDC_HAND);
    }
    // The refresh buttons are pictures: their names go in tooltips.
    for (size_t i = 0; i < places.size(); ++i) {
        if (places[i].id == kCmdRefreshLocal)
            buttons_[i].SetTooltip(platform::Utf8ToLocal("刷新本地列表"));
        if (places[i].id == kCmdRefreshWeb)
            buttons_[i].SetTooltip(platform::Utf8ToLocal("刷新Web列表"));
    }

    // The loading animation, shown by the loading view.
    if (loading_.AttachItem(hwnd(), IDC_LOADING)) {
        loading_.MoveTo(kLoadingPlace.x, kLoadingPlace.y);
        loading_.LoadFromResource(IDG_LOADING, "GIF");
        loading_.Show(false);
    }

    // The two links of the no-game-path and no-addons views.
    const auto setUpLink = [&](ui::CHyperlink& link, int id, int x) {
        if (!link.AttachItem(hwnd(), id))
            return;
        link.notifyParent = true;
        link.colorNormal = link.colorHover = link.colorPressed = kLinkColor;
        link.cursor = ::LoadCursorA(nullptr, IDC_HAND);
        // The link reads as a word of the 10-point line it stands in.
        link.Send(WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);
        link.SetUnderline(true, true);
        const SIZE extent = GdiTextExtent(linkFont_.get(), link.Text());
        link.Place(x, kLinkY, extent.cx + 1, extent.cy + 1);
        link.Show(false);
    };
    setUpLink(settingsLink_, IDC_LINK_SETTINGS, settingsLinkX_);
    setUpLink(pluginLibraryLink_, IDC_LINK_PLUGIN_LIBRARY, pluginLibraryLinkX_);
}

void CTesselDlg::SetUpList() {
    // Some list views (wine's) make their header only once they are shown;
    // the list must have it when it is bound, or the header cannot be hidden.
    const HWND listView = Item(IDC_ADDON_LIST);
    ::ShowWindow(listView, SW_SHOWNA);
    if (!list_.AttachList(listView))
        return;
    list_.SetColumns("plug,222;type,1", 0, 2);
    list_.SetColors(kListBackground, ui::kKeepColor, ui::kKeepColor, ui::kKeepColor);
    list_.SetRowHeight(44);
    list_.RestoreColumnState(app_.ProgramDir());
    list_.Place(kAddonListPlace.x, kAddonListPlace.y, kAddonListPlace.width,
                kAddonListPlace.height);
    // Shown until the first view of the refresh decides.
    list_.Show(true);
    list_.SetGridLines(true);
}

void CTesselDlg::CreateTabPages() {
    const RECT place{kTabPagePlace.x, kTabPagePlace.y, kTabPagePlace.Right(),
                     kTabPagePlace.Bottom()};
    for (SwitchTabTarget tab : kTabCreationOrder) {
        auto page = std::make_unique<CWebPageDlg>();
        if (!page->Create(hwnd(), place, false))
            continue;
        page->LoadUrl(TabPageUrl(servers_, tab));
        const int index = tab == SwitchTabTarget::kHome            ? kTabHome
                          : tab == SwitchTabTarget::kPluginLibrary ? kTabPluginLibrary
                                                                   : kTabMacroDepot;
        pages_[static_cast<size_t>(index)] = std::move(page);
    }
}

void CTesselDlg::CreateStatisticsBrowsers() {
    const int ids[] = {IDC_STATISTICS_1, IDC_STATISTICS_2};
    for (size_t i = 0; i < statistics_.size(); ++i) {
        const LayoutRect& place = kStatisticsPlaces[i];
        statistics_[i].Create(hwnd(), ids[i], RECT{place.x, place.y, place.Right(), place.Bottom()},
                              true);
    }
}

void CTesselDlg::CreateTray() {
    tray_ = std::make_unique<CTrayIcon>(ui::LoadText(107), IDI_PROGRAM, ui::ResourceModule(), true);
    tray_->SetCallback([this](CTrayIcon&, UINT mouseMessage) { OnTrayNotify(mouseMessage); });
    trayMenu_ = CPopupMenu(TrayMenuEntries(), menuTexts_);
}

void CTesselDlg::Shutdown() {
    stopSends_ = true;
    if (library_)
        library_->CancelTransfers();
    list_.StopThreadCalls();
    for (auto& page : pages_)
        page.reset();
    for (WebBrowserHost& browser : statistics_)
        browser.Close();
    tray_.reset();
    loading_.Stop();
}

}  // namespace vt::shell
