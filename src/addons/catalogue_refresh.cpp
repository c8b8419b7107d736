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

}  // namespace

bool QueryCatalogueStamp(const settings::ServerConfig& servers, std::string& stamp) {
    stamp.clear();
    std::string answer;
    if (!net::SecureExchange("", servers.catalogue + kStampInterfacePath, kCatalogueExchangeKey,
                             answer))
        return false;
    stamp = net::QueryValue(answer, kStampName);
    return true;
}

bool DownloadCatalogue(AddonLibrary& library) {
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
    if (platform::PathExists(partial) && !platform::RemoveFile(partial))
        return false;
    net::HttpDownload download;
    ApplyTransferOptions(options, download);
    download.maxSize = options.catalogueMaxBytes;
    download.stop = library.cancelFlag();
    const net::DownloadResult result =
        download.Download(library.servers().catalogue + kCatalogueServerPath, target, false);
    if (result != net::kDownloaded && result != net::kAlreadyCurrent)
        return false;
    // Replace in one rename, so the catalogue file is never missing or half.
    return platform::RenamePath(target, path, true);
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
    const std::string path = CataloguePath(library.app().ProgramDir());
    bool replaced = false;
    if (platform::PathExists(path)) {
        std::string stamp;
        if (QueryCatalogueStamp(library.servers(), stamp) && !stamp.empty() &&
            stamp != LocalStamp(library, path))
            replaced = DownloadCatalogue(library);
    } else if (!DownloadCatalogue(library)) {
        return false;
    } else {
        replaced = true;
    }
    // A fresh copy may carry the old one's size and server time: parse it.
    if (replaced)
        library.SetLoadedCatalogueFile(AddonLibrary::LoadedFile());
    return LoadCatalogueInto(library);
}

}  // namespace vt::addons
