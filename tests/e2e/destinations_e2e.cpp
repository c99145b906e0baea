// Destinations that are not a full local path: a network path ends up as
// the one directory the user meant, holding every file.
#include "tests/e2e/install_e2e_support.h"

namespace {

using namespace install_e2e;

// \\ORLOSRV\SHARE is, for Wine, the directory that the prefix's
// dosdevices\unc\orlosrv\share links to: here kDestRoot\share.
class NetworkDestination : public InstallRun {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(InstallRun::SetUp());
    share_ = Under("share");
    ASSERT_TRUE(CreateDirectories(share_));
    // Wine names the C: drive by its link in dosdevices: ".../dosdevices/c:/".
    std::string drive = install_test::UnixPathOf("C:\\");
    ASSERT_GT(drive.size(), 3u) << "no Unix path for C:";
    servers_ = drive.substr(0, drive.size() - 3) + "unc";
    ASSERT_TRUE(install_test::StartUnixProgram(
        "/bin/sh -c \"mkdir -p " + servers_ + "/orlosrv && ln -sfn " +
        install_test::UnixPathOf(share_) + " " + servers_ + "/orlosrv/share\""));
    ASSERT_TRUE(install_test::WaitUntil([] { return DirectoryExists(kShare); }))
        << kShare << " does not show " << share_;
  }
  void TearDown() override {
    if (!servers_.empty() && install_test::StartUnixProgram("/bin/rm -r " + servers_ + "/orlosrv"))
      install_test::WaitUntil([] { return !DirectoryExists(kShare); });
    RemoveTree(kOnCurrentDrive);
    InstallRun::TearDown();
  }

  static constexpr const char* kShare = "\\\\ORLOSRV\\SHARE";
  // Where the share's server level would land if its leading \\ were lost.
  static constexpr const char* kOnCurrentDrive = "C:\\ORLOSRV";
  std::string share_;
  std::string servers_;
};

TEST_F(NetworkDestination, GetsTheFilesInTheShareWithMissingLevelsMade) {
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(std::string(kShare) + "\\new\\ORLO\\"));
  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());
  ExpectInstalled(share_ + "\\new\\ORLO",
                  std::vector<std::string>(std::begin(kProductFiles), std::end(kProductFiles)));
  EXPECT_FALSE(DirectoryExists(kOnCurrentDrive)) << "installed on the current drive";
}

}  // namespace
