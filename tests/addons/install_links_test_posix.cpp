// A fresh install over a folder that is a link writes nothing through it.
#include <unistd.h>

#include "addon_fixture.h"
#include "addons/addon_paths.h"
#include "addons/archive_install.h"
#include "addons/local_scan.h"
#include "platform/native_path_posix.h"
#include "settings/settings.h"

namespace vt::addons {
namespace {

class InstallLinksTest : public test::AddonFixture {};

TEST_F(InstallLinksTest, ALinkedFolderIsReplacedAndItsTargetUntouched) {
    settings::LoadSettings(app_);
    test::TempDir outside;
    test::WriteTestFile(outside / "keep.txt", "mine");
    ASSERT_EQ(::symlink(platform::ToNativePath(outside.path()).c_str(),
                        platform::ToNativePath(addonDir_ + "\\Linked").c_str()),
              0);
    SetCatalogue({{5, "Five", "Other", "1"}});
    ASSERT_TRUE(ScanLocalAddons(*library_));
    platform::MakeDirectoryPath(program_ / "Download");
    test::WriteTestFile(ArchivePath(app_.ProgramDir(), 5),
                        test::BuildZip({{"Linked/", ""}, {"Linked/x.lua", "new"}}));
    EXPECT_EQ(InstallArchive(*library_, 5, ArchivePath(app_.ProgramDir(), 5), false),
              InstallOutcome::kInstalled);
    EXPECT_FALSE(platform::IsLink(addonDir_ + "\\Linked"));
    EXPECT_EQ(AddonFile("Linked\\x.lua"), "new");
    EXPECT_FALSE(platform::PathExists(outside / "x.lua"));
    EXPECT_EQ(test::ReadTestFile(outside / "keep.txt"), "mine");
}

}  // namespace
}  // namespace vt::addons
