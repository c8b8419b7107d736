// A main window and list control that record what the addon library does to
// them, for the pipeline tests.
#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "addons/addon_window.h"
#include "addons/left_panel.h"

namespace vt::test {

struct FakeRow {
    int32_t key = 0;
    std::string label;
    int upgradable = 0;
    int progress = -1;
};

class FakeList : public AddonListControl {
  public:
    void DeleteAllRows() override {
        std::lock_guard<std::mutex> lock(mutex_);
        rows_.clear();
    }
    int AddRow(int32_t key, const std::string& label, int upgradable) override {
        std::lock_guard<std::mutex> lock(mutex_);
        rows_.push_back({key, label, upgradable, -1});
        return static_cast<int>(rows_.size()) - 1;
    }
    int InsertRow(int index, int32_t key, const std::string& label, int upgradable) override {
        std::lock_guard<std::mutex> lock(mutex_);
        index = std::clamp(index, 0, static_cast<int>(rows_.size()));
        rows_.insert(rows_.begin() + index, {key, label, upgradable, -1});
        return index;
    }
    int FindKey(int32_t key) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return Find(key);
    }
    int RowCount() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<int>(rows_.size());
    }
    bool SetProgress(int32_t key, int percent) override {
        std::lock_guard<std::mutex> lock(mutex_);
        const int row = Find(key);
        if (row < 0)
            return false;
        rows_[row].progress = percent;
        return true;
    }
    bool SetUpgradable(int32_t key, int upgradable) override {
        std::lock_guard<std::mutex> lock(mutex_);
        const int row = Find(key);
        if (row < 0)
            return false;
        rows_[row].upgradable = upgradable;
        return true;
    }
    void DeleteRow(int index) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (index >= 0 && index < static_cast<int>(rows_.size()))
            rows_.erase(rows_.begin() + index);
    }
    std::vector<FakeRow> rows() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return rows_;
    }

  private:
    int Find(int32_t key) const {
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (rows_[i].key == key)
                return static_cast<int>(i);
        }
        return -1;
    }
    mutable std::mutex mutex_;
    std::vector<FakeRow> rows_;
};

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
