// A main window and list control that record what the addon library does to
// them, for the pipeline tests.
#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "addons/addon_rows.h"
#include "addons/addon_window.h"
#include "addons/left_panel.h"

namespace vt::test {

using FakeList = AddonRowTable;
using FakeRow = AddonRow;

class FakeWindow : public AddonWindow {
  public:
    explicit FakeWindow(FakeList& list) : list_(list) {}

    void PostListState(int code, int value) override {
        std::lock_guard<std::mutex> lock(mutex_);
        states_.emplace_back(code, value);
        ApplyListState(panel_, code, value);
    }
    void PostInstallAddon(int32_t id, int closePopup) override {
        std::lock_guard<std::mutex> lock(mutex_);
        installs_.emplace_back(id, closePopup);
    }
    void SendDownloadProgress(int code, const DownloadProgress& progress) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            progress_.emplace_back(code, progress.user1);
            if (code == kProgressDownloading)
                lastDone_ = progress.doneSize;
        }
        HandleDownloadProgress(list_, code, progress);
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
    // doneSize of the last download progress message.
    int64_t lastDone() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastDone_;
    }
    int busyNotes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return busyNotes_;
    }

    std::vector<std::pair<int, int>> TakeStates() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(states_, {});
    }
    std::vector<std::pair<int32_t, int>> installs() const {
        std::lock_guard<std::mutex> lock(mutex_);
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
    LeftPanelState panel() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return panel_;
    }

  private:
    int busyNotes_ = 0;
    FakeList& list_;
    mutable std::mutex mutex_;
    std::vector<std::pair<int, int>> states_;
    std::vector<std::pair<int32_t, int>> installs_;
    std::vector<std::pair<int, int32_t>> progress_;
    std::vector<int> messages_;
    int pathDialogs_ = 0;
    int64_t lastDone_ = 0;
    LeftPanelState panel_;
};

}  // namespace vt::test
