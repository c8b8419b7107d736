#include "addons/addon_rows.h"

namespace vt::addons {

void AddonRowTable::DeleteAllRows() {
    std::lock_guard<std::mutex> lock(mutex_);
    rows_.clear();
}

int AddonRowTable::AddRow(int32_t key, const std::string& label, int upgradable) {
    std::lock_guard<std::mutex> lock(mutex_);
    rows_.push_back({key, label, upgradable, -1});
    return static_cast<int>(rows_.size()) - 1;
}

int AddonRowTable::InsertRow(int index, int32_t key, const std::string& label, int upgradable) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index < 0 || index > static_cast<int>(rows_.size()))
        index = static_cast<int>(rows_.size());
    rows_.insert(rows_.begin() + index, {key, label, upgradable, -1});
    return index;
}

int AddonRowTable::Find(int32_t key) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].key == key)
            return static_cast<int>(i);
    }
    return -1;
}

int AddonRowTable::FindKey(int32_t key) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Find(key);
}

int AddonRowTable::RowCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(rows_.size());
}

bool AddonRowTable::SetProgress(int32_t key, int percent) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int row = Find(key);
    if (row < 0)
        return false;
    rows_[row].progress = percent == 100 ? -1 : percent % 100;
    return true;
}

bool AddonRowTable::SetUpgradable(int32_t key, int upgradable) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int row = Find(key);
    if (row < 0)
        return false;
    rows_[row].upgradable = upgradable;
    return true;
}

void AddonRowTable::DeleteRow(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= 0 && index < static_cast<int>(rows_.size()))
        rows_.erase(rows_.begin() + index);
}

std::vector<AddonRow> AddonRowTable::Rows() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rows_;
}

}  // namespace vt::addons
