// A main window and list control that record what the addon library does to
// them, for the pipeline tests. As a real window does, the window handles a
// sent message at once, while its sender waits, and keeps posted messages in
// a queue until its own thread (the test's) takes them: every reader of what
// posted messages change delivers the queue first.
#pragma once

#include <algorithm>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "addons/addon_rows.h"
#include "addons/addon_window.h"
#include "addons/left_panel.h"

namespace vt::test {

using FakeList = addons::AddonRowTable;
using FakeRow = addons::AddonRow;

class FakeWindow : public addons::AddonWindow {
  public:
    // One message as the window handled it.
    struct Handled {
        enum Kind { kListState, kInstallAddon, kProgress } kind;
        int wParam;  // list state code, addon Id, progress code
        int lParam;  // its value, the close-popup flag, the addon Id
        bool operator==(const Handled& other) const = default;
    };

    explicit FakeWindow(FakeList& list) : list_(list) {}

    void PostListState(int code, int value) override {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back({Handled::kListState, code, value});
    }
    void PostInstallAddon(int32_t id, int closePopup) override {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back({Handled::kInstallAddon, id, closePopup});
    }
    void SendDownloadProgress(int code, const net::DownloadProgress& progress) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            handled_.push_back({Handled::kProgress, code, progress.user1});
            progress_.emplace_back(code, progress.user1);
            if (code == addons::kProgressDownloading)
                lastDone_ = progress.doneSize;
        }
        addons::HandleDownloadProgress(list_, code, progress);
    }
    void ShowMessage(int stringId) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(stringId);
    }
    bool RunGamePathDialog() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++pathDialogs_;
        return false;
    }
    void ClosePopupWindow() override {}
    void ShowAnotherManagerWorking() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++busyNotes_;
    }

    // Handles the posted messages waiting, in the order they were posted.
    void DeliverPosted() {
        std::lock_guard<std::mutex> lock(mutex_);
        Deliver();
    }
    // Posted messages not yet delivered.
    size_t PostedWaiting() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return queue_.size();
    }
    // Every message handled so far, in the order the window handled it.
    std::vector<Handled> handled() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return handled_;
    }

    // doneSize of the last download progress message.
    int64_t lastDone() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastDone_;
    }
    int busyNotes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return busyNotes_;
    }
    // The list states delivered since the last call.
    std::vector<std::pair<int, int>> TakeStates() {
        std::lock_guard<std::mutex> lock(mutex_);
        Deliver();
        return std::exchange(states_, {});
    }
    std::vector<std::pair<int32_t, int>> installs() {
        std::lock_guard<std::mutex> lock(mutex_);
        Deliver();
        return installs_;
    }
    // (code, id) of every progress message.
    std::vector<std::pair<int, int32_t>> progress() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return progress_;
    }
    std::vector<int> messages() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }
    int pathDialogs() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return pathDialogs_;
    }
    addons::LeftPanelState panel() {
        std::lock_guard<std::mutex> lock(mutex_);
        Deliver();
        return panel_;
    }

  private:
    void Deliver() {
        for (; !queue_.empty(); queue_.pop_front()) {
            const Handled message = queue_.front();
            handled_.push_back(message);
            if (message.kind == Handled::kListState) {
                states_.emplace_back(message.wParam, message.lParam);
                addons::ApplyListState(panel_, message.wParam, message.lParam);
            } else {
                installs_.emplace_back(message.wParam, message.lParam);
            }
        }
    }

    FakeList& list_;
    mutable std::mutex mutex_;
    std::deque<Handled> queue_;
    std::vector<Handled> handled_;
    std::vector<std::pair<int, int>> states_;
    std::vector<std::pair<int32_t, int>> installs_;
    std::vector<std::pair<int, int32_t>> progress_;
    std::vector<int> messages_;
    int pathDialogs_ = 0;
    int busyNotes_ = 0;
    int64_t lastDone_ = 0;
    addons::LeftPanelState panel_;
};

}  // namespace vt::test
