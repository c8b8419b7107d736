#include "addons/catalogue_file.h"

#include <utility>

#include "xml/xml_document.h"

namespace vt::addons {

std::string CataloguePath(const std::string& programDir) {
    return programDir + "Download\\pluglist.xml";
}

Catalogue CatalogueFromDocument(xml::CXmlDocument& document) {
    Catalogue catalogue;
    document.ResetPosition();
    if (!document.NextElement("AddOnList")) {
        return catalogue;
    }
    const std::string downloadUrl = document.MainAttribute("DownLoadUrl");
    while (document.NextChildElement("P")) {
        AddonRecord record;
        record.Id = LeadingInteger(document.ChildAttribute("Id"));
        // One search serves both the duplicate test and the insertion.
        const auto at = catalogue.lower_bound(record.Id);
        if (at != catalogue.end() && at->first == record.Id) {
            continue;  // the first occurrence of an Id stays
        }
        record.Name = document.ChildAttribute("Name");
        record.Folder = document.ChildAttribute("Folder");
        record.Ver = document.ChildAttribute("Ver");
        record.Url = downloadUrl + document.ChildAttribute("Url");
        const int32_t id = record.Id;
        catalogue.emplace_hint(at, id, std::move(record));
    }
    return catalogue;
}

bool LoadCatalogue(const std::string& path, Catalogue& catalogue) {
    catalogue.clear();
    xml::CXmlDocument document;
    if (!document.LoadFile(path)) {
        return false;
    }
    catalogue = CatalogueFromDocument(document);
    return true;
}

std::string StampFromDocument(xml::CXmlDocument& document) {
    document.ResetPosition();
    if (!document.NextElement("AddOnList") || !document.NextChildElement("ver")) {
        return std::string();
    }
    return document.ChildText();
}

std::string ReadLocalStamp(const std::string& path) {
    xml::CXmlDocument document;
    if (!document.LoadFile(path)) {
        return std::string();
    }
    return StampFromDocument(document);
}

}  // namespace vt::addons
