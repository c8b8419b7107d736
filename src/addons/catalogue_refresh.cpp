#include "addons/catalogue_refresh.h"

#include "addons/addon_paths.h"
#include "addons/catalogue_file.h"
#include "net/http_download.h"
#include "net/secure_exchange.h"
#include "net/url_codec.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/server_config.h"
#include "xml/xml_document.h"

namespace vt::addons {

namespace {

// The local stamp: of the loaded copy when the file is unchanged since.
std::string LocalStamp(AddonLibrary& library, const std::string& path) {
    const AddonLibrary::LoadedFile last = library.loadedCatalogueFile();
    if (last.loaded && last.size == platform::FileSize(path) &&
        last.modified == platform::GetModifiedTime(path))
        return last.stamp;
    return ReadLocalStamp(path);
}

// The stamp query with its status and the HTTP status of a refusal.
net::ExchangeStatus AskStamp(const settings::ServerConfig& servers, std::string& stamp,
                             int timeoutMs, int* httpStatus) {
    stamp.clear();
    std::string answer;
    const net::ExchangeStatus status =
        net::RunSecureExchange("", servers.catalogue + kStampInterfacePath, kCatalogueExchangeKey,
                               answer, httpStatus, timeoutMs);
    if (status == net::ExchangeStatus::kOk)
        stamp = net::QueryValue(answer, kStampName);
    return status;
}

// DownloadCatalogue with the download's result (none when it did not start)
// and the HTTP status of its last answer.
bool FetchCatalogue(AddonLibrary& library, std::optional<net::DownloadResult>& result,
                    int& httpStatus) {
    const AddonOptions& options = library.options();
    const std::string programDir = library.app().ProgramDir();
    const std::string dir = programDir + "Download";
    if (!platform::IsDirectory(dir)) {
        platform::MakeDirectoryPath(dir);
        platform::SleepMs(static_cast<unsigned>(options.directoryWaitMs));
    }
    const std::string path = CataloguePath(programDir);
    const std::string target = path + "Temp";
    // A stale partial file left in place would be resumed into a catalogue
    // made of two different versions.
    const std::string partial = target + ".down";
    result = net::kTempOpenFailed;
    httpStatus = 0;
    if (platform::PathExists(partial) && !platform::RemoveFile(partial))
        return false;
    net::HttpDownload download;
    ApplyTransferOptions(options, download);
    download.maxSize = options.catalogueMaxBytes;
    download.stop = library.cancelFlag();
    if (options.serverAnswerMs > 0 &&
        (download.headerTimeout <= 0 || download.headerTimeout > options.serverAnswerMs))
        download.headerTimeout = options.serverAnswerMs;
    result = download.Download(library.servers().catalogue + kCatalogueServerPath, target, false);
    httpStatus = StatusOfHeader(download.headerText());
    if (result != net::kDownloaded && result != net::kAlreadyCurrent)
        return false;
    // Replace in one rename, so the catalogue file is never missing or half.
    if (platform::RenamePath(target, path, true))
        return true;
    result = net::kRenameFailed;
    return false;
}

}  // namespace

int StatusOfHeader(const std::string& headerText) {
    // "HTTP/1.x NNN ..."
    if (headerText.rfind("HTTP/", 0) != 0)
        return 0;
    const size_t space = headerText.find(' ');
    if (space == std::string::npos || space + 4 > headerText.size())
        return 0;
    int status = 0;
    for (size_t i = space + 1; i < space + 4; ++i) {
        if (headerText[i] < '0' || headerText[i] > '9')
            return 0;
        status = status * 10 + (headerText[i] - '0');
    }
    return status;
}

bool QueryCatalogueStamp(const settings::ServerConfig& servers, std::string& stamp, int timeoutMs) {
    return AskStamp(servers, stamp, timeoutMs, nullptr) == net::ExchangeStatus::kOk;
}

bool DownloadCatalogue(AddonLibrary& library) {
    std::optional<net::DownloadResult> result;
    int httpStatus = 0;
    return FetchCatalogue(library, result, httpStatus);
}

bool LoadCatalogueInto(AddonLibrary& library) {
    const std::string path = CataloguePath(library.app().ProgramDir());
    AddonLibrary::LoadedFile file;
    file.size = platform::FileSize(path);
    file.modified = platform::GetModifiedTime(path);
    const AddonLibrary::LoadedFile last = library.loadedCatalogueFile();
    if (last.loaded && file.size >= 0 && last.size == file.size && last.modified == file.modified)
        return true;

    xml::CXmlDocument document;
    if (!document.LoadFile(path)) {
        library.SetCatalogue(Catalogue());
        library.SetLoadedCatalogueFile(AddonLibrary::LoadedFile());
        return false;
    }
    file.loaded = true;
    file.stamp = StampFromDocument(document);
    library.SetCatalogue(CatalogueFromDocument(document));
    library.SetLoadedCatalogueFile(file);
    return true;
}

bool RefreshCatalogue(AddonLibrary& library) {
    const AddonOptions& options = library.options();
    const std::string path = CataloguePath(library.app().ProgramDir());
    CatalogueStatus status;
    status.refreshed = true;
    status.asked = !options.cacheOnly;
    // Whether the server vouches for the file that ends up loaded.
    bool confirmed = false;
    bool replaced = false;
    if (options.cacheOnly) {
        // The file as it is.
    } else if (platform::PathExists(path)) {
        std::string stamp;
        status.stampStatus =
            AskStamp(library.servers(), stamp, options.serverAnswerMs, &status.httpStatus);
        if (status.stampStatus == net::ExchangeStatus::kOk && !stamp.empty()) {
            if (stamp != LocalStamp(library, path)) {
                replaced = FetchCatalogue(library, status.downloadResult, status.httpStatus);
                confirmed = replaced;
            } else {
                confirmed = true;
            }
        }
    } else if (FetchCatalogue(library, status.downloadResult, status.httpStatus)) {
        replaced = true;
        confirmed = true;
    } else {
        // Nothing on disk and nothing fetched: the catalogue keeps what it held.
        library.SetCatalogueStatus(status);
        return false;
    }
    // A fresh copy may carry the old one's size and server time: parse it.
    if (replaced)
        library.SetLoadedCatalogueFile(AddonLibrary::LoadedFile());
    const bool loaded = LoadCatalogueInto(library);
    if (loaded) {
        status.source =
            confirmed ? CatalogueStatus::Source::kServer : CatalogueStatus::Source::kCache;
        status.fileTime = platform::GetModifiedTime(path);
    } else {
        status.malformed = platform::PathExists(path);
    }
    library.SetCatalogueStatus(status);
    return loaded;
}

}  // namespace vt::addons
