// The updater's whole run against a loopback server, with the program played
// by a fake: a genuine package replaces the files and starts the new program;
// a tampered, unsigned or unfit one is refused before the program is asked
// to exit; a new program that does not come up is rolled back, the old one
// started again, and the same package is not tried a second time.
#include <gtest/gtest.h>

#include <vector>

#include "archive/zip_builder.h"
#include "net/loopback_server.h"
#include "platform/file_faults.h"
#include "refitter/program_files.h"
#include "refitter/refitter_flow.h"
#include "refitter/release_package.h"
#include "refitter/replace_journal.h"
#include "release_signing.h"

namespace vt::refitter {
namespace {

// Plays the program and records what the updater asked of it.
class FakeProgram : public ProgramControl {
  public:
    explicit FakeProgram(std::string dir) : dir_(std::move(dir)) {}

    bool running = true;
    bool exitsWhenAsked = true;
    WatchResult newProgram = WatchResult::kCameUp;
    std::function<void()> onEnd;  // runs when the program has exited

    std::vector<std::pair<uint32_t, unsigned>> endRequests;
    std::vector<std::string> watchedStarts;  // the executable's bytes at each start
    std::vector<std::string> plainStarts;

    EndResult EndProgram(uint32_t window, unsigned message, int) override {
        endRequests.emplace_back(window, message);
        if (!running)
            return EndResult::kNoWindow;
        if (!exitsWhenAsked)
            return EndResult::kTimedOut;
        running = false;
        if (onEnd)
            onEnd();
        return EndResult::kEnded;
    }
    bool ProgramRunning() override { return running; }
    WatchResult StartAndWatch(const std::string& exe, const std::string& dir, int) override {
        EXPECT_EQ(dir, dir_);
        watchedStarts.push_back(test::ReadTestFile(exe));
        running = newProgram == WatchResult::kCameUp;
        return newProgram;
    }
    bool Start(const std::string& exe, const std::string&) override {
        plainStarts.push_back(test::ReadTestFile(exe));
        running = true;
        return true;
    }

  private:
    std::string dir_;
};

class RecordingView : public RefitterView {
  public:
    std::vector<Stage> stages;
    int64_t lastDone = 0, lastTotal = 0;
    void OnStage(Stage stage) override { stages.push_back(stage); }
    void OnProgress(int64_t done, int64_t total) override {
        lastDone = done;
        lastTotal = total;
    }
};

std::string ReleaseZip(const std::string& version, const std::string& program = "new program") {
    std::vector<test::TestMember> members;
    auto add = [&members](const std::string& name, const std::string& data) {
        test::TestMember member;
        member.name = name;
        member.data = data;
        members.push_back(member);
    };
    add("release.ini", "[Release]\r\nversion=" + version + "\r\n");
    add("VaelTessel.exe", program);
    add("Surgewell.dll", "new module");
    add("Help/guide.txt", "a new file in a new folder");
    return test::BuildZip(members);
}

class RefitterFlowTest : public ::testing::Test {
  protected:
    RefitterFlowTest()
        : server_([this](int, test::ServerConnection& connection) {
              std::string body;
              connection.Send(Serve(connection.ReadRequest(body)));
          }) {}

    void SetUp() override {
        dir_ = program_.path();
        test::WriteInstalledProgram(dir_);
        oldSet_ = test::Snapshot(dir_);
        newSet_ = oldSet_;
        for (const auto& [name, data] : test::NewProgramFiles())
            newSet_[name] = data;
        newSet_["Help"] = "<dir>";
        ASSERT_TRUE(key_.Generate());
        Publish(ReleaseZip("9126"));
    }
    void TearDown() override { platform::ClearFileFaults(); }

