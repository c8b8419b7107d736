// The popup web window's options and size rules: how big it is, where its
// caption buttons, loading animation and page host go. Portable, so the rules
// are tested natively; the window only applies them (web_popup_dlg.h).
#pragma once

#include <string>

#include "shell/bridge_calls.h"

namespace vt::shell {

struct PopupOptions {
    std::string url;
    int width = 0;  // page area; either 0 means the default 585 x 345
    int height = 0;
    bool canMaximise = true;   // show the maximise and restore buttons
    std::string title;         // window and caption text; empty: the defaults
    std::string script;        // run in the page after it has loaded
    bool showLoading = false;  // loading animation until the page has arrived
};

// The popup for UM_OPEN_SIMULATOR: the request's title, url and script, its
// width and height as leading integers, no maximise, with loading animation.
PopupOptions SimulatorPopupOptions(const SimulatorRequest& request);
// The popup for UM_SHOW_ADDON_DETAIL: the detail page at default size.
PopupOptions DetailPopupOptions(const std::string& url);

struct PopupSize {
    int width = 0;
    int height = 0;
};
struct PopupPoint {
    int x = 0;
    int y = 0;
};
struct PopupRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

constexpr int kPopupCaptionHeight = 34;
constexpr PopupSize kPopupDefaultPage{585, 345};

// The page area: (width, height) when both are non-zero, else 585 x 345.
PopupSize PopupPageSize(int width, int height);
// The window: the page area plus 4 x 36 pixels of frame and caption
// (589 x 381 by default).
PopupSize PopupWindowSize(int width, int height);
// The page host inside a client area of the given size: (1, 34) and the
// client less 4 x 36, never negative.
PopupRect PopupPageRect(int clientWidth, int clientHeight);

// Caption buttons along the top edge of a window (or client area) of width:
// close 10 pixels from the right, maximise 20 pixels left of close (measured
// with both widths), restore 5 pixels further left than maximise; all at y 10.
struct CaptionButtonPlaces {
    PopupPoint close;
    PopupPoint maximise;
    PopupPoint restore;
};
CaptionButtonPlaces PlaceCaptionButtons(int width, int closeWidth, int maximiseWidth);

// The loading animation of an image of imageWidth x imageHeight over a page
// area of pageWidth x pageHeight: ((page - image) / 2) in each direction.
PopupPoint LoadingImagePlace(int pageWidth, int pageHeight, int imageWidth, int imageHeight);

}  // namespace vt::shell
