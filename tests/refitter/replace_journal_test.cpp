// The replace journal: the files replaced in order, and after a crash at any
// file operation (of the replacement, of its undoing, or of clearing up), a
// replay leaves exactly the old set or exactly the new one, with the user's
// own files untouched.
#include "refitter/replace_journal.h"

#include <gtest/gtest.h>

#include "platform/file_faults.h"
#include "refitter/program_files.h"

namespace vt::refitter {
namespace {

using Files = std::map<std::string, std::string>;

class ReplaceJournalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = program_.path();
        test::WriteInstalledProgram(dir_);
        oldSet_ = test::Snapshot(dir_);
        Stage();
        newSet_ = oldSet_;
        for (const auto& [name, data] : test::NewProgramFiles())
            newSet_[name] = data;
        newSet_["Help"] = "<dir>";
    }
    void TearDown() override { platform::ClearFileFaults(); }

    // The package's files laid out in the stage, as the updater leaves them.
    void Stage() {
        ReplaceJournal journal(dir_);
        ASSERT_TRUE(platform::MakeDirectory(WorkDir(dir_)));
        ASSERT_TRUE(platform::MakeDirectory(journal.StageDir()));
        ASSERT_TRUE(platform::MakeDirectory(journal.StageDir() + "Help"));
        for (const auto& [name, data] : test::NewProgramFiles())
            test::WriteTestFile(journal.StageDir() + name, data);
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : test::NewProgramFiles())
            names.push_back(entry.first);
        return names;
    }

    // The whole replacement and its acceptance, as far as the disk lets it go.
    void ReplaceAndCommit() {
        ReplaceJournal journal(dir_);
        if (journal.Begin(Names()) && journal.Apply())
            journal.Commit();
    }

    // Nothing of the updater's work may be left once a journal is finished.
    void ExpectWorkCleared() {
        EXPECT_FALSE(platform::PathExists(WorkDir(dir_) + "journal.txt"));
        EXPECT_FALSE(platform::PathExists(WorkDir(dir_) + "backup"));
        EXPECT_FALSE(platform::PathExists(WorkDir(dir_) + "stage"));
    }

    test::TempDir program_;
    std::string dir_;
    Files oldSet_, newSet_;
};

TEST_F(ReplaceJournalTest, ReplacingAndCommittingLeavesTheNewSet) {
    ReplaceJournal journal(dir_);
    ASSERT_TRUE(journal.Begin(Names()));
    EXPECT_EQ(journal.Pending(), JournalPhase::kReplacing);
    ASSERT_EQ(journal.Files().size(), 3u);
    EXPECT_TRUE(journal.Files()[0].hadOld || journal.Files()[0].name == "Help\\guide.txt");
    EXPECT_EQ(test::Snapshot(dir_), oldSet_);  // planning changes nothing

    ASSERT_TRUE(journal.Apply());
    EXPECT_EQ(journal.Pending(), JournalPhase::kInstalled);
    EXPECT_EQ(test::Snapshot(dir_), newSet_);
    // The old files wait in the backup until the new program is accepted.
    EXPECT_EQ(test::ReadTestFile(journal.BackupDir() + "VaelTessel.exe"), "old program");

    ASSERT_TRUE(journal.Commit());
    EXPECT_EQ(journal.Pending(), JournalPhase::kNone);
    EXPECT_EQ(test::Snapshot(dir_), newSet_);
    ExpectWorkCleared();
}

TEST_F(ReplaceJournalTest, RollingBackAfterInstallingLeavesTheOldSet) {
    platform::SetAttributes(dir_ + "Surgewell.dll", platform::kAttrReadOnly);
    ReplaceJournal journal(dir_);
    ASSERT_TRUE(journal.Begin(Names()));
    ASSERT_TRUE(journal.Apply());  // the read-only file is replaced all the same
    EXPECT_EQ(test::ReadTestFile(dir_ + "Surgewell.dll"), "new module");
    ASSERT_TRUE(journal.RollBack());
    EXPECT_EQ(test::Snapshot(dir_), oldSet_);  // the new folder went with its file
    ExpectWorkCleared();
}

TEST_F(ReplaceJournalTest, AFolderTheUserFilledIsKeptOnRollBack) {
    ReplaceJournal journal(dir_);
    ASSERT_TRUE(journal.Begin(Names()));
    ASSERT_TRUE(journal.Apply());
    test::WriteTestFile(dir_ + "Help\\my notes.txt", "mine");
    ASSERT_TRUE(journal.RollBack());
    EXPECT_EQ(test::ReadTestFile(dir_ + "Help\\my notes.txt"), "mine");
    EXPECT_FALSE(platform::PathExists(dir_ + "Help\\guide.txt"));
}

TEST_F(ReplaceJournalTest, PlansThatCouldReachOutsideOrCollideAreRefused) {
    ReplaceJournal journal(dir_);
    for (const char* bad : {"..\\evil.exe", "\\abs.exe", "C:\\x.exe", "a\\..\\..\\b", "a\\\\b", "",
                            "a\\", ".", "sub\\.\\x"})
        EXPECT_FALSE(journal.Begin({bad})) << bad;
    EXPECT_FALSE(journal.Begin({}));
    // Two names for one Windows file.
    EXPECT_FALSE(journal.Begin({"VaelTessel.exe", "vaeltessel.EXE"}));
    // A file where a folder stands, or a folder where a file stands.
    EXPECT_FALSE(journal.Begin({"ImageRes"}));
    EXPECT_FALSE(journal.Begin({"config\\x.txt"}));
    EXPECT_EQ(journal.Pending(), JournalPhase::kNone);
    EXPECT_EQ(test::Snapshot(dir_), oldSet_);

    // A journal left by an earlier run is never overwritten by a new plan.
    ASSERT_TRUE(journal.Begin(Names()));
    ReplaceJournal second(dir_);
    EXPECT_FALSE(second.Begin(Names()));
}