    // Serves package as the release, signed with signer (the release key by default).
    void Publish(const std::string& package, const sign::SigningKey* signer = nullptr) {
        test::TempDir scratch;
        test::WriteTestFile(scratch / "p.zip", package);
        ASSERT_TRUE(sign::SignFile(signer ? *signer : key_, scratch / "p.zip", scratch / "p.sig"));
        std::lock_guard<std::mutex> lock(mutex_);
        files_["/upgrade/VaelTessel_9126.zip"] = package;
        files_["/upgrade/VaelTessel_9126.zip.sig"] = test::ReadTestFile(scratch / "p.sig");
    }

    // The whole answer to a request with this head.
    std::string Serve(const std::string& head) {
        const size_t space = head.find(' ');
        const std::string path = head.substr(space + 1, head.find(' ', space + 1) - space - 1);
        std::lock_guard<std::mutex> lock(mutex_);
        const auto file = files_.find(path);
        if (file == files_.end())
            return test::Answer(404, "not here");
        return test::Answer(200, file->second);
    }

    RefitterJob Job(const std::string& version = "9126") {
        RefitterJob job;
        job.programDir = dir_;
        job.start.line = {"__VAEL_UPGRADE_FILEMAP_KEYNAME__", "VaelTessel.exe"};
        job.start.offer.hostWindow = 0x1234;
        job.start.offer.exitMessage = 3038;
        job.start.offer.version = StrictVersion(version);
        job.start.offer.versionText = version;
        job.start.offer.downloadUrl = server_.Url("/upgrade/VaelTessel_9126.zip");
        job.start.offer.moduleDir = dir_;
        job.releaseKey = key_.PublicKey();
        job.limits.downloadTimeoutMs = 5000;
        return job;
    }

    Outcome Run(FakeProgram& program, const RefitterJob& job) {
        return RunUpdate(job, program, view_, cancel_);
    }
    Outcome Run(FakeProgram& program) { return Run(program, Job()); }

    bool WorkLeft() const {
        return platform::PathExists(WorkDir(dir_) + "journal.txt") ||
               platform::PathExists(WorkDir(dir_) + "incoming") ||
               platform::PathExists(WorkDir(dir_) + "stage") ||
               platform::PathExists(WorkDir(dir_) + "backup") ||
               platform::PathExists(WorkDir(dir_) + "release_9126.zip");
    }

    test::TempDir program_;
    std::string dir_;
    std::map<std::string, std::string> oldSet_, newSet_;
    sign::SigningKey key_;
    std::mutex mutex_;
    std::map<std::string, std::string> files_;
    RecordingView view_;
    std::atomic<bool> cancel_{false};
    test::LoopbackServer server_;  // last: stops before what it serves goes away
};

TEST_F(RefitterFlowTest, AGenuinePackageReplacesTheProgramAndStartsIt) {
    FakeProgram program(dir_);
    const Outcome outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kNone);
    EXPECT_TRUE(outcome.tookOver);
    EXPECT_FALSE(outcome.rolledBack);
    ASSERT_EQ(program.endRequests.size(), 1u);
    EXPECT_EQ(program.endRequests[0], std::make_pair(uint32_t{0x1234}, 3038u));
    EXPECT_EQ(program.watchedStarts, std::vector<std::string>{"new program"});
    EXPECT_TRUE(program.plainStarts.empty());
    EXPECT_EQ(test::Snapshot(dir_), newSet_);  // the manifest is not installed
    EXPECT_FALSE(platform::PathExists(WorkDir(dir_)));
    EXPECT_EQ(view_.stages,
              (std::vector<Stage>{Stage::kDownloading, Stage::kVerifying, Stage::kClosingProgram,
                                  Stage::kReplacing, Stage::kStartingProgram, Stage::kDone}));
    EXPECT_EQ(view_.lastTotal, static_cast<int64_t>(ReleaseZip("9126").size()));
    EXPECT_EQ(view_.lastDone, view_.lastTotal);
}

TEST_F(RefitterFlowTest, ATamperedPackageIsRefusedWhileTheProgramRunsOn) {
    std::string tampered = ReleaseZip("9126");
    const std::string signature = files_["/upgrade/VaelTessel_9126.zip.sig"];
    tampered[tampered.size() / 2] ^= 0x01;
    files_["/upgrade/VaelTessel_9126.zip"] = tampered;
    FakeProgram program(dir_);
    const Outcome outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kSignatureRefused);
    EXPECT_EQ(outcome.detail, static_cast<int>(PackageVerdict::kBadSignature));
    EXPECT_TRUE(program.endRequests.empty());  // never asked to exit
    EXPECT_TRUE(program.plainStarts.empty());  // it still runs: nothing to start
    EXPECT_EQ(test::Snapshot(dir_), oldSet_);
    EXPECT_FALSE(WorkLeft());
    EXPECT_FALSE(platform::PathExists(WorkDir(dir_) + "release_9126.zip.sig"));
}

