// The toolkit with the program's own skin images: the main window's
// background and controls, every button strip in each state, and the splash
// as a layered window. These make the pictures under build/windows/screens
// and check that the skin's images load and fit where the layout puts them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "main_window_layer_win32.h"
#include "resource.h"
#include "skin_test_support_win32.h"
#include "support/gui_win32.h"
#include "ui/animated_image.h"
#include "ui/hyperlink.h"
#include "ui/layered_composer.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"

namespace vt::ui {
namespace {

// A borderless skinned dialog of a given size (the splash template is empty).
class PlainSkinDialog : public CSkinDialog {
  public:
    PlainSkinDialog(int width, int height)
        : CSkinDialog(IDD_SPLASH), width_(width), height_(height) {}

  protected:
    bool OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        Place(10, 10, width_, height_);
        return true;
    }

  private:
    int width_;
    int height_;
};

// The main window's buttons as its layout places them.
struct LaidOutButton {
    int id;
    int image;
    int states;
    int x;
    int y;
    int width;  // of one slice, from the skin's table
    int height;
};
constexpr LaidOutButton kMainButtons[] = {
    {IDC_TAB_HOME, IDP_TAB_HOME, 4, 305, 28, 110, 31},
    {IDC_TAB_PLUGIN_LIBRARY, IDP_TAB_PLUGIN_LIBRARY, 4, 420, 28, 110, 31},
    {IDC_TAB_MACRO_DEPOT, IDP_TAB_MACRO_DEPOT, 4, 535, 28, 110, 31},
    {IDC_REFRESH_LOCAL, IDP_REFRESH_LOCAL, 4, 15, 44, 16, 16},
    {IDC_REFRESH_WEB, IDP_REFRESH_WEB, 4, 264, 32, 36, 24},
    {IDC_SETTINGS, IDP_SETTINGS, 4, 755, 10, 32, 19},
    {IDC_HELP_MENU, IDP_HELP, 4, 790, 10, 32, 19},
    {IDC_MINIMISE, IDP_MINIMISE, 4, 830, 15, 22, 15},
    {IDC_CLOSE, IDP_CLOSE, 4, 855, 10, 22, 20},
    {IDC_UPDATE_ALL, IDP_UPDATE_ALL, 4, 8, 470, 116, 27},
    {IDC_DELETE_ALL, IDP_DELETE_ALL, 4, 127, 470, 116, 27},
    {IDC_ADDON_DIRECTORY, IDP_ADDON_DIRECTORY, 4, 14, 554, 88, 22},
    {IDC_START_GAME, IDP_START_GAME, 3, 700, 517, 176, 46},
};

TEST(SkinPictures, MainWindowBackgroundButtonsAndLinks) {
    PlainSkinDialog dialog(884, 579);
    dialog.captionHeight = 30;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    test::AddMainWindowBackground(dialog, SliceMode::SmoothStretch);
    test::AddLeftPanelTexts(dialog, 0, false);

    std::vector<std::unique_ptr<CSkinButtonEx>> buttons;
    for (const LaidOutButton& laid : kMainButtons) {
        auto button = std::make_unique<CSkinButtonEx>();
        const bool tab = laid.id == IDC_TAB_HOME || laid.id == IDC_TAB_PLUGIN_LIBRARY ||
                         laid.id == IDC_TAB_MACRO_DEPOT;
        ASSERT_TRUE(
            button->Create(dialog.hwnd(), laid.id, "", laid.x, laid.y, 10, 10,
                           WS_CHILD | WS_VISIBLE |
                               (tab ? BS_AUTORADIOBUTTON | (laid.id == IDC_TAB_HOME ? WS_GROUP : 0)
                                    : BS_PUSHBUTTON)));
        ASSERT_TRUE(button->LoadSkin(laid.image, "PNG", laid.states)) << laid.image;
        const RECT size = button->ClientRect();
        EXPECT_EQ(size.right, laid.width) << laid.image;
        EXPECT_EQ(size.bottom, laid.height) << laid.image;
        buttons.push_back(std::move(button));
    }
    // The no-game-path view: the list's buttons are off, the Home tab is
    // selected, and the Settings link sits in the gap of its line.
    ::SendMessageA(dialog.Item(IDC_TAB_HOME), BM_SETCHECK, BST_CHECKED, 0);
    ::EnableWindow(dialog.Item(IDC_UPDATE_ALL), FALSE);
    ::EnableWindow(dialog.Item(IDC_DELETE_ALL), FALSE);
    HWND label =
        ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 105, 255, 30, 16, dialog.hwnd(),
                          reinterpret_cast<HMENU>(IDC_LINK_SETTINGS), nullptr, nullptr);
    CHyperlink settings;
    settings.notifyParent = true;
    settings.colorNormal = settings.colorHover = settings.colorPressed = RGB(255, 85, 24);
    settings.SetUnderline(true, true);
    settings.cursor = ::LoadCursorA(nullptr, IDC_HAND);
    ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                   FALSE);
    settings.Attach(label);
    // "设置" in the system code page.
    settings.SetText("\xC9\xE8\xD6\xC3");

    ::SetWindowPos(dialog.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    test::PumpPending();
    // The pointer rests on "启动游戏".
    test::MoveMouseTo(dialog.Item(IDC_START_GAME), 88, 23);
    EXPECT_TRUE(buttons.back()->Hovering());
    test::CaptureWindow(dialog.hwnd(), "skin_main_window_no_game_path");
    test::MoveMouseTo(dialog.hwnd(), 600, 300);
}

