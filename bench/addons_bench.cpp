// The addon library's two costs that grow with the user's machine and the
// catalogue, each against the bare work it cannot avoid, in one run:
//  1. ReloadAll over 2,000 installed folders against a 20,000-entry
//     catalogue, vs listing those folders and reading their version files.
//  2. Installing 30 addons from tessel-server on loopback, vs a shell loop of
//     curl and unzip over the same archives, and vs the same loop in this
//     process through libcurl and libzip (Debian's libzip-dev), which costs
//     no process start-ups. Like the library, both loops report each install
//     to the server's usage count with the same request, before fetching.
// Every figure is the median of the runs (default 5) with its spread; the
// runs take turns. Prints the times and the ratios (goal: <= 1.5 each).
//   addons_bench [--runs N]
#include <curl/curl.h>
#include <zip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "addons/addon_library.h"
#include "addons/addon_paths.h"
#include "addons/install_pipeline.h"
#include "addons/left_panel.h"
#include "addons/reload_all.h"
#include "bench_stats.h"
#include "net/secure_exchange.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/server_config.h"

namespace {

using Clock = std::chrono::steady_clock;

class NullList : public vt::addons::AddonListControl {
  public:
    void DeleteAllRows() override { rows_ = 0; }
    int AddRow(int32_t, const std::string&, int) override { return rows_++; }
    int InsertRow(int, int32_t, const std::string&, int) override { return rows_++; }
    int FindKey(int32_t) override { return -1; }
    int RowCount() override { return rows_; }
    bool SetProgress(int32_t, int) override { return true; }
    bool SetUpgradable(int32_t, int) override { return true; }
    void DeleteRow(int) override { --rows_; }

  private:
    int rows_ = 0;
};

class NullWindow : public vt::addons::AddonWindow {
  public:
    void PostListState(int, int) override {}
    void PostInstallAddon(int32_t, int) override {}
    void SendDownloadProgress(int, const vt::net::DownloadProgress&) override {}
    void ShowMessage(int) override {}
    bool RunGamePathDialog() override { return false; }
    void ClosePopupWindow() override {}
    void ShowAnotherManagerWorking() override {}
};

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// On tmpfs where there is one, as the archive benchmark: on ext4 the inodes
// earlier runs deleted slow down later creations by several times, and the
// figures would tell the file system's state rather than the work.
std::string MakeWorkDir(const char* name) {
    const std::string base = vt::platform::IsDirectory("/dev/shm") ? "/dev/shm" : "/tmp";
    const std::string dir = base + "/vt_addons_bench_" + name + "_" + std::to_string(std::rand());
    vt::platform::MakeDirectoryPath(dir);
    return dir;
}

// Writes the program's files and sets app up as the program's start-up does;
// returns the server configuration read from servers.ini.
vt::settings::ServerConfig SetUpProgram(vt::settings::CAppState& app, const std::string& program,
                                        const std::string& game,
                                        const std::string& catalogueServer) {
    vt::platform::MakeDirectoryPath(program + "/Download");
    vt::platform::MakeDirectoryPath(game + "/Interface/Addons");
    vt::platform::WriteWholeFile(game + "/vaelpatchchinese.exe", "");
    app.SetProgramDir(program + "/");
    vt::platform::WriteProfileString(program + "/config", "Setting", "GamePath",
                                     game + "/vaelpatchchinese.exe");
    vt::platform::WriteProfileString(program + "/servers.ini", "Servers", "Catalogue",
                                     catalogueServer);
    return vt::settings::LoadServerConfig(app.ProgramDir());
}

void BenchReloadAll(int runs) {
    const std::string work = MakeWorkDir("reload");
    const std::string program = work + "/program";
    const std::string game = work + "/game";
    // Nothing listens on port 1: the stamp query fails at once, as with a
    // server that is down, and the catalogue file stays.
    vt::settings::CAppState app;
    const vt::settings::ServerConfig servers =
        SetUpProgram(app, program, game, "http://127.0.0.1:1");
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<AddOnList "
           "DownLoadUrl=\"http://127.0.0.1:1/files/\">"
           "<ver>bench</ver>\n";
    for (int id = 1; id <= 20000; ++id)
        xml << "<P Id=\"" << id << "\" Name=\"Addon number " << id << "\" Folder=\"Addon" << id
            << "\" Ver=\"" << (id % 7) << "\" Url=\"" << id << ".zip\"/>\n";
    xml << "</AddOnList>\n";
    vt::platform::WriteWholeFile(program + "/Download/pluglist.xml", xml.str());
    const std::string addons = game + "/Interface/Addons/";
    for (int i = 0; i < 2000; ++i) {
        // Most folders are catalogue addons spread over the whole catalogue.
        const std::string folder =
            i % 10 == 9 ? "Local" + std::to_string(i) : "Addon" + std::to_string(i * 10 + 1);
        vt::platform::MakeDirectory(addons + folder);
        vt::platform::WriteWholeFile(
            addons + folder + "/tesselver.txt",
            "## Interface: 30300\r\n## Title: " + folder + "\r\n## X-Tessel-UpdateVer: 3\r\n");
    }

    NullWindow window;
    NullList list;
    vt::addons::AddonLibrary library(app, servers, window, list);
    vt::addons::ReloadAll(library);  // the first run parses the catalogue file
    constexpr int kReloads = 5;      // per run
    std::vector<double> reload, bare;
    size_t bytes = 0;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        for (int i = 0; i < kReloads; ++i)
            vt::addons::ReloadAll(library);
        reload.push_back(Seconds(start) / kReloads);
        bytes = 0;
        start = Clock::now();
        for (int i = 0; i < kReloads; ++i) {
            for (const std::string& name : vt::platform::ListSubdirectories(addons)) {
                std::string text;
                if (vt::platform::PathExists(addons + name + "/tesselver.txt") &&
                    vt::platform::ReadWholeFile(addons + name + "/tesselver.txt", text))
                    bytes += text.size();
            }
        }
        bare.push_back(Seconds(start) / kReloads);
    }
    std::printf(
        "ReloadAll, 2000 folders, 20000 catalogue entries, median of %d runs: %s (rows %d)\n", runs,
        vt::bench::Milliseconds(vt::bench::SpreadOf(reload)).c_str(), list.RowCount());
    std::printf("  bare listing and version-file reads: %s (%zu bytes)\n",
                vt::bench::Milliseconds(vt::bench::SpreadOf(bare)).c_str(), bytes / kReloads);
    vt::bench::PrintRatio("ReloadAll / bare listing", vt::bench::Ratios(reload, bare), 1.5);
    vt::platform::DeleteDirectoryTree(work);
}

