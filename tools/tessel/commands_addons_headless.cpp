// The headless main window of the addon commands (see addons_headless.h).
#include "addons/install_pipeline.h"
#include "addons_headless.h"
#include "cli.h"
#include "net/http_download.h"
#include "platform/system.h"
#include "terminal_text.h"

namespace vt::cli {

namespace {

// Why a download failed, by its result.
std::string DownloadReason(net::DownloadResult result) {
    static const char* const kReasons[] = {"已下载",
                                           "已是最新",
                                           "下载已取消",
                                           "下载地址为空",
                                           "下载地址无法解析",
                                           "本地路径为空",
                                           "服务器的回答无法使用",
                                           "无法连接服务器",
                                           "重试次数已用完",
                                           "不支持的重试方式",
                                           "内部错误",
                                           "服务器回答的内容为空",
                                           "无法打开临时文件",
                                           "无法定位临时文件",
                                           "文件超过大小上限",
                                           "下载太慢",
                                           "无法写临时文件（磁盘满了？）",
                                           "下载好的文件无法改名"};
    const int number = result;
    if (number >= 0 && number < static_cast<int>(sizeof kReasons / sizeof kReasons[0]))
        return kReasons[number];
    return "下载失败（" + std::to_string(number) + "）";
}

}  // namespace

std::string DownloadFailureText(net::DownloadResult result, int httpStatus) {
    if (httpStatus >= 300)
        return "服务器回答 HTTP " + std::to_string(httpStatus);
    return DownloadReason(result);
}

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
    // One line rewritten in place; a column is left free so that no terminal
    // wraps it.
    const std::string line =
        ProgressLine(ToTerminal(Label(id)), percent, done, total, barColumns_ - 1);
    PrintError("\r" + line + std::string(percent >= 100 ? "\n" : ""));
}

void HeadlessWindow::SendDownloadProgress(int code, const net::DownloadProgress& progress) {
    // Sent: the worker waits here as it would for the window.
    addons::HandleDownloadProgress(list_, code, progress);
    if (json_)
        return;
    const int32_t id = progress.user1;
    const int percent =
        code == addons::kProgressDownloading ? addons::ProgressPercent(progress) : -1;
    if (percent < 0)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (barColumns_ < 0)
            barColumns_ = ProgressColumns();
        if (barColumns_ == 0)
            return;
        const auto shown = shownPercent_.find(id);
        if (shown != shownPercent_.end() && shown->second == percent)
            return;
        shownPercent_[id] = percent;
    }
    DrawBar(id, percent, progress.doneSize, progress.totalSize);
}

void HeadlessWindow::OnDownloadAnswered(int32_t id, int httpStatus) {
    std::lock_guard<std::mutex> lock(mutex_);
    answeredStatus_[id] = httpStatus;
}

std::string HeadlessWindow::FailureReason(int32_t id, addons::InstallOutcome outcome,
                                          net::DownloadResult download) const {
    switch (outcome) {
        case addons::InstallOutcome::kInstalled:
            break;
        case addons::InstallOutcome::kNotInCatalogue:
            return "插件目录里没有这个插件";
        case addons::InstallOutcome::kDownloadFailed: {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto answered = answeredStatus_.find(id);
            return "下载失败：" + DownloadFailureText(download, answered == answeredStatus_.end()
                                                                    ? 0
                                                                    : answered->second);
        }
        case addons::InstallOutcome::kBrokenArchive:
            return "压缩包已损坏";
        case addons::InstallOutcome::kExtractFailed:
            return "压缩包无法解开或放到插件目录";
        case addons::InstallOutcome::kManagerBusy:
            return ProgramText(196);
    }
    return "";
}

void HeadlessWindow::OnInstallFinished(int32_t id, addons::InstallOutcome outcome,
                                       net::DownloadResult download) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++installs_;
        failures_ = failures_ || outcome != addons::InstallOutcome::kInstalled;
        const auto shown = shownPercent_.find(id);
        if (shown != shownPercent_.end() && shown->second < 100)
            PrintError("\n");
        shownPercent_.erase(id);
    }
    const std::string name = ToTerminal(Label(id));
    if (outcome == addons::InstallOutcome::kInstalled) {
        if (json_)
            JsonLine().Add("id", id).Add("name", name).Add("result", "installed").Print();
        else
            Print("已安装 " + std::to_string(id) + " " + name + "\n");
        return;
    }
    const std::string reason = FailureReason(id, outcome, download);
    FailWith(std::to_string(id) + " " + name + " 没有装好：" + reason, "install-failed",
             JsonLine().Add("id", id).Add("name", name).Fields());
}

void HeadlessWindow::ShowMessage(int stringId) {
    // The commands say what the message means in their own words.
    std::lock_guard<std::mutex> lock(mutex_);
    lastMessage_ = stringId;
}

int HeadlessWindow::LastMessage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastMessage_;
}

bool HeadlessWindow::RunGamePathDialog() {
    // The commands check the game path before they ask for anything.
    return false;
}

void HeadlessWindow::ShowAnotherManagerWorking() {
    Note(ProgramText(196), "manager-busy");
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