TEST(SkinPictures, EveryButtonStripInEachState) {
    // Faces drawn by the buttons themselves, one row per strip: normal,
    // hover, pressed (or selected) and disabled; the caption buttons on the
    // caption band's colour, the others on the window body's.
    struct Strip {
        int image;
        int states;
        bool caption;
    };
    const Strip strips[] = {{IDP_CLOSE, 4, true},
                            {IDP_MAXIMISE, 4, true},
                            {IDP_RESTORE, 4, true},
                            {IDP_MINIMISE, 4, true},
                            {IDP_SETTINGS, 4, true},
                            {IDP_HELP, 4, true},
                            {IDP_TAB_HOME, 4, false},
                            {IDP_TAB_PLUGIN_LIBRARY, 4, false},
                            {IDP_TAB_MACRO_DEPOT, 4, false},
                            {IDP_REFRESH_LOCAL, 4, false},
                            {IDP_REFRESH_WEB, 4, false},
                            {IDP_UPDATE_ALL, 4, false},
                            {IDP_DELETE_ALL, 4, false},
                            {IDP_ADDON_DIRECTORY, 4, false},
                            {IDP_BUTTON, 4, false},
                            {IDP_BOX_BUTTON, 4, false},
                            {IDP_START_GAME, 3, false}};
    PlainSkinDialog dialog(200, 100);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    CSkinButtonEx button;
    ASSERT_TRUE(button.Create(dialog.hwnd(), 700, "", 0, 0, 10, 10));
    constexpr int kCell = 190, kRow = 56, kTop = 24;
    ClientDc screen(nullptr);
    Canvas sheet(screen.get(), 40 + 4 * kCell, kTop + static_cast<int>(std::size(strips)) * kRow);
    ASSERT_TRUE(sheet);
    RECT all{0, 0, sheet.width(), sheet.height()};
    BrushHandle body(::CreateSolidBrush(RGB(0xE1, 0xE4, 0xEA)));
    BrushHandle band(::CreateSolidBrush(RGB(0x30, 0x39, 0x6E)));
    ::FillRect(sheet.dc(), &all, body.get());
    ::SetBkMode(sheet.dc(), TRANSPARENT);
    const char* const columns[] = {"normal", "hover", "pressed / selected", "disabled"};
    for (int state = 0; state < 4; ++state)
        ::TextOutA(sheet.dc(), 40 + state * kCell, 4, columns[state],
                   static_cast<int>(std::strlen(columns[state])));
    int row = 0;
    for (const Strip& strip : strips) {
        ASSERT_TRUE(button.LoadSkin(strip.image, "PNG", strip.states)) << strip.image;
        // The light faces carry no label: the button draws its text.
        const bool labelled = strip.image == IDP_BUTTON || strip.image == IDP_BOX_BUTTON;
        button.SetText(labelled ? "\xC8\xB7\xB6\xA8" : "");  // 确定
        button.textColor = RGB(0x27, 0x2F, 0x5D);
        const RECT size = button.ClientRect();
        const int y = kTop + row * kRow;
        const std::string label = std::to_string(strip.image);
        ::TextOutA(sheet.dc(), 4, y + 4, label.c_str(), static_cast<int>(label.size()));
        for (int state = 0; state < 4; ++state) {
            Canvas face(screen.get(), size.right, size.bottom);
            ::FillRect(face.dc(), &size, strip.caption ? band.get() : body.get());
            button.DrawFace(face.dc(), state, false);
            if (strip.caption) {
                RECT cell{40 + state * kCell - 6, y - 4, 40 + state * kCell + size.right + 6,
                          y + size.bottom + 4};
                ::FillRect(sheet.dc(), &cell, band.get());
            }
            face.CopyTo(sheet.dc(), 40 + state * kCell, y);
        }
        ++row;
    }
    EXPECT_TRUE(test::SaveBitmapPng(sheet.bitmap(),
                                    test::ScreensDir() + "\\skin_button_strips_each_state.png"));
}

