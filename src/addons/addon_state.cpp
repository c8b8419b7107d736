#include "addons/addon_state.h"

namespace vt::addons {

std::string UpdateMarker(const std::string& catalogueVer, const std::string& installedVer) {
    if (!installedVer.empty() && LeadingInteger(installedVer) >= LeadingInteger(catalogueVer))
        return "0";
    return catalogueVer;
}

bool HasUpdate(const AddonRecord& entry) {
    return LeadingInteger(entry.Ver) > 0;
}

const AddonRecord* FindLocalAddon(const LocalAddonList& list, int32_t id) {
    for (const AddonRecord& record : list) {
        if (record.Id == id)
            return &record;
    }
    return nullptr;
}

DetailState DetailStateOf(const LocalAddonList& list, int32_t id) {
    const AddonRecord* entry = FindLocalAddon(list, id);
    if (entry == nullptr)
        return kDetailNotInstalled;
    return HasUpdate(*entry) ? kDetailUpdateAvailable : kDetailCurrent;
}

const std::string& RowLabel(const AddonRecord& record) {
    return record.Name.empty() ? record.Folder : record.Name;
}

}  // namespace vt::addons