TEST_F(ReplaceJournalTest, ADamagedJournalIsLeftAloneAndReported) {
    for (const char* text : {"garbage", "VaelTessel replace journal 1\nphase=replacing\n",
                             "VaelTessel replace journal 1\nphase=maybe\nfile=1:VaelTessel.exe\n",
                             "VaelTessel replace journal 1\nphase=replacing\nfile=1:..\\x\n",
                             "VaelTessel replace journal 1\nphase=replacing\nfile=2:x\n",
                             "VaelTessel replace journal 1\nphase=replacing\nfile=1:x\nextra\n"}) {
        test::WriteTestFile(WorkDir(dir_) + "journal.txt", text);
        ReplaceJournal journal(dir_);
        EXPECT_EQ(journal.Pending(), JournalPhase::kUnreadable) << text;
        EXPECT_EQ(journal.Recover(), RecoverResult::kUnreadable) << text;
        EXPECT_EQ(test::ReadTestFile(WorkDir(dir_) + "journal.txt"), text);
        EXPECT_EQ(test::Snapshot(dir_), oldSet_);
    }
    platform::RemoveFile(WorkDir(dir_) + "journal.txt");
    ReplaceJournal journal(dir_);
    EXPECT_EQ(journal.Recover(), RecoverResult::kNothing);
}

// Dies at each file operation of the replacement and its acceptance in turn
// (every kind, every count), then replays: the old set when the new one had
// not been accepted, the new set once it had.
TEST_F(ReplaceJournalTest, ACrashAtAnyStepReplaysToOneWholeSet) {
    ReplaceAndCommit();
    ASSERT_EQ(test::Snapshot(dir_), newSet_);
    using platform::FileOp;
    std::map<FileOp, int> counts;
    for (FileOp op : {FileOp::kWrite, FileOp::kCreate, FileOp::kRename, FileOp::kDelete})
        counts[op] = platform::FileOperationCount(op);
    ASSERT_GT(counts[FileOp::kRename], 5);

    int crashes = 0;
    for (const auto& [op, count] : counts) {
        for (int n = 1; n <= count; ++n) {
            SCOPED_TRACE(testing::Message() << "op " << static_cast<int>(op) << " #" << n);
            test::TempDir fresh;
            dir_ = fresh.path();
            test::WriteInstalledProgram(dir_);
            Stage();
            platform::ClearFileFaults();
            platform::FailFileOperation(op, n, true);
            ReplaceAndCommit();
            platform::ClearFileFaults();

            const Files beforeReplay = test::Snapshot(dir_);
            ReplaceJournal replay(dir_);
            const JournalPhase phase = replay.Pending();
            const RecoverResult result = replay.Recover();
            const Files after = test::Snapshot(dir_);
            if (phase == JournalPhase::kCommitted ||
                (phase == JournalPhase::kNone && beforeReplay == newSet_)) {
                EXPECT_EQ(after, newSet_);
            } else {
                EXPECT_EQ(after, oldSet_);
                if (phase != JournalPhase::kNone) {
                    EXPECT_EQ(result, RecoverResult::kRolledBack);
                }
            }
            if (phase != JournalPhase::kNone)
                ExpectWorkCleared();
            ++crashes;
        }
    }
    EXPECT_GT(crashes, 15);
}

// A crash while undoing (or while clearing up after accepting) is replayed
// too: the second replay finishes what the first began.
TEST_F(ReplaceJournalTest, ACrashDuringTheReplayIsReplayedAgain) {
    using platform::FileOp;
    for (bool accept : {false, true}) {
        for (FileOp op : {FileOp::kRename, FileOp::kDelete}) {
            for (int n = 1; n <= 6; ++n) {
                SCOPED_TRACE(testing::Message()
                             << accept << " op " << static_cast<int>(op) << " #" << n);
                test::TempDir fresh;
                dir_ = fresh.path();
                test::WriteInstalledProgram(dir_);
                Stage();
                ReplaceJournal journal(dir_);
                ASSERT_TRUE(journal.Begin(Names()));
                ASSERT_TRUE(journal.Apply());
                platform::ClearFileFaults();
                platform::FailFileOperation(op, n, true);
                if (accept)
                    journal.Commit();
                else
                    journal.RollBack();
                platform::ClearFileFaults();

                ReplaceJournal replay(dir_);
                const RecoverResult result = replay.Recover();
                EXPECT_NE(result, RecoverResult::kFailed);
                EXPECT_EQ(test::Snapshot(dir_),
                          accept && result != RecoverResult::kRolledBack ? newSet_ : oldSet_);
                ExpectWorkCleared();
            }
        }
    }
}

TEST_F(ReplaceJournalTest, CopiesAreWholeOrAbsent) {
    test::WriteTestFile(dir_ + "big.bin", std::string(200 * 1024, 'b'));
    EXPECT_TRUE(CopyFileWhole(dir_ + "big.bin", dir_ + "copy.bin"));
    EXPECT_EQ(test::ReadTestFile(dir_ + "copy.bin"), std::string(200 * 1024, 'b'));
    platform::FailFileOperation(platform::FileOp::kWrite, 2);
    EXPECT_FALSE(CopyFileWhole(dir_ + "big.bin", dir_ + "copy2.bin"));
    EXPECT_FALSE(platform::PathExists(dir_ + "copy2.bin"));
    EXPECT_FALSE(platform::PathExists(dir_ + "copy2.bin.part"));
    EXPECT_FALSE(CopyFileWhole(dir_ + "missing.bin", dir_ + "copy3.bin"));
}

}  // namespace
}  // namespace vt::refitter
