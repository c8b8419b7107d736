// The headless main window of the addon commands (see addons_headless.h).
#include <cstdio>
#include <iostream>

#include "addons/install_pipeline.h"
#include "addons_headless.h"
#include "cli.h"
#include "platform/system.h"

namespace vt::cli {

void HeadlessWindow::PostListState(int code, int value) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back({addons::UM_LIST_STATE, code, value});
    posted_.notify_one();
}

void HeadlessWindow::PostInstallAddon(int32_t id, int closePopup) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back({addons::UM_INSTALL_ADDON, id, closePopup});
    posted_.notify_one();
}

void HeadlessWindow::SetLabels(const addons::Catalogue& catalogue) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [id, record] : catalogue)
        labels_[id] = record.Name.empty() ? record.Folder : record.Name;
}

std::string HeadlessWindow::Label(int32_t id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = labels_.find(id);
    return found == labels_.end() ? std::to_string(id) : found->second;
}

void HeadlessWindow::DrawBar(int32_t id, int percent, int64_t done, int64_t total) {
    constexpr int kWidth = 24;
    const int filled = percent * kWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '.');
    std::fprintf(stderr, "\r  %-6d [%s] %3d%%  %8.1f KB / %.1f KB  %s", static_cast<int>(id),
                 bar.c_str(), percent, static_cast<double>(done) / 1024,
                 static_cast<double>(total) / 1024, ToTerminal(Label(id)).c_str());
    if (percent >= 100)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

void HeadlessWindow::SendDownloadProgress(int code, const net::DownloadProgress& progress) {
    // Sent: the worker waits here as it would for the window.
    addons::HandleDownloadProgress(list_, code, progress);
    if (json_)
        return;
    const int32_t id = progress.user1;
    int percent = code == addons::kProgressDownloading ? addons::ProgressPercent(progress) : -1;
    if (percent < 0)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto shown = shownPercent_.find(id);
        if (shown != shownPercent_.end() && shown->second == percent)
            return;
        shownPercent_[id] = percent;
    }
    DrawBar(id, percent, progress.doneSize, progress.totalSize);
}

void HeadlessWindow::OnInstallFinished(int32_t id, addons::InstallOutcome outcome,
                                       net::DownloadResult download) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++installs_;
        failures_ = failures_ || outcome != addons::InstallOutcome::kInstalled;
        const auto shown = shownPercent_.find(id);
        if (!json_ && shown != shownPercent_.end() && shown->second < 100)
            std::fputc('\n', stderr);
        shownPercent_.erase(id);
    }
    const char* what = "installed";
    std::string reason;
    switch (outcome) {
        case addons::InstallOutcome::kInstalled:
            break;
        case addons::InstallOutcome::kNotInCatalogue:
            what = "failed", reason = "not in the catalogue";
            break;
        case addons::InstallOutcome::kDownloadFailed:
            what = "failed", reason = net::DownloadResultText(download);
            break;
        case addons::InstallOutcome::kBrokenArchive:
            what = "failed", reason = "the archive is damaged";
            break;
        case addons::InstallOutcome::kExtractFailed:
            what = "failed", reason = "the archive could not be unpacked and put in place";
            break;
        case addons::InstallOutcome::kManagerBusy:
            what = "failed", reason = "another addon manager is working on these directories";
            break;
    }
    if (json_) {
        JsonLine line;
        line.Add("id", id).Add("name", ToTerminal(Label(id))).Add("result", what);
        if (!reason.empty())
            line.Add("reason", reason);
        line.Print();
    } else {
        Print(std::string(what) + " " + std::to_string(id) + " " + ToTerminal(Label(id)) +
              (reason.empty() ? "" : ": " + reason) + "\n");
    }
}

void HeadlessWindow::ShowMessage(int stringId) {
    std::string text = ui::ProgramText(stringId);
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (json_) {
        JsonLine().Add("message", stringId).Add("text", text).Print();
    } else {
        Print(std::string(ui::ProgramText(130)) + ": " + text + "\n");
    }
}

bool HeadlessWindow::RunGamePathDialog() {
    std::fprintf(stderr, "%s: run 'tessel set-game-path PATH' first\n", ui::ProgramText(182));
    return false;
}

void HeadlessWindow::ShowAnotherManagerWorking() {
    std::fprintf(stderr, "tessel: another addon manager is working on these directories\n");
}

bool HeadlessWindow::Interrupted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return interrupted_;
}

void HeadlessWindow::Pump(addons::AddonLibrary& library) {
    for (;;) {
        if (platform::InterruptRequested() && !library.TransfersCancelled()) {
            // The download ends at its next chunk, with what arrived kept in
            // its ".down" file for the next run.
            library.CancelTransfers();
            std::lock_guard<std::mutex> lock(mutex_);
            interrupted_ = true;
        }
        Posted message{};
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (queue_.empty())
                posted_.wait_for(lock, std::chrono::milliseconds(20));
            if (queue_.empty()) {
                lock.unlock();
                if (library.RunningWorkers() != 0)
                    continue;
                lock.lock();
                if (queue_.empty())
                    break;
                continue;
            }
            message = queue_.front();
            queue_.pop_front();
        }
        if (message.message == addons::UM_LIST_STATE) {
            addons::ApplyListState(panel_, message.wParam, message.lParam);
        } else if (message.message == addons::UM_INSTALL_ADDON) {
            addons::RequestInstall(library, message.wParam, message.lParam);
        }
    }
}

bool HeadlessWindow::AllInstalled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !failures_;
}

int HeadlessWindow::InstallsReported() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return installs_;
}

}  // namespace vt::cli
