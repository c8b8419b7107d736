// Keeping the catalogue current: the stamp query, the download of a fresh
// catalogue file and the refresh that the list worker runs before each scan.
#pragma once

#include <string>

#include "addons/addon_library.h"

namespace vt::addons {

// Asks the catalogue server's stamp interface for the current stamp; false
// when the exchange fails.
bool QueryCatalogueStamp(const settings::ServerConfig& servers, std::string& stamp);

// Fetches "/Config/pluglist.xml" of the library's catalogue server afresh
// into the catalogue file's "Temp" sibling (at most
// options().catalogueMaxBytes) and renames it over the catalogue file when
// complete; a failure keeps the old file. Cancelled with the library's
// transfers.
bool DownloadCatalogue(AddonLibrary& library);

// Brings the catalogue file up to date (downloading it when missing or when
// the server's stamp differs from the file's) and loads it into the library.
// False when there is no file and none could be fetched (the catalogue then
// keeps what it held) or when the file is not well-formed (the catalogue is
// then empty).
bool RefreshCatalogue(AddonLibrary& library);

// Loads the catalogue file into the library, unless it is the very file that
// was loaded last (same size and time), whose records are kept. The result
// is LoadCatalogue's.
bool LoadCatalogueInto(AddonLibrary& library);

}  // namespace vt::addons
