// CSkinButtonEx: an owner-drawn button whose faces are the slices of one
// image strip, with hover tracking, check-box and radio behaviour, a click
// message to its parent, per-state captions, a flash frame and a tooltip.
// Windows only.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "ui/button_face.h"
#include "ui/gdi.h"
#include "ui/resource_image.h"
#include "ui/tooltip.h"
#include "ui/wnd.h"

namespace vt::ui {

// Registered messages of the skin buttons.
constexpr char kCancelCheckedRadio[] = "CancelCheckedRadio";
// Sent with wParam a device context and lParam a face state: the button draws
// that face into the device context, without its parent's pixels behind.
constexpr char kSkinFlashButtonMessage[] = "*_RegisterWindowMessageSkinFlashButton_*";
// Registered beside the previous one; nothing acts on it.
constexpr char kSkinFlashButtonToParentMessage[] =
    "*_RegisterWindowMessageSendToParentWndFromSkinFlashButton_*";

// A caption drawn instead of the window text in one face state.
struct StateCaption {
    std::string text;  // system code page
    int points = 9;
    bool bold = false;
    COLORREF color = RGB(0, 0, 0);
    int offsetX = 0;  // from the centred position
    int offsetY = 0;
};

class CSkinButtonEx : public Wnd {
  public:
    enum ButtonKind { kPushButton = 0, kCheckBox = 3, kRadioButton = 9 };
    enum ClickTiming { kClickOnDown = 0, kClickOnUp = 1, kClickOnEnter = 2 };

    // The window class "CSkinButtonEx" (the system button's behaviour under
    // the toolkit's name), registered on first use.
    static const char* ClassName();

    CSkinButtonEx() = default;
    ~CSkinButtonEx() override;

    // Creates the button as a child of parent (kind from the style: an
    // automatic check box or radio button, else a push button).
    bool Create(HWND parent, int id, const std::string& text, int x, int y, int width, int height,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);

    // Replaces the face: the strip of resource id and type with stateCount
    // slices. fitToImage sizes the button to one slice (not moved, Z order
    // kept); shapeToImage clips it to the opaque pixels of the first slice.
    // False, and no face, when the resource does not decode.
    bool LoadSkin(int resourceId, const char* type, int stateCount, bool fitToImage = true,
                  bool shapeToImage = false, bool flashFrame = false);
    // The same with an image already decoded; the button keeps it.
    bool SetSkin(ImagePtr image, int stateCount, bool fitToImage = true, bool shapeToImage = false,
                 bool flashFrame = false);

    // Set by the owner.
    UINT clickMessage = 0;  // posted to the parent on a click, 0 = none
    int clickTiming = kClickOnUp;
    bool paintParentBehind = true;  // draw the parent's pixels under the face first
    int pressOffsetX = 0;           // shift of a single image's pressed face
    int pressOffsetY = 0;
    HCURSOR cursor = nullptr;           // not owned; null: the class cursor
    COLORREF textColor = RGB(0, 0, 0);  // of the window text caption
    void SetTooltip(const std::string& text);
    // A caption for one face state (0 to 3) instead of the window text.
    void SetStateCaption(int state, const StateCaption& caption);

    // Flashing: alternates the flash frame (state 5) with the normal face
    // every periodMs until stopped or pressed. Needs a strip with a flash
    // frame.
    bool StartFlash(UINT periodMs);
    void StopFlash();
    bool IsFlashing() const { return flashing_; }

    int Kind() const { return kind_; }
    int Checked() const { return checked_; }
    bool Hovering() const { return hovering_; }
    bool Pressed() const { return pressed_; }
    const FaceStrip& Strip() const { return strip_; }
    // The face state the next paint draws.
    int CurrentState() const;
    // Draws the face of state into dc at (0, 0) at the button's size, with
    // the parent's pixels behind when asked.
    void DrawFace(HDC dc, int state, bool parentBehind);

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnAttached() override;
    void OnTimer(UINT_PTR id) override;

  private:
    void Click();
    void SetCheck(int value);
    void OnMouseMove(LPARAM lParam);
    void OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    bool PointerOver() const;
    void DrawCaption(HDC dc, int state, const RECT& client);
    void Repaint() { Invalidate(false); }

    ImagePtr image_;
    FaceStrip strip_;
    int kind_ = kPushButton;
    int checked_ = 0;
    bool created_ = false;
    bool hovering_ = false;
    bool pressed_ = false;
    bool trackingLeave_ = false;
    bool flashing_ = false;
    bool flashShown_ = false;
    Canvas parentSnapshot_;  // the parent's pixels under the button, taken on first paint
    SIZE snapshotSize_{};
    Tooltip tooltip_;
    std::array<std::optional<StateCaption>, 4> captions_;
    std::array<FontHandle, 4> captionFonts_;
};

}  // namespace vt::ui
