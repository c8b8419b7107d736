#include "refitter/refitter_face.h"

namespace vt::refitter {

const RefitterLayout& Layout() {
    static const RefitterLayout layout;
    return layout;
}

int FailureText(Failure failure) {
    switch (failure) {
        case Failure::kNone:
            return 0;
        case Failure::kBadCommandLine:
            return 620;
        case Failure::kNoBlock:
            return 621;
        case Failure::kBadBlock:
            return 622;
        case Failure::kOtherDirectory:
            return 623;
        case Failure::kDownloadFailed:
            return 624;
        case Failure::kSignatureMissing:
            return 625;
        case Failure::kSignatureRefused:
            return 626;
        case Failure::kPackageDamaged:
            return 627;
        case Failure::kPackageUnfit:
            return 628;
        case Failure::kFailedBefore:
            return 629;
        case Failure::kProgramStillRunning:
            return 630;
        case Failure::kJournalDamaged:
            return 631;
        case Failure::kReplaceFailed:
            return 632;
        case Failure::kNewProgramFailed:
            return 633;
        case Failure::kCancelled:
            return 634;
    }
    return 0;
}

RefitterFace FaceFor(const RunState& state) {
    RefitterFace face;
    if (state.finished) {
        face.buttonText = kTextClose;
        face.buttonEnabled = true;
        if (state.failure == Failure::kNone) {
            face.statusText = kTextDone;
            face.showProgress = true;
            face.closesItself = true;
        } else {
            face.statusText = FailureText(state.failure);
            // Where the automatic way is closed for this package, the user
            // may still fetch the release by hand.
            face.offerManualLink = state.failure != Failure::kCancelled &&
                                   state.failure != Failure::kProgramStillRunning;
        }
        return face;
    }
    static const int kStageTexts[] = {kTextDownloading, kTextVerifying,       kTextClosingProgram,
                                      kTextReplacing,   kTextStartingProgram, kTextDone};
    face.statusText = kStageTexts[static_cast<int>(state.stage)];
    face.showProgress = true;
    face.buttonText = kTextCancel;
    // Once the program is asked to exit, the run must reach its end.
    face.buttonEnabled = state.stage == Stage::kDownloading || state.stage == Stage::kVerifying;
    return face;
}

int Percent(int64_t done, int64_t total) {
    if (total <= 0 || done <= 0)
        return 0;
    if (done >= total)
        return 100;
    return static_cast<int>(done * 100 / total);
}

int FilledWidth(int width, int64_t done, int64_t total) {
    if (width <= 0 || total <= 0 || done <= 0)
        return 0;
    if (done >= total)
        return width;
    return static_cast<int>(static_cast<int64_t>(width) * done / total);
}

}  // namespace vt::refitter
