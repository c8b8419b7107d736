// POSIX names Windows could not hold, links, and a lock whose holder dies.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/manager_lock.h"
#include "platform/native_path_posix.h"
#include "support/temp_dir.h"

namespace vt::platform {
namespace {

TEST(FileSafetyPosixTest, AQuestionMarkNameNeverAliasesAnUnspellableOne) {
    test::TempDir dir;
    const std::string native = ToNativePath(dir.path());
    ASSERT_EQ(::mkdir((native + "Bad??").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((native + "Bad\xED\x95\x9C\xEA\xB8\x80").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((native + "a\\b").c_str(), 0755), 0);
    const std::vector<std::string> names = ListSubdirectories(dir.path());
    ASSERT_EQ(names.size(), 3u);
    for (const std::string& name : names) {
        EXPECT_TRUE(IsEscapedName(name)) << name;
        EXPECT_EQ(name.find('\\'), std::string::npos);
    }
    const std::string bad = FileNameFromUtf8("Bad??");
    EXPECT_TRUE(RemoveTree(dir / bad));
    EXPECT_EQ(::access((native + "Bad??").c_str(), F_OK), -1);
    EXPECT_EQ(::access((native + "Bad\xED\x95\x9C\xEA\xB8\x80").c_str(), F_OK), 0);
    EXPECT_TRUE(RemoveTree(dir / FileNameFromUtf8("a\\b")));
    EXPECT_EQ(ListSubdirectories(dir.path()).size(), 1u);
}

TEST(FileSafetyPosixTest, LinksAreSeenAndRemovedWithoutBeingFollowed) {
    test::TempDir dir;
    test::TempDir outside;
    test::WriteTestFile(outside / "keep.txt", "keep");
    const std::string native = ToNativePath(dir.path());
    ASSERT_EQ(::symlink(ToNativePath(outside.path()).c_str(), (native + "link").c_str()), 0);
    EXPECT_TRUE(IsLink(dir / "link"));
    EXPECT_TRUE(IsLink(dir / "link\\"));
    EXPECT_FALSE(IsLink(outside / "keep.txt"));
    EXPECT_TRUE(RemoveTree(dir / "link"));
    EXPECT_FALSE(IsLink(dir / "link"));
    EXPECT_EQ(test::ReadTestFile(outside / "keep.txt"), "keep");
}

TEST(FileSafetyPosixTest, TheSystemReleasesTheLockOfAProcessThatDied) {
    test::TempDir dir;
    const std::string path = dir / "manager.lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ManagerLock lock;
        const char state = lock.Acquire(path, 0) == LockResult::kAcquired ? 'y' : 'n';
        (void)!::write(ready[1], &state, 1);
        for (;;)
            ::pause();
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ASSERT_EQ(state, 'y');
    ManagerLock lock;
    EXPECT_EQ(lock.Acquire(path, 0), LockResult::kBusy);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(lock.Acquire(path, 0), LockResult::kAcquired);
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace vt::platform
