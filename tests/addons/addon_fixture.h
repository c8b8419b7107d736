// A program directory, a game directory with its addon directory, a catalogue
// test server named in servers.ini, and a library over a fake window.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "addons/addon_library.h"
#include "catalogue_test_server.h"
#include "fake_window.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/server_config.h"
#include "support/temp_dir.h"
#include "zip_builder.h"

namespace vt::test {

struct CatalogueEntry {
    int id;
    std::string name;
    std::string folder;
    std::string ver;
};

// Collects what the install worker reports.
class RecordingObserver : public addons::InstallObserver {
  public:
    void OnInstallFinished(int32_t id, addons::InstallOutcome outcome,
                           net::DownloadResult detail) override {
        std::lock_guard<std::mutex> lock(mutex_);
        order_.push_back(id);
        outcomes_.push_back(outcome);
        details_.push_back(detail);
    }
    std::vector<net::DownloadResult> details() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return details_;
    }
    std::vector<int32_t> order() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return order_;
    }
    std::vector<addons::InstallOutcome> outcomes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return outcomes_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<int32_t> order_;
    std::vector<addons::InstallOutcome> outcomes_;
    std::vector<net::DownloadResult> details_;
};

class AddonFixture : public ::testing::Test {
  protected:
    static addons::AddonOptions FastOptions() {
        addons::AddonOptions options;
        options.chunkPauseMs = 0;
        options.connectTimeoutMs = 2000;
        options.receiveTimeoutMs = 2000;
        options.directoryWaitMs = 0;
        options.managerWaitMs = 0;
        return options;
    }

    void SetUp() override {
        // As the program's start-up does: the program directory, then
        // servers.ini read once.
        app_.SetProgramDir(program_.path());
        platform::SetEnv("VAEL_DOCUMENTS", platform::LocalToUtf8(documents_.path()));
        platform::WriteProfileString(program_ / "servers.ini", "Servers", "Catalogue",
                                     server_.Root());
        servers_ = settings::LoadServerConfig(app_.ProgramDir());
        SetGamePath(game_ / "vaelpatchchinese.exe");
        addonDir_ = game_ / "Interface\\Addons";
        platform::MakeDirectoryPath(addonDir_);
        library_ = MakeLibrary(FastOptions());
        library_->SetInstallObserver(&observer_);
    }
    std::unique_ptr<addons::AddonLibrary> MakeLibrary(const addons::AddonOptions& options) {
        return std::make_unique<addons::AddonLibrary>(app_, servers_, window_, list_, options);
    }
    void TearDown() override {
        library_.reset();  // waits for its workers
        platform::SetEnv("VAEL_DOCUMENTS", "");
    }

    // The catalogue in memory, without a server.
    void SetCatalogue(const std::vector<CatalogueEntry>& entries) {
        addons::Catalogue catalogue;
        for (const CatalogueEntry& e : entries) {
            addons::AddonRecord record;
            record.Id = e.id;
            record.Name = e.name;
            record.Folder = e.folder;
            record.Ver = e.ver;
            catalogue.emplace(e.id, record);
        }
        library_->SetCatalogue(std::move(catalogue));
    }
    void SetGamePath(const std::string& path) {
        platform::WriteProfileString(program_ / "config", "Setting", "GamePath", path);
    }

    static std::string CatalogueXml(const std::string& stamp, const std::string& downloadUrl,
                                    const std::vector<CatalogueEntry>& entries) {
        std::string xml =
            "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<AddOnList DownLoadUrl=\"" +
            downloadUrl + "\">\r\n<ver>" + stamp + "</ver>\r\n";
        for (const CatalogueEntry& e : entries) {
            xml += "<P Id=\"" + std::to_string(e.id) + "\" Name=\"" + e.name + "\" Folder=\"" +
                   e.folder + "\" Ver=\"" + e.ver + "\" Url=\"" + std::to_string(e.id) +
                   ".zip\"/>\r\n";
        }
        return xml + "</AddOnList>\r\n";
    }
    // Serves the catalogue (and its stamp) with archives under "/files/".
    void ServeCatalogue(const std::string& stamp, const std::vector<CatalogueEntry>& entries) {
        server_.SetFile("/Config/pluglist.xml",
                        CatalogueXml(stamp, server_.Root() + "/files/", entries));
        server_.SetStamp(stamp);
    }
    void ServeArchive(int id, const ZipMembers& members) {
        server_.SetFile("/files/" + std::to_string(id) + ".zip", BuildZip(members));
    }
    // An archive of one addon folder with its version file and one more file.
    void ServeAddon(int id, const std::string& folder, const std::string& ver,
                    const std::string& marker = "new") {
        ServeArchive(id, {{folder + "\\" + "tesselver.txt", VersionFileText("", ver)},
                          {folder + "\\" + "main.lua", marker}});
    }
    void WriteCatalogueFile(const std::string& stamp, const std::vector<CatalogueEntry>& entries) {
        platform::MakeDirectoryPath(program_ / "Download");
        WriteTestFile(program_ / "Download\\pluglist.xml",
                      CatalogueXml(stamp, server_.Root() + "/files/", entries));
    }
    // A folder in the addon directory, with a version file unless both
    // texts are empty and withVersionFile is false.
    void InstallFolder(const std::string& name, const std::string& project, const std::string& ver,
                       bool withVersionFile = true) {
        platform::MakeDirectory(addonDir_ + "\\" + name);
        WriteTestFile(addonDir_ + "\\" + name + "\\main.lua", "old");
        if (withVersionFile)
            WriteTestFile(addonDir_ + "\\" + name + "\\tesselver.txt",
                          VersionFileText(project, ver));
    }
    bool FolderExists(const std::string& name) const {
        return platform::IsDirectory(addonDir_ + "\\" + name);
    }
    std::string AddonFile(const std::string& relative) const {
        return ReadTestFile(addonDir_ + "\\" + relative);
    }

    std::vector<int32_t> LocalIds() const {
        std::vector<int32_t> ids;
        for (const addons::AddonRecord& r : *library_->localAddons())
            ids.push_back(r.Id);
        return ids;
    }

    TempDir program_;
    TempDir game_;
    settings::CAppState app_;
    settings::ServerConfig servers_;
    TempDir documents_;
    std::string addonDir_;
    CatalogueTestServer server_;
    FakeList list_;
    FakeWindow window_{list_};
    RecordingObserver observer_;
    std::unique_ptr<addons::AddonLibrary> library_;
};

}  // namespace vt::test
