// The main window without a window, for the addon commands: posted messages
// wait in a queue that the command's thread (the "user-interface thread")
// pumps, and the sent progress message draws a progress bar on stderr when
// stderr is a terminal (elsewhere each addon gets its one result line).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "addons/addon_library.h"
#include "addons/addon_rows.h"
#include "addons/left_panel.h"
#include "ui/program_strings.h"

namespace vt::cli {

using vt::ui::ProgramText;

// Why a download failed: the HTTP status the server refused with, else the
// download's result in words.
std::string DownloadFailureText(net::DownloadResult result, int httpStatus);

class HeadlessWindow : public addons::AddonWindow, public addons::InstallObserver {
  public:
    HeadlessWindow(addons::AddonRowTable& list, bool json) : list_(list), json_(json) {}

    void PostListState(int code, int value) override;
    void PostInstallAddon(int32_t id, int closePopup) override;
    void SendDownloadProgress(int code, const net::DownloadProgress& progress) override;
    void ShowMessage(int stringId) override;
    bool RunGamePathDialog() override;
    void ClosePopupWindow() override {}
    void ShowAnotherManagerWorking() override;
    void OnInstallFinished(int32_t id, addons::InstallOutcome outcome,
                           net::DownloadResult download) override;
    void OnDownloadAnswered(int32_t id, int httpStatus) override;

    // Handles posted messages until the queue is empty and no worker of
    // library runs. A Ctrl-C meanwhile cancels the library's transfers.
    void Pump(addons::AddonLibrary& library);
    // Whether a Ctrl-C stopped the work.
    bool Interrupted() const;
    // Whether every install the workers reported succeeded.
    bool AllInstalled() const;
    int InstallsReported() const;
    // The string-table entry of the last ShowMessage, 0 for none.
    int LastMessage() const;
    const addons::LeftPanelState& panel() const { return panel_; }
    // Labels for the progress bars (local code page), by addon Id.
    void SetLabels(const addons::Catalogue& catalogue);

  private:
    struct Posted {
        unsigned message;
        int wParam;
        int lParam;
    };
    std::string Label(int32_t id) const;
    void DrawBar(int32_t id, int percent, int64_t done, int64_t total);
    std::string FailureReason(int32_t id, addons::InstallOutcome outcome,
                              net::DownloadResult download) const;

    addons::AddonRowTable& list_;
    const bool json_;
    addons::LeftPanelState panel_;  // touched only by the pumping thread

    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Posted> queue_;
    std::map<int32_t, std::string> labels_;
    std::map<int32_t, int> shownPercent_;
    std::map<int32_t, int> answeredStatus_;  // HTTP status of a failed archive download
    int barColumns_ = -1;                    // 0: no bars (stderr is no terminal)
    int lastMessage_ = 0;
    int installs_ = 0;
    bool failures_ = false;
    bool interrupted_ = false;
};

}  // namespace vt::cli
