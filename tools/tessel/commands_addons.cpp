// The addon commands: list, install, update-all, delete, delete-all, refresh
// and detail, driving the addon library through a headless main window.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>

#include "addons/addon_paths.h"
#include "addons/addon_removal.h"
#include "addons/addon_state.h"
#include "addons/catalogue_file.h"
#include "addons/catalogue_refresh.h"
#include "addons/install_pipeline.h"
#include "addons/reload_all.h"
#include "addons_headless.h"
#include "cli.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/settings.h"

namespace vt::cli {

namespace {

// The window, the list and the library of one command, which is one
// manager's turn: it holds the manager lock from start to end.
struct Session {
    explicit Session(Context& context)
        : app(context.app),
          window(list, context.json),
          library(context.app, context.servers, window, list) {
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
        if (lock == platform::LockResult::kBusy) {
            return Fail("another addon manager is working on " + ToTerminal(app.ProgramDir()) +
                        (game.empty() ? "" : " or " + ToTerminal(app.GameDir())) +
                        "; try again when it has finished");
        }
        return Fail("cannot create the manager lock " +
                    ToTerminal(addons::ProgramLockPath(app.ProgramDir())) +
                    (game.empty() ? "" : " or " + ToTerminal(game)));
    }
    // ReloadAll as the window's start-up runs it, then its messages.
    void Reload() {
        addons::ReloadAll(library);
        window.Pump(library);
        window.SetLabels(*library.catalogue());
    }
    settings::CAppState& app;
    addons::AddonRowTable list;
    HeadlessWindow window;
    addons::AddonLibrary library;
    platform::LockResult lock = platform::LockResult::kFailed;
};

int InterruptedFailure() {
    return Fail("interrupted; what was downloaded is kept for the next run");
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

// AskConfirm on the terminal: true for "y" or "yes".
bool AskConfirm(const Context& context, int stringId, bool yes) {
    if (yes)
        return true;
    std::fprintf(stderr, "%s: %s [y/N] ", ui::ProgramText(130), ui::ProgramText(stringId));
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        answer.clear();
    (void)context;
    return answer == "y" || answer == "Y" || answer == "yes";
}

std::string ViewText(const addons::LeftPanelState& panel) {
    const std::string view = addons::ShownView(panel);
    if (view == "no-game-path")
        return view + " (" + ui::ProgramText(182) + ")";
    if (view == "no-addons")
        return view + " (" + ui::ProgramText(180) + ")";
    if (view == "list")
        return view + " (" + std::to_string(panel.count) +
               (panel.count == 1 ? " addon" : " addons") +
               (panel.updateAllEnabled ? ", updates available)" : ")");
    return view;
}

void PrintList(const Context& context, Session& session) {
    const addons::LeftPanelState& panel = session.window.panel();
    const std::vector<addons::AddonRow> rows = session.list.Rows();
    if (context.json) {
        JsonLine()
            .Add("view", addons::ShownView(panel))
            .Add("count", panel.count)
            .Add("updateAll", panel.updateAllEnabled)
            .Add("deleteAll", panel.deleteAllEnabled)
            .Print();
        for (const addons::AddonRow& row : rows)
            JsonLine()
                .Add("id", row.key)
                .Add("label", ToTerminal(row.label))
                .Add("update", row.upgradable)
                .Print();
        return;
    }
    Print("view: " + ViewText(panel) + "\n");
    if (rows.empty())
        return;
    Print("  Id      Update  Name\n");
    for (const addons::AddonRow& row : rows) {
        char line[64];
        std::snprintf(line, sizeof line, "  %-7d %-7d ", static_cast<int>(row.key), row.upgradable);
        Print(line + ToTerminal(row.label) + "\n");
    }
}

// How a command's session starts: holding the lock only, after the refresh
// the window's start-up runs, or after it and with a game path set.
enum class Start { kLocked, kReloaded, kWithGame };

// Runs body in a session that holds the manager lock (a command refuses
// while another manager works), started as start says.
int InSession(Context& context, Start start, const std::function<int(Session&)>& body) {
    Session session(context);
    if (!session.Locked())
        return session.RefuseUnlocked();
    if (start != Start::kLocked)
        session.Reload();
    if (start == Start::kWithGame && session.app.GameDir().empty())
        return Fail("no game path is set");
    return body(session);
}

// Waits for the installs the command asked for; the exit status.
int FinishInstalls(Session& session) {
    session.window.Pump(session.library);
    if (session.window.Interrupted())
        return InterruptedFailure();
    return session.window.AllInstalled() ? kExitOk : kExitFailure;
}

int RunList(Context& context) {
    if (!context.args.empty())
        return UsageError(context, "list");
    return InSession(context, Start::kReloaded, [&](Session& session) -> int {
        PrintList(context, session);
        return kExitOk;
    });
}

int RunInstall(Context& context) {
    std::vector<int32_t> ids;
    for (const std::string& arg : context.args) {
        int32_t id = 0;
        if (!ParseId(arg, id))
            return UsageError(context, "install");
        ids.push_back(id);
    }
    if (ids.empty())
        return UsageError(context, "install");
    return InSession(context, Start::kReloaded, [&](Session& session) -> int {
        bool ok = true;
        for (int32_t id : ids)
            ok = addons::RequestInstall(session.library, id, 0) != addons::kRequestNoGameDir && ok;
        if (!ok) {
            session.window.Pump(session.library);
            return Fail("no game path is set");
        }
        return FinishInstalls(session);
    });
}

int RunUpdateAll(Context& context) {
    if (!context.args.empty())
        return UsageError(context, "update-all");
    return InSession(context, Start::kWithGame, [&](Session& session) -> int {
        if (addons::UpdateAll(session.library) > 0)
            return FinishInstalls(session);
        if (context.json) {
            JsonLine().Add("updates", 0).Print();
        } else {
            Print("every installed addon is current\n");
        }
        return kExitOk;
    });
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
    const bool yes = TakeFlag(context.args, "--yes");
    int32_t id = 0;
    if (context.args.size() != 1 || !ParseId(context.args[0], id))
        return UsageError(context, "delete");
    return InSession(context, Start::kReloaded, [&](Session& session) -> int {
        if (session.window.panel().notBusy == 0) {
            session.window.ShowMessage(addons::kStringDeleteWhileBusy);
            return kExitFailure;
        }
        const std::shared_ptr<const addons::LocalAddonList> local = session.library.localAddons();
        const addons::AddonRecord* entry = addons::FindLocalAddon(*local, id);
        if (entry == nullptr)
            return Fail("addon " + std::to_string(id) + " is not installed");
        const std::string label = addons::RowLabel(*entry);
        // The folders, not the Id, tell whether the delete worked: the rescan
        // numbers local-only folders afresh, and another one may take this Id.
        std::vector<std::string> folders{entry->Folder};
        folders.insert(folders.end(), entry->SubFolders.begin(), entry->SubFolders.end());
        if (!AskConfirm(context, addons::kStringConfirmDelete, yes))
            return Fail("not deleted");
        addons::DeleteAddon(session.library, id);
        session.list.DeleteRow(session.list.FindKey(id));
        addons::StartReloadAll(session.library);
        session.window.Pump(session.library);
        const std::string addonDir = addons::AddonDir(session.app.GameDir());
        const bool gone = !addonDir.empty() && !AnyFolderLeft(addonDir, folders);
        if (context.json) {
            JsonLine().Add("id", id).Add("name", ToTerminal(label)).Add("deleted", gone).Print();
        } else {
            Print((gone ? "deleted " : "still present: ") + std::to_string(id) + " " +
                  ToTerminal(label) + "\n");
        }
        return gone ? kExitOk : kExitFailure;
    });
}

int RunDeleteAll(Context& context) {
    const bool yes = TakeFlag(context.args, "--yes");
    if (!context.args.empty())
        return UsageError(context, "delete-all");
    return InSession(context, Start::kWithGame, [&](Session& session) -> int {
        if (!AskConfirm(context, addons::kStringConfirmDeleteAll, yes))
            return Fail("not deleted");
        const bool emptied = addons::DeleteAllAddons(session.library);
        session.window.Pump(session.library);
        const int left = emptied ? session.list.RowCount() : std::max(session.list.RowCount(), 1);
        if (context.json) {
            JsonLine().Add("remaining", left).Print();
        } else {
            Print("deleted every addon; " + std::to_string(left) + " remaining\n");
        }
        return left == 0 ? kExitOk : kExitFailure;
    });
}

int RunRefresh(Context& context) {
    if (!context.args.empty())
        return UsageError(context, "refresh");
    return InSession(context, Start::kLocked, [&](Session& session) -> int {
        const bool ok = addons::RefreshCatalogue(session.library);
        const std::string stamp =
            addons::ReadLocalStamp(addons::CataloguePath(context.app.ProgramDir()));
        const size_t count = session.library.catalogue()->size();
        if (context.json) {
            JsonLine()
                .Add("ok", ok)
                .Add("addons", static_cast<int64_t>(count))
                .Add("stamp", ToTerminal(stamp))
                .Print();
        } else if (ok) {
            Print("catalogue: " + std::to_string(count) + " addons, stamp " + ToTerminal(stamp) +
                  "\n");
        }
        return ok ? kExitOk
                  : Fail("the catalogue could not be fetched or read from " +
                         context.servers.catalogue + addons::kCatalogueServerPath);
    });
}

int RunDetail(Context& context) {
    int32_t id = 0;
    if (context.args.size() != 1 || !ParseId(context.args[0], id))
        return UsageError(context, "detail");
    return InSession(context, Start::kReloaded, [&](Session& session) -> int {
        if (id >= 20000) {
            session.window.ShowMessage(172);
            return kExitOk;
        }
        const addons::DetailState state = addons::DetailStateOf(*session.library.localAddons(), id);
        const std::string url = addons::DetailPageUrl(context.servers, id, state);
        static const char* const kStateNames[] = {"current", "not installed", "update available"};
        if (context.json) {
            JsonLine()
                .Add("id", id)
                .Add("detailState", static_cast<int>(state))
                .Add("url", url)
                .Print();
        } else {
            Print("DetailState: " + std::to_string(state) + " (" + kStateNames[state] +
                  ")\nURL: " + url + "\n");
        }
        return kExitOk;
    });
}

const bool registered =
    RegisterCommand(
        {"list", "", "refresh the catalogue, scan the game's addons and list them", RunList}) &&
    RegisterCommand(
        {"install", "ID...", "download and install addons from the catalogue", RunInstall}) &&
    RegisterCommand(
        {"update-all", "", "install every update the catalogue offers", RunUpdateAll}) &&
    RegisterCommand(
        {"delete", "ID [--yes]", "delete an installed addon and its folders", RunDelete}) &&
    RegisterCommand({"delete-all", "[--yes]", "delete everything in the game's addon directory",
                     RunDeleteAll}) &&
    RegisterCommand({"refresh", "", "bring the catalogue file up to date", RunRefresh}) &&
    RegisterCommand({"detail", "ID", "show an addon's detail state and detail page", RunDetail});

}  // namespace

}  // namespace vt::cli
