// Keeping the catalogue current: the stamp query, the download of a fresh
// catalogue file and the refresh that the list worker runs before each scan.
#pragma once

#include <string>

#include "addons/addon_library.h"
#include "net/form_post.h"

namespace vt::addons {

// Asks the catalogue server's stamp interface for the current stamp; false
// when the exchange fails. Connecting and each wait may take timeoutMs.
bool QueryCatalogueStamp(const settings::ServerConfig& servers, std::string& stamp,
                         int timeoutMs = net::kFormPostTimeoutMs);

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
// then empty). With options().cacheOnly it only loads the file. The stamp
// query and the download's header wait options().serverAnswerMs at most.
// Records how it went in the library's catalogueStatus().
bool RefreshCatalogue(AddonLibrary& library);

// The HTTP status of a response header text ("HTTP/1.1 404 Not Found..."),
// 0 when there is none.
int StatusOfHeader(const std::string& headerText);

// Loads the catalogue file into the library, unless it is the very file that
// was loaded last (same size and time), whose records are kept. The result
// is LoadCatalogue's.
bool LoadCatalogueInto(AddonLibrary& library);

}  // namespace vt::addons
