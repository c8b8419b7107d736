// The updater's whole run, portable: the record read and checked, the
// package downloaded and verified while the program still runs, the program
// asked to exit, its files replaced under the journal, the new program
// started and watched, and every failure ending with the old files in place
// and the old program running.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/signature.h"
#include "refitter/offer_block.h"

namespace vt::refitter {

// What the updater needs of the system besides files and the network. The
// Windows program implements it with window messages and processes; the
// tests play the program.
class ProgramControl {
  public:
    virtual ~ProgramControl() = default;

    enum class EndResult {
        kEnded,     // the window's process ended after the message
        kNoWindow,  // there is no such window (the program is not running)
        kTimedOut,  // the process still runs after timeoutMs
    };
    // Posts message to window and waits up to timeoutMs for the process that
    // owns the window to end.
    virtual EndResult EndProgram(uint32_t window, unsigned message, int timeoutMs) = 0;

    // True while a copy of the program runs (its single-instance record exists).
    virtual bool ProgramRunning() = 0;

    enum class WatchResult {
        kCameUp,      // it runs and has made its single-instance record
        kExited,      // it ended before that
        kTimedOut,    // no record after timeoutMs; the process has been ended
        kNotStarted,  // it could not be started
    };
    // Starts exePath in dir and watches it come up.
    virtual WatchResult StartAndWatch(const std::string& exePath, const std::string& dir,
                                      int timeoutMs) = 0;

    // Starts exePath in dir and lets it run.
    virtual bool Start(const std::string& exePath, const std::string& dir) = 0;
};

// The steps the window shows.
enum class Stage {
    kDownloading,
    kVerifying,
    kClosingProgram,
    kReplacing,
    kStartingProgram,
    kDone,
};

// Receives the run's progress, on the run's own thread.
class RefitterView {
  public:
    virtual ~RefitterView() = default;
    virtual void OnStage(Stage stage) = 0;
    // Bytes of the package received so far and its size (0 when not known).
    virtual void OnProgress(int64_t done, int64_t total) = 0;
};

// Why a run failed.
enum class Failure {
    kNone,
    kBadCommandLine,       // not "MAPNAME|EXENAME"
    kNoBlock,              // the shared block cannot be opened
    kBadBlock,             // a field of the record failed its check
    kOtherDirectory,       // the record is for a program in another directory
    kDownloadFailed,       // the package could not be downloaded
    kSignatureMissing,     // no signature could be downloaded for it
    kSignatureRefused,     // the signature does not verify with the built-in key
    kPackageDamaged,       // the verified package does not unpack whole
    kPackageUnfit,         // its contents are not an installable newer program
    kFailedBefore,         // this very package failed to start here before
    kProgramStillRunning,  // the program did not exit
    kJournalDamaged,       // an earlier run's journal cannot be read or finished
    kReplaceFailed,        // replacing the files failed (rolled back)
    kNewProgramFailed,     // the new program did not come up (rolled back)
    kCancelled,            // the user stopped the download
};

struct Outcome {
    Failure failure = Failure::kNone;
    // The DownloadResult, PackageVerdict, ContentProblem, BlockProblem or
    // WatchResult behind the failure, as a number; 0 when none applies.
    int detail = 0;
    bool tookOver = false;           // the program was asked to exit and did
    bool rolledBack = false;         // new files were put in place and taken out again
    bool oldProgramStarted = false;  // the old program was started again
};

// Bounds of one run.
struct RefitterLimits {
    int exitWaitMs = 30000;   // for the program to exit after the message
    int startWaitMs = 60000;  // for the new program to come up
    int64_t maxPackageBytes = 256LL * 1024 * 1024;
    int downloadTimeoutMs = 10000;  // each connect, send and receive
};

// A checked start: the command line and the record behind it.
struct RefitterStart {
    LaunchLine line;
    UpdateOffer offer;
};

// Reads the command line and the record it names, and checks that the
// record is for the program in programDir (the updater's own directory,
// trailing separator). detail receives the BlockProblem of kBadBlock.
Failure ReadStart(const std::string& commandLine, const std::string& programDir,
                  RefitterStart& start, int* detail = nullptr);

struct RefitterJob {
    std::string programDir;  // trailing separator
    RefitterStart start;
    platform::P256PublicKey releaseKey{};
    RefitterLimits limits;
};

// Runs the update to its end on the calling thread. cancel stops it while it
// downloads or verifies; once the program has been asked to exit it runs on.
Outcome RunUpdate(const RefitterJob& job, ProgramControl& control, RefitterView& view,
                  const std::atomic<bool>& cancel);

// The signature's address: ".sig" added to the package's path (before any
// query).
std::string SignatureUrl(const std::string& packageUrl);

// The program version the running program wrote ("ver.ini", [u] v); 0 when
// unknown.
int32_t InstalledVersion(const std::string& programDir);

}  // namespace vt::refitter
