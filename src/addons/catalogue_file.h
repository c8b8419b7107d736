// Reading the catalogue file ("pluglist.xml", root element "AddOnList").
#pragma once

#include <string>

#include "addons/addon_record.h"

namespace vt::xml {
class CXmlDocument;
}  // namespace vt::xml

namespace vt::addons {

// ProgramDir + "Download\\pluglist.xml".
std::string CataloguePath(const std::string& programDir);

// Reads the catalogue file at path into catalogue. The map is built aside and
// moved in at the end, so a caller that guards `catalogue` with its own lock
// only holds it for the move. False when the file cannot be loaded as a
// well-formed document (catalogue is then empty); true otherwise, also when
// it holds no "AddOnList".
bool LoadCatalogue(const std::string& path, Catalogue& catalogue);

// The records of an already loaded catalogue document, ascending Id, the first
// occurrence of an Id kept.
Catalogue CatalogueFromDocument(xml::CXmlDocument& document);

// The CatalogueStamp of the catalogue file: the character data of the first
// "ver" child of "AddOnList"; empty when the file cannot be loaded or has no
// "AddOnList" or no "ver".
std::string ReadLocalStamp(const std::string& path);
std::string StampFromDocument(xml::CXmlDocument& document);

}  // namespace vt::addons