TEST_F(RefitterFlowTest, AnotherKeysOrAnUnsignedPackageIsRefused) {
    sign::SigningKey stranger;
    ASSERT_TRUE(stranger.Generate());
    Publish(ReleaseZip("9126"), &stranger);
    FakeProgram program(dir_);
    Outcome outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kSignatureRefused);
    EXPECT_EQ(outcome.detail, static_cast<int>(PackageVerdict::kOtherKey));

    files_.erase("/upgrade/VaelTessel_9126.zip.sig");
    outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kSignatureMissing);
    EXPECT_TRUE(program.endRequests.empty());
    EXPECT_EQ(test::Snapshot(dir_), oldSet_);

    // The program had been closed by the user meanwhile: it is started again.
    program.running = false;
    outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kSignatureMissing);
    EXPECT_TRUE(outcome.oldProgramStarted);
    EXPECT_EQ(program.plainStarts, std::vector<std::string>{"old program"});
}

TEST_F(RefitterFlowTest, AFailedDownloadChangesNothing) {
    files_.clear();
    FakeProgram program(dir_);
    const Outcome outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kDownloadFailed);
    EXPECT_TRUE(program.endRequests.empty());
    EXPECT_EQ(test::Snapshot(dir_), oldSet_);

    cancel_ = true;
    Publish(ReleaseZip("9126"));
    EXPECT_EQ(Run(program).failure, Failure::kCancelled);
    EXPECT_TRUE(program.endRequests.empty());
}

TEST_F(RefitterFlowTest, AGenuineButUnfitPackageIsRefused) {
    Publish(ReleaseZip("9127"));  // signed, but not the version offered
    FakeProgram program(dir_);
    Outcome outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kPackageUnfit);
    EXPECT_EQ(outcome.detail, static_cast<int>(ContentProblem::kWrongVersion));

    // An old genuine package offered again is a downgrade.
    Publish(ReleaseZip("9126"));
    test::WriteTestFile(dir_ + "ver.ini", "[u]\r\nv=9126\r\n");
    outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kPackageUnfit);
    EXPECT_EQ(outcome.detail, static_cast<int>(ContentProblem::kNotNewer));

    // A signed package that is no zip at all.
    test::WriteTestFile(dir_ + "ver.ini", "[u]\r\nv=9125\r\n");
    Publish("definitely not a zip archive");
    outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kPackageDamaged);
    EXPECT_TRUE(program.endRequests.empty());
    EXPECT_FALSE(WorkLeft());
}

TEST_F(RefitterFlowTest, AProgramThatDoesNotExitKeepsItsFiles) {
    FakeProgram program(dir_);
    program.exitsWhenAsked = false;
    const Outcome outcome = Run(program);
    EXPECT_EQ(outcome.failure, Failure::kProgramStillRunning);
    EXPECT_EQ(program.endRequests.size(), 1u);
    EXPECT_TRUE(program.plainStarts.empty());
    EXPECT_EQ(test::Snapshot(dir_), oldSet_);
    EXPECT_FALSE(platform::PathExists(WorkDir(dir_) + "incoming"));
}