TEST(SkinPictures, SplashIsALayeredWindowWithTheAlphaOfItsImage) {
    // A patterned window below, as a desktop would be.
    Wnd below;
    BrushHandle teal(::CreateSolidBrush(RGB(0x2A, 0x6F, 0x8C)));
    ASSERT_TRUE(below.Create({.className = "VaelTesselDesktopStandIn",
                              .style = WS_POPUP | WS_VISIBLE,
                              .x = 0,
                              .y = 0,
                              .width = 500,
                              .height = 340,
                              .background = teal.get()}));
    PlainSkinDialog splash(420, 260);
    ASSERT_TRUE(splash.CreateModeless(nullptr));
    ImagePtr face = LoadResourceImage(IDP_SPLASH, "PNG");
    ASSERT_TRUE(face);
    EXPECT_EQ(face->GetWidth(), 420u);
    splash.AddImage(std::move(face), 0, 0);
    splash.MoveTo(40, 40);
    ASSERT_TRUE(LayeredComposer::MakeLayered(splash.hwnd()));
    ::SetWindowPos(splash.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);

    const Canvas composed = LayeredComposer::Render(splash.hwnd());
    ASSERT_TRUE(composed);
    EXPECT_EQ(composed.bits()[0] >> 24, 0u) << "the corner outside the card is clear";
    EXPECT_EQ(composed.bits()[130 * 420 + 210] >> 24, 0xFFu) << "the card is opaque";
    Gdiplus::Bitmap withAlpha(420, 260, 420 * 4, PixelFormat32bppPARGB,
                              reinterpret_cast<BYTE*>(composed.bits()));
    EXPECT_TRUE(test::SaveImagePng(withAlpha, test::ScreensDir() + "\\layered_splash_face.png"));

    // On screen, the clear parts show the window below.
    EXPECT_TRUE(test::PumpUntil(
        [&] { return test::Rgb(test::ScreenPixel(splash.hwnd(), 2, 2)) == 0x2A6F8Cu; }));
    test::CaptureWindow(below.hwnd(), "layered_splash_over_a_window");
}

TEST(SkinPictures, LoadingViewWithItsAnimation) {
    PlainSkinDialog dialog(884, 579);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    test::AddMainWindowBackground(dialog, SliceMode::Tile);
    test::AddLeftPanelTexts(dialog, 0, true);
    HWND holder =
        ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 90, 195, 10, 10, dialog.hwnd(),
                          reinterpret_cast<HMENU>(IDC_LOADING), nullptr, nullptr);
    CAnimatedImage loading;
    ASSERT_TRUE(loading.Attach(holder));
    ASSERT_TRUE(loading.LoadFromResource(IDG_LOADING, "GIF"));
    int drawn = 0;
    loading.frameWait = [&](int) { return ++drawn == 3; };
    loading.Start();
    ASSERT_TRUE(test::PumpUntil([&] { return drawn == 3 && !loading.IsRunning(); }));
    loading.Stop();
    ::SetWindowPos(dialog.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    test::PumpPending();
    // The animation's frames are opaque on the panel colour.
    EXPECT_EQ(test::Rgb(test::ScreenPixel(loading.hwnd(), 1, 1)), 0xEFEFEFu);
    test::CaptureWindow(dialog.hwnd(), "skin_main_window_loading");
}

}  // namespace
}  // namespace vt::ui
