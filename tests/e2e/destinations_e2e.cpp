// Destinations that are not a full local path as they stand: relative ones,
// typed while the program runs in another directory than its own, ones with
// blanks or dots at the end of a level, one with an "&", and a network path.
// Each ends up as the one directory the user meant, holding every file.
#include <set>

#include "tests/e2e/install_e2e_support.h"
#include "tests/fixtures/progman_standin.h"

namespace {

using namespace install_e2e;
using progman_test::ProgmanStandIn;

struct TypedCase {
  const char* name;
  const char* typed;
  const char* meant;  // below kDestRoot; the program starts in kDestRoot\start
};

void PrintTo(const TypedCase& c, std::ostream* os) { *os << c.typed; }

class TypedDestination : public InstallRun, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedDestination, IsTheDirectoryMeantForFilesAndGroup) {
  const std::string start = Under("start");
  ASSERT_TRUE(CreateDirectories(start));
  const std::string dest = Under(GetParam().meant);
  // Quoted as the group step quotes a directory with a blank in it.
  const bool quoted = dest.find(' ') != std::string::npos;
  const std::string dir = quoted ? "\"" + dest + "\"" : dest;
  const std::string program = quoted ? "\"" + dest + "\\ORLO.EXE\"" : dest + "\\ORLO.EXE";
  ProgmanStandIn standIn;
  ASSERT_TRUE(standIn.Start());
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(GetParam().typed, start));
  ASSERT_NO_FATAL_FAILURE(WaitForProgressDialog());
  ASSERT_NO_FATAL_FAILURE(AnswerGroupQuestion(IDOK));
  // The last line shown names the directory as it is, and takes no "&" in
  // it for a mnemonic.
  HWND to = Control(progress_, IDC_TO);
  EXPECT_EQ("To: " + JoinPath(dest, "TESKDB.FON"), WindowText(to));
  EXPECT_TRUE(WindowStyle(to) & SS_NOPREFIX) << "style 0x" << std::hex << WindowStyle(to);
  ASSERT_NO_FATAL_FAILURE(FinishOnSuccess());

  ExpectInstalled(dest,
                  std::vector<std::string>(std::begin(kProductFiles), std::end(kProductFiles)));
  // Nothing was made anywhere else below the root.
  const std::string meant = GetParam().meant;
  std::set<std::string> made = {"start", meant.substr(0, meant.find('\\'))};
  EXPECT_EQ(std::vector<std::string>(made.begin(), made.end()), DirectoryEntries(kDestRoot));
  ASSERT_TRUE(standIn.WaitForCount("DISCONNECT", 1)) << standIn.Dump();
  const std::vector<std::string> items = {
      "[AddItem(" + program + ", ORLO, " + program + ",, -1, -1, " + dir + ")]",
      "[AddItem(NOTEPAD README.TXT, README, NOTEPAD.EXE,, -1, -1, " + dir + ")]",
      "[AddItem(WINHELP ORLO.HLP, ORLO Help, WINHELP.EXE,, -1, -1, " + dir + ")]",
  };
  std::vector<std::string> sent = standIn.Executes();
  ASSERT_EQ(6u, sent.size()) << standIn.Dump();
  EXPECT_EQ(items, std::vector<std::string>(sent.begin() + 3, sent.end())) << standIn.Dump();
}

const TypedCase kTypedCases[] = {
    {"Relative", "RELDEST\\SUB", "start\\RELDEST\\SUB"},
    {"RootedWithoutDrive", "\\orlo-e2e-install\\rooted\\", "rooted"},
    {"DriveRelative", "C:drive/relative", "start\\drive\\relative"},
    // Made without the blank by the system, and then used without it too.
    {"TrailingBlank", "C:\\orlo-e2e-install\\ORLO ", "ORLO"},
    {"BlankBeforeASeparator", "C:\\orlo-e2e-install\\My Apps \\ORLO. \\", "My Apps\\ORLO"},
    // Below a name like kDestRoot's own: one that lost its "C:." or "C:.."
    // would land in kDestRoot, at the drive's root, and show there.
    {"DotAfterDrive", "C:.\\orlo-e2e-install\\dot", "start\\orlo-e2e-install\\dot"},
    {"DotDotAfterDrive", "C:..\\orlo-e2e-install\\up", "orlo-e2e-install\\up"},
    {"CurrentDirectoryOfDrive", "C:.", "start"},
    {"Ampersand", "C:\\orlo-e2e-install\\Tools & Games", "Tools & Games"},
};

INSTANTIATE_TEST_SUITE_P(Typed, TypedDestination, ::testing::ValuesIn(kTypedCases),
                         [](const ::testing::TestParamInfo<TypedCase>& info) {
                           return std::string(info.param.name);
                         });

// \\ORLOSRV\SHARE is, for Wine, the directory that the prefix's
// dosdevices\unc\orlosrv\share links to: here kDestRoot\share.
class NetworkDestination : public InstallRun {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(InstallRun::SetUp());
    share_ = Under("share");
    ASSERT_TRUE(CreateDirectories(share_));
    std::string dosDevices = install_test::DosDevicesUnixPath();
    ASSERT_FALSE(dosDevices.empty()) << "no Unix path for C:";
    servers_ = dosDevices + "unc";
    ASSERT_TRUE(install_test::StartUnixProgram(
        "/bin/sh -c \"mkdir -p " + servers_ + "/orlosrv && ln -sfn " +
        install_test::UnixPathOf(share_) + " " + servers_ + "/orlosrv/share\""));
    ASSERT_TRUE(PollUntil([] { return DirectoryExists(kShare); }))
        << kShare << " does not show " << share_;
  }
  void TearDown() override {
    if (!servers_.empty() && install_test::StartUnixProgram("/bin/rm -r " + servers_ + "/orlosrv"))
      PollUntil([] { return !DirectoryExists(kShare); });
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