TEST_F(RefitterFlowTest, ANewProgramThatDoesNotComeUpIsRolledBackAndNotTriedAgain) {
    for (auto result :
         {ProgramControl::WatchResult::kExited, ProgramControl::WatchResult::kTimedOut}) {
        SCOPED_TRACE(static_cast<int>(result));
        platform::RemoveTree(WorkDir(dir_));
        FakeProgram program(dir_);
        program.newProgram = result;
        Outcome outcome = Run(program);
        EXPECT_EQ(outcome.failure, Failure::kNewProgramFailed);
        EXPECT_EQ(outcome.detail, static_cast<int>(result));
        EXPECT_TRUE(outcome.rolledBack);
        EXPECT_TRUE(outcome.oldProgramStarted);
        EXPECT_EQ(program.watchedStarts, std::vector<std::string>{"new program"});
        EXPECT_EQ(program.plainStarts, std::vector<std::string>{"old program"});
        EXPECT_EQ(test::Snapshot(dir_), oldSet_);

        // The old program's next check offers the same package: it is
        // refused without ending the program again.
        FakeProgram again(dir_);
        outcome = Run(again);
        EXPECT_EQ(outcome.failure, Failure::kFailedBefore);
        EXPECT_TRUE(again.endRequests.empty());
        EXPECT_EQ(test::Snapshot(dir_), oldSet_);
    }
    // A corrected package of the same version is another package: installed.
    Publish(ReleaseZip("9126", "fixed program"));
    FakeProgram fixed(dir_);
    EXPECT_EQ(Run(fixed).failure, Failure::kNone);
    EXPECT_EQ(test::ReadTestFile(dir_ + "VaelTessel.exe"), "fixed program");
}

TEST_F(RefitterFlowTest, AFailureWhileReplacingRollsBackAndStartsTheOldProgram) {
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        platform::RemoveTree(WorkDir(dir_));
        FakeProgram program(dir_);
        // The disk fails at the n-th rename after the program has exited.
        program.onEnd = [n] { platform::FailFileOperation(platform::FileOp::kRename, n); };
        const Outcome outcome = Run(program);
        platform::ClearFileFaults();
        if (outcome.failure == Failure::kNone) {
            EXPECT_EQ(test::Snapshot(dir_), newSet_);
            break;  // past the last rename of the replacement
        }
        EXPECT_EQ(outcome.failure, Failure::kReplaceFailed);
        EXPECT_TRUE(outcome.oldProgramStarted);
        EXPECT_EQ(program.plainStarts, std::vector<std::string>{"old program"});
        EXPECT_EQ(test::Snapshot(dir_), oldSet_);
        test::WriteInstalledProgram(dir_);  // the next round starts from a clean install
    }
}

TEST_F(RefitterFlowTest, AJournalLeftByACrashedRunIsFinishedFirst) {
    // An earlier run died with its files in place, before the new program
    // was accepted.
    ReplaceJournal earlier(dir_);
    ASSERT_TRUE(platform::MakeDirectory(WorkDir(dir_)));
    ASSERT_TRUE(platform::MakeDirectory(earlier.StageDir()));
    test::WriteTestFile(earlier.StageDir() + "VaelTessel.exe", "an earlier attempt");
    test::WriteTestFile(earlier.StageDir() + "Stale.dll", "stale");
    ASSERT_TRUE(earlier.Begin({"VaelTessel.exe", "Stale.dll"}));
    ASSERT_TRUE(earlier.Apply());
    FakeProgram program(dir_);
    EXPECT_EQ(Run(program).failure, Failure::kNone);
    EXPECT_EQ(test::Snapshot(dir_), newSet_);
    EXPECT_FALSE(platform::PathExists(dir_ + "Stale.dll"));
}

TEST(SignatureUrlTest, TheSignatureLiesBesideThePackage) {
    EXPECT_EQ(SignatureUrl("http://h/u/p.zip"), "http://h/u/p.zip.sig");
    EXPECT_EQ(SignatureUrl("http://h/get?file=p.zip"), "http://h/get.sig?file=p.zip");
    EXPECT_EQ(SignatureUrl("http://h/p.zip#x"), "http://h/p.zip.sig#x");
}

}  // namespace
}  // namespace vt::refitter