#ifdef TESSEL_SERVER_PATH
size_t AppendBody(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// The usage report of an install: one POST of body, its answer read whole.
void PostUsage(const std::string& url, const std::string& body) {
    std::string answer;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
}

// The request SendUsagePing makes for id, so that the server does the same work.
std::string UsageBody(int id) {
    return vt::net::BuildExchangeBody("PlugId=" + std::to_string(id),
                                      vt::addons::kCatalogueExchangeKey, vt::net::MakeSalt(8));
}

// What an installer does at the least, in this process: report the install,
// fetch the archive with libcurl into memory and write every member under
// target with libzip.
bool FetchAndUnpack(const std::string& url, const std::string& usageUrl,
                    const std::string& usageBody, const std::string& target) {
    PostUsage(usageUrl, usageBody);
    std::string body;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    const bool fetched = curl_easy_perform(curl) == CURLE_OK;
    curl_easy_cleanup(curl);
    if (!fetched)
        return false;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(body.data(), body.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (archive == nullptr) {
        if (source)
            zip_source_free(source);
        return false;
    }
    bool ok = true;
    std::string data;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count && ok; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0) {
            ok = false;
            break;
        }
        const std::string path = target + "/" + stat.name;
        if (path.back() == '/') {
            vt::platform::MakeDirectoryPath(path);
            continue;
        }
        vt::platform::MakeDirectoryPath(path.substr(0, path.rfind('/')));
        zip_file_t* member = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        data.resize(stat.size);
        ok = member != nullptr &&
             zip_fread(member, data.data(), stat.size) == static_cast<zip_int64_t>(stat.size) &&
             vt::platform::WriteWholeFile(path, data);
        if (member != nullptr)
            zip_fclose(member);
    }
    zip_discard(archive);
    return ok;
}

