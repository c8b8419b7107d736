#include "refitter/refitter_flow.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>
#include <vector>

#include "archive/extract_archive.h"
#include "net/http_download.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/shared_memory.h"
#include "refitter/release_package.h"
#include "refitter/replace_journal.h"

namespace vt::refitter {

namespace {

constexpr size_t kMaxRememberedFailures = 20;

std::string Comparable(std::string dir) {
    std::replace(dir.begin(), dir.end(), '/', '\\');
    if (dir.empty() || dir.back() != '\\')
        dir += '\\';
    std::transform(dir.begin(), dir.end(), dir.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return dir;
}

bool RemoveTreeIfThere(const std::string& dir) {
    return !platform::PathExists(dir) || platform::RemoveTree(dir);
}

// The packages of this machine that came up broken, by SHA-256: offered
// again, they are not installed again (every start of the old program would
// otherwise be ended by the same failing update).
class FailureMemory {
  public:
    explicit FailureMemory(const std::string& workDir) : path_(workDir + "failed.txt") {}
    bool Contains(const std::string& digest) const {
        const std::vector<std::string> lines = Lines();
        return std::find(lines.begin(), lines.end(), digest) != lines.end();
    }
    void Add(const std::string& digest) const {
        std::vector<std::string> lines = Lines();
        lines.push_back(digest);
        if (lines.size() > kMaxRememberedFailures)
            lines.erase(lines.begin(), lines.end() - kMaxRememberedFailures);
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        platform::WriteWholeFile(path_, text);
    }

  private:
    std::vector<std::string> Lines() const {
        std::string text;
        std::vector<std::string> lines;
        if (platform::FileSize(path_) > 64 * 1024 || !platform::ReadWholeFile(path_, text))
            return lines;
        std::istringstream stream(text);
        std::string line;
        while (std::getline(stream, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                lines.push_back(line);
        }
        return lines;
    }

    std::string path_;
};

// One run's state and steps.
class Run {
  public:
    Run(const RefitterJob& job, ProgramControl& control, RefitterView& view,
        const std::atomic<bool>& cancel)
        : job_(job),
          offer_(job.start.offer),
          control_(control),
          view_(view),
          cancel_(cancel),
          work_(WorkDir(job.programDir)),
          package_(work_ + "release_" + offer_.versionText + ".zip"),
          signature_(package_ + ".sig"),
          incoming_(work_ + "incoming\\"),
          journal_(job.programDir) {}

    Outcome Go() {
        if (!platform::IsDirectory(work_) && !platform::MakeDirectory(work_))
            return Fail(Failure::kDownloadFailed, net::kTempOpenFailed);
        ForgetOtherDownloads();

        view_.OnStage(Stage::kDownloading);
        if (Failure failure = Download(); failure != Failure::kNone)
            return Fail(failure, detail_);

        view_.OnStage(Stage::kVerifying);
        platform::Sha256Digest digest{};
        const PackageVerdict verdict =
            VerifyPackage(package_, signature_, job_.releaseKey, &digest);
        if (verdict != PackageVerdict::kGenuine) {
            // Neither file is kept: the next offer downloads both afresh.
            DropDownloads();
            return Fail(Failure::kSignatureRefused, static_cast<int>(verdict));
        }
        digestHex_ = DigestHex(digest);
        FailureMemory memory(work_);
        if (memory.Contains(digestHex_))
            return Fail(Failure::kFailedBefore, 0);
        if (Failure failure = Unpack(); failure != Failure::kNone)
            return Fail(failure, detail_);
        if (cancel_)
            return Fail(Failure::kCancelled, 0);

        view_.OnStage(Stage::kClosingProgram);
        const auto ended =
            control_.EndProgram(offer_.hostWindow, offer_.exitMessage, job_.limits.exitWaitMs);
        if (ended == ProgramControl::EndResult::kTimedOut || control_.ProgramRunning()) {
            RemoveTreeIfThere(incoming_);
            return Fail(Failure::kProgramStillRunning, static_cast<int>(ended));
        }
        outcome_.tookOver = ended == ProgramControl::EndResult::kEnded;

        view_.OnStage(Stage::kReplacing);
        if (Failure failure = Replace(); failure != Failure::kNone)
            return Fail(failure, detail_);

        view_.OnStage(Stage::kStartingProgram);
        const auto watched =
            control_.StartAndWatch(ProgramPath(), job_.programDir, job_.limits.startWaitMs);
        if (watched != ProgramControl::WatchResult::kCameUp) {
            memory.Add(digestHex_);
            outcome_.rolledBack = journal_.RollBack();
            DropDownloads();
            return Fail(Failure::kNewProgramFailed, static_cast<int>(watched));
        }
        // Once accepted, a failure to clear up only leaves a committed
        // journal, which the next run finishes.
        journal_.Commit();
        DropDownloads();
        platform::RemoveEmptyDirectory(work_);
        view_.OnStage(Stage::kDone);
        return outcome_;
    }

  private:
    std::string ProgramPath() const { return job_.programDir + job_.start.line.exeName; }

    // Partial and whole packages of other versions are of no further use.
    void ForgetOtherDownloads() {
        const std::string keep = "release_" + offer_.versionText + ".zip";
        for (const std::string& name : platform::ListFiles(work_)) {
            if (name.rfind("release_", 0) == 0 && name.rfind(keep, 0) != 0)
                platform::RemoveFile(work_ + name);
        }
    }

    void DropDownloads() {
        for (const std::string& path : {package_, package_ + ".down", signature_})
            platform::RemoveFile(path);
    }

    Failure Download() {
        net::HttpDownload package;
        Configure(package);
        package.maxSize = job_.limits.maxPackageBytes;
        package.SetNotify(
            [this](const net::DownloadProgress& progress) {
                view_.OnProgress(progress.doneSize, progress.totalSize);
            },
            0, 0, 0, true);
        detail_ = package.Download(offer_.downloadUrl, package_, false);
        if (detail_ != net::kDownloaded && detail_ != net::kAlreadyCurrent)
            return cancel_ ? Failure::kCancelled : Failure::kDownloadFailed;

        net::HttpDownload signature;
        Configure(signature);
        signature.maxSize = 4096;
        platform::RemoveFile(signature_ + ".down");
        detail_ = signature.Download(SignatureUrl(offer_.downloadUrl), signature_, true);
        if (detail_ != net::kDownloaded && detail_ != net::kAlreadyCurrent) {
            if (cancel_)
                return Failure::kCancelled;
            platform::RemoveFile(signature_);
            return Failure::kSignatureMissing;
        }
        return Failure::kNone;
    }

    void Configure(net::HttpDownload& download) const {
        download.connectTimeout = download.sendTimeout = download.receiveTimeout =
            job_.limits.downloadTimeoutMs;
        download.stop = &cancel_;
        download.chunkPauseMs = 0;
    }

    Failure Unpack() {
        RemoveTreeIfThere(incoming_);
        if (!platform::MakeDirectory(incoming_)) {
            detail_ = 0;
            return Failure::kPackageDamaged;
        }
        archive::ArchiveRules rules;
        std::string finalDir = job_.programDir;
        finalDir.pop_back();
        rules.finalDir = finalDir;
        archive::ArchiveReport report = archive::VerifyZipArchive(package_, rules);
        if (report.Ok())
            report = archive::ExtractArchive(package_, incoming_, rules);
        if (!report.Ok()) {
            RemoveTreeIfThere(incoming_);
            DropDownloads();
            detail_ = report.openResult;
            return Failure::kPackageDamaged;
        }
        const ContentProblem problem =
            CheckUnpackedPackage(incoming_, job_.start.line.exeName, offer_.version,
                                 InstalledVersion(job_.programDir), contents_);
        if (problem != ContentProblem::kContentOk) {
            RemoveTreeIfThere(incoming_);
            DropDownloads();
            detail_ = static_cast<int>(problem);
            return Failure::kPackageUnfit;
        }
        // The manifest is not one of the program's files.
        platform::RemoveFile(incoming_ + kManifestName);
        return Failure::kNone;
    }

    Failure Replace() {
        // An earlier run that died is finished first, so its copies are not
        // mistaken for this run's.
        const RecoverResult recovered = journal_.Recover();
        if (recovered == RecoverResult::kUnreadable || recovered == RecoverResult::kFailed) {
            RemoveTreeIfThere(incoming_);
            detail_ = static_cast<int>(recovered);
            return Failure::kJournalDamaged;
        }
        detail_ = 0;
        if (!RemoveTreeIfThere(journal_.StageDir()) ||
            !platform::RenamePath(incoming_, journal_.StageDir())) {
            RemoveTreeIfThere(incoming_);
            return Failure::kReplaceFailed;
        }
        if (!journal_.Begin(contents_.files)) {
            RemoveTreeIfThere(journal_.StageDir());
            return Failure::kReplaceFailed;
        }
        if (!journal_.Apply()) {
            outcome_.rolledBack = journal_.RollBack();
            return Failure::kReplaceFailed;
        }
        return Failure::kNone;
    }

    // Every failure ends with the program running: the old one is started
    // again unless a copy already runs (the run failed before taking over).
    Outcome Fail(Failure failure, int detail) {
        outcome_.failure = failure;
        outcome_.detail = detail;
        if (!control_.ProgramRunning() && platform::PathExists(ProgramPath()))
            outcome_.oldProgramStarted = control_.Start(ProgramPath(), job_.programDir);
        return outcome_;
    }

    const RefitterJob& job_;
    const UpdateOffer& offer_;
    ProgramControl& control_;
    RefitterView& view_;
    const std::atomic<bool>& cancel_;
    const std::string work_;
    const std::string package_;
    const std::string signature_;
    const std::string incoming_;
    ReplaceJournal journal_;
    PackageContents contents_;
    std::string digestHex_;
    int detail_ = 0;
    Outcome outcome_;
};

}  // namespace

std::string SignatureUrl(const std::string& packageUrl) {
    const size_t query = packageUrl.find_first_of("?#");
    if (query == std::string::npos)
        return packageUrl + ".sig";
    return packageUrl.substr(0, query) + ".sig" + packageUrl.substr(query);
}

int32_t InstalledVersion(const std::string& programDir) {
    return StrictVersion(platform::ReadProfileString(programDir + "ver.ini", "u", "v", "", 32));
}

Failure ReadStart(const std::string& commandLine, const std::string& programDir,
                  RefitterStart& start, int* detail) {
    RefitterStart read;
    if (!ParseLaunchLine(commandLine, read.line))
        return Failure::kBadCommandLine;
    upgrade::UpgradeInfoBlock bytes{};
    {
        platform::SharedMemory block;
        if (block.OpenExisting(read.line.mapName, upgrade::kUpgradeInfoBlockSize) ==
            platform::SharedMemory::Result::kFailed)
            return Failure::kNoBlock;
        std::memcpy(bytes.data(), block.data(), bytes.size());
    }
    const BlockProblem problem = ReadOfferBlock(bytes.data(), bytes.size(), read.offer);
    if (problem != BlockProblem::kBlockOk) {
        if (detail)
            *detail = static_cast<int>(problem);
        return Failure::kBadBlock;
    }
    // The updater only ever replaces the files beside itself.
    if (Comparable(read.offer.moduleDir) != Comparable(programDir))
        return Failure::kOtherDirectory;
    start = std::move(read);
    return Failure::kNone;
}

Outcome RunUpdate(const RefitterJob& job, ProgramControl& control, RefitterView& view,
                  const std::atomic<bool>& cancel) {
    return Run(job, control, view, cancel).Go();
}

}  // namespace vt::refitter
