// The installed-addons list as a table in memory, for front ends without the
// window's list control and for tests. Safe to call from any thread.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "addons/addon_window.h"

namespace vt::addons {

struct AddonRow {
    int32_t key = 0;
    std::string label;  // local code page
    int upgradable = 0;
    int progress = -1;  // -1 while the row does not show a download
};

class AddonRowTable : public AddonListControl {
  public:
    void DeleteAllRows() override;
    int AddRow(int32_t key, const std::string& label, int upgradable) override;
    int InsertRow(int index, int32_t key, const std::string& label, int upgradable) override;
    int FindKey(int32_t key) override;
    int RowCount() override;
    // As the list control shows it: above 100 counts modulo 100, exactly 100
    // ends the download look.
    bool SetProgress(int32_t key, int percent) override;
    bool SetUpgradable(int32_t key, int upgradable) override;
    void DeleteRow(int index) override;
    std::vector<AddonRow> Rows() const;

  private:
    int Find(int32_t key) const;
    mutable std::mutex mutex_;
    std::vector<AddonRow> rows_;
};

}  // namespace vt::addons