void BenchInstall(int runs) {
    const std::string work = MakeWorkDir("install");
    const std::string root = work + "/catalogue";
    vt::platform::MakeDirectoryPath(root + "/files");
    std::string catalogue = "# Id\tVer\tFolder\tName\n";
    std::string ids;
    for (int id = 1; id <= 30; ++id) {
        const std::string folder = "Bench" + std::to_string(id);
        vt::platform::MakeDirectoryPath(work + "/src/" + folder);
        vt::platform::WriteWholeFile(work + "/src/" + folder + "/tesselver.txt",
                                     "## X-Tessel-UpdateVer: 1\r\n");
        std::string lua;
        for (int line = 0; line < 6000; ++line)
            lua += "function " + folder + ".Step" + std::to_string(line) + "() return " +
                   std::to_string(line * id) + " end\n";
        vt::platform::WriteWholeFile(work + "/src/" + folder + "/" + folder + ".lua", lua);
        catalogue +=
            std::to_string(id) + "\t1\t" + folder + "\tBench addon " + std::to_string(id) + "\n";
        ids += " " + std::to_string(id);
    }
    vt::platform::WriteWholeFile(root + "/catalogue.txt", catalogue);
    if (std::system(("cd " + work + "/src && for i in" + ids +
                     "; do zip -qr ../catalogue/files/$i.zip Bench$i; done")
                        .c_str()) != 0) {
        std::printf("install benchmark skipped: zip failed\n");
        return;
    }
    const std::string serverOut = work + "/server.out";
    std::system((std::string(TESSEL_SERVER_PATH) + " --root " + root + " --port 0 --quiet > " +
                 serverOut + " 2>/dev/null & echo $! > " + work + "/server.pid")
                    .c_str());
    int port = 0;
    for (int i = 0; i < 100 && port == 0; ++i) {
        vt::platform::SleepMs(50);
        std::ifstream in(serverOut);
        std::string line;
        if (std::getline(in, line) && line.rfind("listening on 127.0.0.1:", 0) == 0)
            port = std::atoi(line.c_str() + 23);
    }
    if (port == 0) {
        std::printf("install benchmark skipped: tessel-server did not start\n");
        return;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port);
    const std::string usageUrl = url + vt::addons::kUsagePingPath;
    std::vector<std::string> usageBodies(31);
    for (int id = 1; id <= 30; ++id) {
        usageBodies[id] = UsageBody(id);
        vt::platform::WriteWholeFile(work + "/usage" + std::to_string(id), usageBodies[id]);
    }
    std::vector<double> ours, shell, inProcess;
    size_t oursFolders = 0, shellFolders = 0, inProcessFolders = 0;
    for (int run = 0; run < runs; ++run) {
        const std::string runDir = work + "/run" + std::to_string(run);
        const std::string game = runDir + "/game";
        {
            vt::settings::CAppState app;
            const vt::settings::ServerConfig servers =
                SetUpProgram(app, runDir + "/program", game, url);
            NullWindow window;
            NullList list;
            vt::addons::AddonOptions options;
            options.chunkPauseMs = 0;
            vt::addons::AddonLibrary library(app, servers, window, list, options);
            vt::addons::ReloadAll(library);  // the catalogue, as the window has it at start-up
            const auto start = Clock::now();
            for (int id = 1; id <= 30; ++id)
                vt::addons::RequestInstall(library, id, 0);
            library.WaitIdle();
            ours.push_back(Seconds(start));
            oursFolders = vt::platform::ListSubdirectories(game + "/Interface/Addons").size();
        }

        const std::string shellTarget = runDir + "/curl_addons";
        vt::platform::MakeDirectoryPath(shellTarget);
        auto start = Clock::now();
        std::system(("cd " + runDir + " && for i in" + ids + "; do curl -s -o /dev/null " +
                     usageUrl + " --data-binary @../usage$i && curl -s -o $i.zip " + url +
                     "/files/$i.zip && unzip -q -o $i.zip -d " + shellTarget +
                     " && rm $i.zip; done")
                        .c_str());
        shell.push_back(Seconds(start));
        shellFolders = vt::platform::ListSubdirectories(shellTarget).size();

        const std::string libTarget = runDir + "/lib_addons";
        vt::platform::MakeDirectoryPath(libTarget);
        start = Clock::now();
        for (int id = 1; id <= 30; ++id)
            FetchAndUnpack(url + "/files/" + std::to_string(id) + ".zip", usageUrl, usageBodies[id],
                           libTarget);
        inProcess.push_back(Seconds(start));
        inProcessFolders = vt::platform::ListSubdirectories(libTarget).size();
        vt::platform::DeleteDirectoryTree(runDir);
    }
    using vt::bench::Milliseconds;
    using vt::bench::SpreadOf;
    std::printf("Installing 30 addons from tessel-server, median of %d runs: %s (%zu folders)\n",
                runs, Milliseconds(SpreadOf(ours)).c_str(), oursFolders);
    std::printf("  curl + unzip shell loop:       %s (%zu folders)\n",
                Milliseconds(SpreadOf(shell)).c_str(), shellFolders);
    std::printf("  libcurl + libzip in process:   %s (%zu folders)\n",
                Milliseconds(SpreadOf(inProcess)).c_str(), inProcessFolders);
    vt::bench::PrintRatio("install 30: tessel / curl+unzip shell loop",
                          vt::bench::Ratios(ours, shell), 1.5);
    vt::bench::PrintRatio("install 30: tessel / libcurl+libzip in process",
                          vt::bench::Ratios(ours, inProcess), 1.5);
    std::system(("kill $(cat " + work + "/server.pid)").c_str());
    vt::platform::DeleteDirectoryTree(work);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const int runs = vt::bench::RunsOption(argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    BenchReloadAll(runs);
#ifdef TESSEL_SERVER_PATH
    BenchInstall(runs);
#else
    std::printf("install benchmark skipped: tessel-server is not built\n");
#endif
    curl_global_cleanup();
    return 0;
}
