// The addon commands: list, search, install, update-all, delete, delete-all,
// refresh and detail, driving the addon library through a headless main
// window.
#include <algorithm>
#include <ctime>
#include <memory>

#include "addons/addon_paths.h"
#include "addons/addon_removal.h"
#include "addons/addon_state.h"
#include "addons/catalogue_file.h"
#include "addons/catalogue_refresh.h"
#include "addons/install_pipeline.h"
#include "addons/reload_all.h"
#include "addons/version_file.h"
#include "addons_headless.h"
#include "cli.h"
#include "net/secure_exchange.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/settings.h"

namespace vt::cli {

namespace {

// Addons the catalogue does not know are numbered from here by the scan.
constexpr int32_t kFirstLocalId = 20000;

addons::AddonOptions OptionsFor(const Context& context, bool cacheOnly) {
    addons::AddonOptions options;
    options.cacheOnly = cacheOnly || context.offline;
    return options;
}

// The window, the list and the library of one command, which is one
// manager's turn: it holds the manager lock from start to end. cacheOnly
// keeps commands that need no network from waiting on the server.
struct Session {
    Session(Context& context, bool cacheOnly, bool readOnly = false)
        : context(context),
          app(context.app),
          window(list, context.json),
          library(context.app, context.servers, window, list, OptionsFor(context, cacheOnly)) {
        if (!readOnly)
            PrepareProgramFiles(context);
        library.SetInstallObserver(&window);
        // Ctrl-C stops a download in order, keeping what arrived.
        platform::CatchInterrupts();
        // The settings name the game directory whose lock is taken.
        settings::LoadSettings(app);
        lock = library.HoldManager();
    }
    ~Session() {
        if (Locked())
            library.ReleaseManager();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool Locked() const { return lock == platform::LockResult::kAcquired; }
    // Why the command cannot run now.
    int RefuseUnlocked() const {
        const std::string game = addons::GameLockPath(app.GameDir());
        if (lock == platform::LockResult::kBusy)
            return Fail(ProgramText(196), "manager-busy");
        return Fail("无法创建管理器锁文件 " +
                        ToTerminal(addons::ProgramLockPath(app.ProgramDir())) +
                        (game.empty() ? "" : " 或 " + ToTerminal(game)),
                    "lock-failed");
    }
    // ReloadAll as the window's start-up runs it, then its messages.
    void Reload() {
        addons::ReloadAll(library);
        window.Pump(library);
        window.SetLabels(*library.catalogue());
    }
    bool HasCatalogue() const {
        return library.catalogueStatus().source != addons::CatalogueStatus::Source::kNone;
    }
    Context& context;
    settings::CAppState& app;
    addons::AddonRowTable list;
    HeadlessWindow window;
    addons::AddonLibrary library;
    platform::LockResult lock = platform::LockResult::kFailed;
};

int InterruptedFailure() {
    return Fail("已中断；下载了的部分留着下次继续", "interrupted");
}

int NoGamePath() {
    return Fail(std::string(ProgramText(182)) + "；请先运行 tessel set-game-path PATH",
                "no-game-path");
}

bool ParseId(const std::string& text, int32_t& id) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long long value = std::stoll(text);
    if (value > 2147483647LL)
        return false;
    id = static_cast<int32_t>(value);
    return true;
}

// An addon named by Id or by folder name (installed folders first, then the
// catalogue's); false when nothing carries that name.
bool ResolveAddon(const Session& session, const std::string& arg, int32_t& id) {
    if (ParseId(arg, id))
        return true;
    const std::string folder = FromTerminal(arg);
    for (const addons::AddonRecord& entry : *session.library.localAddons()) {
        if (platform::EqualsIgnoreCaseLocal(entry.Folder, folder)) {
            id = entry.Id;
            return true;
        }
    }
    for (const auto& [key, record] : *session.library.catalogue()) {
        if (platform::EqualsIgnoreCaseLocal(record.Folder, folder)) {
            id = key;
            return true;
        }
    }
    return false;
}

std::string AgeText(int64_t seconds) {
    if (seconds < 120)
        return std::to_string(std::max<int64_t>(seconds, 0)) + " 秒前";
    if (seconds < 2 * 3600)
        return std::to_string(seconds / 60) + " 分钟前";
    if (seconds < 2 * 86400)
        return std::to_string(seconds / 3600) + " 小时前";
    return std::to_string(seconds / 86400) + " 天前";
}

// Why the server's word on the catalogue is missing.
std::string ServerTrouble(const Context& context, const addons::CatalogueStatus& status) {
    const std::string server = context.servers.catalogue;
    if (status.downloadResult)
        return "从 " + server + addons::kCatalogueServerPath + " 下载插件目录失败：" +
               DownloadFailureText(*status.downloadResult, status.httpStatus);
    const std::string asked = "插件目录服务器 " + server;
    switch (status.stampStatus) {
        case net::ExchangeStatus::kTimedOut:
            return asked + " 在 " + std::to_string(addons::AddonOptions().serverAnswerMs / 1000) +
                   " 秒内没有回答";
        case net::ExchangeStatus::kPostFailed:
            return status.httpStatus != 0
                       ? asked + " 回答 HTTP " + std::to_string(status.httpStatus)
                       : asked + " 无法连接";
        case net::ExchangeStatus::kOk:
            return asked + " 没有给出目录标记";
        default:
            return asked + " 的回答无法使用";
    }
}

// Says on stderr when the catalogue is not the server's own, how old the
// copy in use is, or that there is none; false when there is none.
bool ReportCatalogue(const Session& session) {
    const Context& context = session.context;
    const addons::CatalogueStatus status = session.library.catalogueStatus();
    const std::string server = context.servers.catalogue;
    const std::string fields = JsonLine().Add("server", server).Fields();
    if (status.source == addons::CatalogueStatus::Source::kServer)
        return true;
    if (status.source == addons::CatalogueStatus::Source::kCache) {
        const int64_t age = static_cast<int64_t>(std::time(nullptr)) -
                            platform::FileTimeToUnixTime(status.fileTime);
        const std::string copy = "本机保存的插件目录（" + AgeText(age) + "保存）";
        const std::string ageField = JsonLine().Add("ageSeconds", age).Fields();
        if (status.asked)
            Note(ServerTrouble(context, status) + "；使用" + copy, "catalogue-cached",
                 fields + "," + ageField);
        else if (context.offline)
            Note("离线：使用" + copy, "catalogue-offline", fields + "," + ageField);
        return true;
    }
    if (status.malformed)
        Note("本机保存的插件目录 " + ToTerminal(addons::CataloguePath(context.app.ProgramDir())) +
                 " 已损坏" + (status.asked ? "，" + ServerTrouble(context, status) : std::string()),
             "catalogue-unusable", fields);
    else if (status.asked)
        Note(ServerTrouble(context, status) + "；本机也没有保存的插件目录", "catalogue-unavailable",
             fields);
    else
        Note("离线，本机也没有保存的插件目录", "catalogue-unavailable", fields);
    return false;
}

int NoCatalogue(const std::string& what) {
    return Fail("没有插件目录，" + what, "no-catalogue");
}

// Opens a session, refuses when another manager works, and loads everything.
// Returns 0 when the command may go on, else its exit code.
int Open(Session& session) {
    if (!session.Locked())
        return session.RefuseUnlocked();
    session.Reload();
    return 0;
}

std::string InstalledVersion(const Session& session, const addons::AddonRecord& entry) {
    const std::string addonDir = addons::AddonDir(session.app.GameDir());
    if (addonDir.empty() || !addons::IsPlainFolderName(entry.Folder))
        return "";
    return addons::ReadVersionHeader(
        addonDir + "\\" + entry.Folder + "\\" + addons::kVersionFileName, addons::kUpdateVerKey);
}

// One addon as list and search show it.
struct AddonLine {
    int32_t id = 0;
    std::string name;       // UTF-8
    std::string folder;     // UTF-8
    std::string installed;  // version, "" when not installed or unknown
    std::string available;  // the catalogue's version, "" when not in it
    bool isInstalled = false;
    bool update = false;
};

void PrintAddonLines(const Context& context, const std::vector<AddonLine>& lines) {
    if (context.json) {
        for (const AddonLine& line : lines) {
            JsonLine json;
            if (line.id < 0)
                json.AddRaw("id", "null");
            else
                json.Add("id", line.id);
            json.Add("name", line.name)
                .Add("folder", line.folder)
                .Add("installed", line.isInstalled)
                .AddOrNull("installedVersion", line.installed)
                .AddOrNull("catalogueVersion", line.available)
                .Add("update", line.update)
                .Print();
        }
        return;
    }
    if (lines.empty())
        return;
    Print("  编号    已装版本  最新版本  名称\n");
    for (const AddonLine& line : lines) {
        char head[96];
        const std::string installed =
            line.isInstalled ? (line.installed.empty() ? "?" : line.installed) : "-";
        const std::string available = line.available.empty() ? "-" : line.available;
        const std::string id = line.id < 0 ? "-" : std::to_string(line.id);
        std::snprintf(head, sizeof head, "  %-7s %-9s %-9s ", id.c_str(), installed.c_str(),
                      available.c_str());
        std::string name = line.name;
        if (line.folder != line.name && !line.folder.empty())
            name += " (" + line.folder + ")";
        Print(head + name + (line.update ? "  [可更新]" : "") + "\n");
    }
}

AddonLine LineOfInstalled(const Session& session, const addons::AddonRecord& entry) {
    AddonLine line;
    line.id = entry.Id;
    line.name = ToTerminal(addons::RowLabel(entry));
    line.folder = ToTerminal(entry.Folder);
    line.isInstalled = true;
    line.installed = ToTerminal(InstalledVersion(session, entry));
    line.update = addons::HasUpdate(entry);
    const auto record = session.library.catalogue()->find(entry.Id);
    if (record != session.library.catalogue()->end())
        line.available = ToTerminal(record->second.Ver);
    return line;
}

int RunList(Context& context) {
    const bool outdated = TakeFlag(context.flags, "--outdated");
    if (!context.args.empty())
        return UsageError(context, "list", "list 不接受参数");
    Session session(context, false);
    if (const int refused = Open(session))
        return refused;
    const bool catalogued = ReportCatalogue(session);
    if (session.app.GameDir().empty())
        return NoGamePath();
    std::vector<AddonLine> lines;
    for (const addons::AddonRecord& entry : *session.library.localAddons()) {
        if (!outdated || addons::HasUpdate(entry))
            lines.push_back(LineOfInstalled(session, entry));
    }
    if (!catalogued && lines.empty()) {
        // Without a catalogue the scan keeps no managed folder: show what is
        // on disk, without Ids or updates, which only the catalogue gives.
        const std::string addonDir = addons::AddonDir(session.app.GameDir());
        for (const std::string& folder : platform::ListSubdirectories(addonDir)) {
            if (folder.empty() || folder[0] == '.')
                continue;
            addons::AddonRecord entry;
            entry.Id = -1;
            entry.Folder = folder;
            entry.Name = folder;
            lines.push_back(LineOfInstalled(session, entry));
        }
    }
    PrintAddonLines(context, lines);
    if (!catalogued)
        return NoCatalogue("不知道插件的编号和更新");
    if (lines.empty() && !context.json)
        Print(std::string(outdated ? "所有插件都是最新的" : ProgramText(180)) + "\n");
    return kExitOk;
}

int RunSearch(Context& context) {
    if (context.args.empty())
        return UsageError(context, "search", "search 需要要找的文字");
    std::string words;
    for (const std::string& arg : context.args)
        words += (words.empty() ? "" : " ") + arg;
    Session session(context, false);
    if (const int refused = Open(session))
        return refused;
    if (!ReportCatalogue(session))
        return NoCatalogue("无法搜索");
    const std::string wanted = FromTerminal(words);
    const auto contains = [&](const std::string& text) {
        return platform::FindIgnoreCaseLocal(text, wanted) != std::string_view::npos;
    };
    const std::shared_ptr<const addons::LocalAddonList> local = session.library.localAddons();
    std::vector<AddonLine> lines;
    for (const auto& [id, record] : *session.library.catalogue()) {
        if (!contains(record.Name) && !contains(record.Folder))
            continue;
        const addons::AddonRecord* entry = addons::FindLocalAddon(*local, id);
        AddonLine line = entry ? LineOfInstalled(session, *entry) : AddonLine();
        line.id = id;
        line.name = ToTerminal(record.Name.empty() ? record.Folder : record.Name);
        line.folder = ToTerminal(record.Folder);
        line.available = ToTerminal(record.Ver);
        lines.push_back(line);
    }
    PrintAddonLines(context, lines);
    if (lines.empty())
        return Fail("插件目录里没有名字含有“" + words + "”的插件", "not-found");
    return kExitOk;
}

// The end of an install or update: the interrupt, then the per-addon results
// the window printed.
int InstallOutcomeCode(Session& session) {
    if (session.window.Interrupted())
        return InterruptedFailure();
    return session.window.AllInstalled() ? kExitOk : kExitFailure;
}

int RunInstall(Context& context) {
    if (context.args.empty())
        return UsageError(context, "install", "install 需要插件编号或文件夹名");
    Session session(context, false);
    if (const int refused = Open(session))
        return refused;
    if (!ReportCatalogue(session))
        return NoCatalogue("无法安装");
    if (session.app.GameDir().empty())
        return NoGamePath();
    std::vector<int32_t> ids;
    for (const std::string& arg : context.args) {
        int32_t id = 0;
        if (!ResolveAddon(session, arg, id) || session.library.catalogue()->count(id) == 0)
            return Fail("插件目录里没有 " + arg + "；什么也没有安装", "not-in-catalogue");
        ids.push_back(id);
    }
    for (int32_t id : ids) {
        if (addons::RequestInstall(session.library, id, 0) == addons::kRequestQueued)
            continue;
        const std::string name = ToTerminal(session.library.catalogue()->at(id).Name);
        if (context.json)
            JsonLine().Add("id", id).Add("name", name).Add("result", "current").Print();
        else
            Print(std::to_string(id) + " " + name + "：" + ProgramText(192) + "\n");
    }
    session.window.Pump(session.library);
    return InstallOutcomeCode(session);
}

int RunUpdateAll(Context& context) {
    const bool yes = TakeFlag(context.flags, "--yes");
    const bool dryRun = TakeFlag(context.flags, "--dry-run");
    if (!context.args.empty())
        return UsageError(context, "update-all", "update-all 不接受参数");
    Session session(context, false);
    if (const int refused = Open(session))
        return refused;
    if (!ReportCatalogue(session))
        return NoCatalogue("不知道哪些插件有更新");
    if (session.app.GameDir().empty())
        return NoGamePath();
    std::vector<AddonLine> plan;
    for (const addons::AddonRecord& entry : *session.library.localAddons()) {
        if (addons::HasUpdate(entry))
            plan.push_back(LineOfInstalled(session, entry));
    }
    if (plan.empty()) {
        if (!context.json)
            Print(std::string(ProgramText(135)) + "\n");
        return kExitOk;
    }
    if (context.json) {
        for (const AddonLine& line : plan)
            JsonLine()
                .Add("id", line.id)
                .Add("name", line.name)
                .Add("result", dryRun ? "would-update" : "planned")
                .Print();
    } else {
        Print(std::string(dryRun ? "将会更新" : "要更新") + " " + std::to_string(plan.size()) +
              " 个插件:\n");
        for (const AddonLine& line : plan)
            Print("  " + std::to_string(line.id) + " " + line.name + "  " +
                  (line.installed.empty() ? "?" : line.installed) + " -> " + line.available + "\n");
    }
    if (dryRun)
        return kExitOk;
    if (!yes && !AskYes(ProgramText(addons::kStringConfirmUpdateAll)))
        return Fail("没有确认，什么也没有更新", "not-confirmed");
    addons::UpdateAll(session.library);
    session.window.Pump(session.library);
    return InstallOutcomeCode(session);
}

// Whether any of the folders is still in the addon directory.
bool AnyFolderLeft(const std::string& addonDir, const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        const std::string path = addonDir + "\\" + folder;
        if (addons::IsPlainFolderName(folder) &&
            (platform::PathExists(path) || platform::IsLink(path)))
            return true;
    }
    return false;
}

int RunDelete(Context& context) {
    const bool yes = TakeFlag(context.flags, "--yes");
    if (context.args.size() != 1)
        return UsageError(context, "delete", "delete 需要一个插件编号或文件夹名");
    // Deleting needs no server: the catalogue on disk names the folders.
    Session session(context, true);
    if (const int refused = Open(session))
        return refused;
    if (session.app.GameDir().empty())
        return NoGamePath();
    if (session.window.panel().notBusy == 0)
        return Fail(ProgramText(addons::kStringDeleteWhileBusy), "busy");
    const bool catalogued = session.HasCatalogue();
    int32_t id = 0;
    const std::string& arg = context.args[0];
    const std::shared_ptr<const addons::LocalAddonList> local = session.library.localAddons();
    const addons::AddonRecord* entry =
        ResolveAddon(session, arg, id) ? addons::FindLocalAddon(*local, id) : nullptr;
    if (entry == nullptr) {
        if (!catalogued && ParseId(arg, id) && id < kFirstLocalId)
            return NoCatalogue("编号无法对应到文件夹；请用插件的文件夹名删除");
        return Fail(arg + " 没有安装", "not-installed");
    }
    const std::string label = ToTerminal(addons::RowLabel(*entry));
    // The folders, not the Id, tell whether the delete worked: the rescan
    // numbers local-only folders afresh, and another one may take this Id.
    std::vector<std::string> folders{entry->Folder};
    folders.insert(folders.end(), entry->SubFolders.begin(), entry->SubFolders.end());
    std::string folderList;
    for (const std::string& folder : folders)
        folderList += (folderList.empty() ? "" : ", ") + ToTerminal(folder);
    const std::string question = std::string(ProgramText(addons::kStringConfirmDelete)) + " " +
                                 std::to_string(id) + " " + label + "（文件夹 " + folderList + "）";
    if (!yes && !AskYes(question))
        return Fail("没有确认，什么也没有删除", "not-confirmed");
    addons::DeleteAddon(session.library, id);
    session.list.DeleteRow(session.list.FindKey(id));
    addons::StartReloadAll(session.library);
    session.window.Pump(session.library);
    const std::string addonDir = addons::AddonDir(session.app.GameDir());
    const bool gone = !addonDir.empty() && !AnyFolderLeft(addonDir, folders);
    if (!gone)
        return FailWith(std::to_string(id) + " " + label + " 没有删干净：" + ToTerminal(addonDir) +
                            " 下还有它的文件夹",
                        "delete-failed", JsonLine().Add("id", id).Add("name", label).Fields());
    if (context.json)
        JsonLine().Add("id", id).Add("name", label).Add("result", "deleted").Print();
    else
        Print("已删除 " + std::to_string(id) + " " + label + "\n");
    return kExitOk;
}

int RunDeleteAll(Context& context) {
    const bool yes = TakeFlag(context.flags, "--yes");
    const bool dryRun = TakeFlag(context.flags, "--dry-run");
    if (!context.args.empty())
        return UsageError(context, "delete-all", "delete-all 不接受参数");
    Session session(context, true);
    if (const int refused = Open(session))
        return refused;
    if (session.app.GameDir().empty())
        return NoGamePath();
    const std::string addonDir = addons::AddonDir(session.app.GameDir());
    const std::vector<std::string> before = platform::ListDirectory(addonDir);
    const std::string dirText = ToTerminal(addonDir);
    const std::string count = std::to_string(before.size());
    if (dryRun) {
        if (context.json) {
            for (const std::string& name : before)
                JsonLine()
                    .Add("dir", dirText)
                    .Add("name", ToTerminal(name))
                    .Add("result", "would-delete")
                    .Print();
            return kExitOk;
        }
        Print("将会删除 " + dirText + " 下的 " + count + " 项:\n");
        for (const std::string& name : before)
            Print("  " + ToTerminal(name) + "\n");
        return kExitOk;
    }
    if (!yes && !AskYes(std::string(ProgramText(addons::kStringConfirmDeleteAll)) + " 将删除 " +
                        dirText + " 下的 " + count + " 项"))
        return Fail("没有确认，什么也没有删除", "not-confirmed");
    addons::DeleteAllAddons(session.library);
    session.window.Pump(session.library);
    const size_t left = platform::ListDirectory(addonDir).size();
    if (left != 0)
        return FailWith(
            dirText + " 下还剩 " + std::to_string(left) + " 项没有删掉", "delete-failed",
            JsonLine().Add("dir", dirText).Add("remaining", static_cast<int64_t>(left)).Fields());
    if (context.json)
        JsonLine()
            .Add("dir", dirText)
            .Add("deleted", static_cast<int64_t>(before.size()))
            .Add("result", "deleted")
            .Print();
    else
        Print("已删除 " + dirText + " 下的 " + count + " 项\n");
    return kExitOk;
}

int RunRefresh(Context& context) {
    if (!context.args.empty())
        return UsageError(context, "refresh", "refresh 不接受参数");
    Session session(context, false);
    if (!session.Locked())
        return session.RefuseUnlocked();
    addons::RefreshCatalogue(session.library);
    const addons::CatalogueStatus status = session.library.catalogueStatus();
    const bool fresh = status.source == addons::CatalogueStatus::Source::kServer;
    if (!ReportCatalogue(session))
        return NoCatalogue("刷新失败");
    const std::string stamp =
        ToTerminal(addons::ReadLocalStamp(addons::CataloguePath(context.app.ProgramDir())));
    const size_t count = session.library.catalogue()->size();
    const char* source = fresh ? "server" : context.offline ? "offline" : "cache";
    if (context.json) {
        JsonLine()
            .Add("source", source)
            .Add("addons", static_cast<int64_t>(count))
            .Add("stamp", stamp)
            .Print();
    } else {
        Print(std::string(fresh ? "插件目录已是服务器的最新版本" : "插件目录（本机保存的）") +
              "：" + std::to_string(count) + " 个插件，标记 " + stamp + "\n");
    }
    // A copy on disk is no refresh, unless only the copy was asked for.
    if (!fresh && !context.offline)
        return Fail("没有刷新：" + ServerTrouble(context, status), "refresh-failed");
    return kExitOk;
}

int RunDetail(Context& context) {
    if (context.args.size() != 1)
        return UsageError(context, "detail", "detail 需要一个插件编号或文件夹名");
    if (!platform::IsDirectory(context.app.ProgramDir()))
        return NoGamePath();
    // The state is the installed folders' against the catalogue on disk.
    Session session(context, true, true);
    if (const int refused = Open(session))
        return refused;
    if (session.app.GameDir().empty())
        return NoGamePath();
    int32_t id = 0;
    if (!ResolveAddon(session, context.args[0], id))
        return Fail("本机和插件目录里都没有 " + context.args[0], "not-found");
    if (id >= kFirstLocalId) {
        Print(std::string(ProgramText(172)) + "\n");
        return kExitOk;
    }
    if (!session.HasCatalogue()) {
        ReportCatalogue(session);
        return NoCatalogue("无法判断 " + context.args[0] + " 是否安装、是否有更新");
    }
    const addons::DetailState state = addons::DetailStateOf(*session.library.localAddons(), id);
    const std::string url = addons::DetailPageUrl(context.servers, id, state);
    const auto record = session.library.catalogue()->find(id);
    const std::string name = record == session.library.catalogue()->end()
                                 ? std::string()
                                 : ToTerminal(record->second.Name);
    static const char* const kStateNames[] = {"已安装，是最新的", "没有安装", "已安装，有更新"};
    static const char* const kStateKeys[] = {"current", "not-installed", "update-available"};
    if (context.json) {
        JsonLine()
            .Add("id", id)
            .Add("name", name)
            .Add("detailState", static_cast<int>(state))
            .Add("state", kStateKeys[state])
            .Add("url", url)
            .Print();
    } else {
        Print(std::to_string(id) + " " + name + "\n状态: " + std::to_string(state) + "（" +
              kStateNames[state] + "）\n详情页: " + url + "\n");
    }
    return kExitOk;
}

const bool registered =
    RegisterCommand({"list", "[--outdated]",
                     "刷新插件目录，列出已装插件：编号、已装版本、最新版本和名称；--outdated "
                     "只列有更新的",
                     RunList, "--outdated"}) &&
    RegisterCommand({"search", "TEXT", "在插件目录里按名称或文件夹名查找插件", RunSearch}) &&
    RegisterCommand({"install", "ID|FOLDER...", "从插件目录下载并安装插件", RunInstall}) &&
    RegisterCommand({"update-all", "[--yes] [--dry-run]",
                     "列出要更新的插件，确认后全部更新；--dry-run 只列出", RunUpdateAll,
                     "--yes --dry-run"}) &&
    RegisterCommand({"delete", "ID|FOLDER [--yes]",
                     "删除一个已装插件和它的所有文件夹（先确认，不连接服务器）", RunDelete,
                     "--yes"}) &&
    RegisterCommand({"delete-all", "[--yes] [--dry-run]",
                     "删除游戏插件目录里的所有内容（先确认）；--dry-run 只列出", RunDeleteAll,
                     "--yes --dry-run"}) &&
    RegisterCommand({"refresh", "", "从服务器刷新插件目录", RunRefresh}) &&
    RegisterCommand(
        {"detail", "ID|FOLDER", "插件的详情状态和详情页地址（不连接服务器）", RunDetail});

}  // namespace

}  // namespace vt::cli
