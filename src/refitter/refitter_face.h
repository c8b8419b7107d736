// What the updater's window shows, decided without a window: its layout in
// pixels, the text and controls of each moment of a run, and the short
// reason of each failure (string-table ids of resources/strings.rc).
#pragma once

#include <cstdint>

#include "refitter/refitter_flow.h"

namespace vt::refitter {

// Texts of the window.
enum RefitterText : int {
    kTextCaption = 600,
    kTextNewVersion = 601,  // followed by the version
    kTextDate = 602,        // followed by the date
    kTextDownloading = 603,
    kTextVerifying = 604,
    kTextClosingProgram = 605,
    kTextReplacing = 606,
    kTextStartingProgram = 607,
    kTextDone = 608,
    kTextCancel = 609,
    kTextClose = 610,
    kTextManualDownload = 611,
};

// A rectangle in client pixels.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The window's fixed layout.
struct RefitterLayout {
    int width = 440;
    int height = 270;
    int captionHeight = 30;  // the band that drags the window and holds its title
    Box title{12, 0, 360, 30};
    Box close{410, 5, 432, 25};
    Box heading{20, 44, 420, 62};
    Box date{20, 66, 420, 82};
    Box description{20, 90, 420, 170};
    Box status{20, 180, 420, 198};
    Box progress{20, 204, 420, 218};
    Box link{20, 236, 200, 252};
    Box button{348, 232, 420, 256};
};

// The one layout of the window.
const RefitterLayout& Layout();

// Where a run is, as the window sees it.
struct RunState {
    bool finished = false;
    Stage stage = Stage::kDownloading;  // while running
    Failure failure = Failure::kNone;   // once finished
};

// What the window shows for a state.
struct RefitterFace {
    int statusText = 0;  // string id of the status line
    bool showProgress = false;
    int buttonText = 0;  // kTextCancel or kTextClose
    bool buttonEnabled = false;
    bool closesItself = false;  // a finished, successful run closes its window
    bool offerManualLink = false;
};

RefitterFace FaceFor(const RunState& state);

// The reason shown for a failure (a string id); 0 for kNone.
int FailureText(Failure failure);

// Whole percent of done out of total, 0 to 100; 0 while the size is unknown.
int Percent(int64_t done, int64_t total);

// The width of the filled part of a progress bar width pixels wide.
int FilledWidth(int width, int64_t done, int64_t total);

}  // namespace vt::refitter
