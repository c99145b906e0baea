// The program-group step of the real SETUP.EXE against Wine's own Program
// Manager DDE server (served by Wine's desktop process, explorer.exe).
//
// Wine keeps groups as folders under the Start Menu's Programs folder.
// DeleteGroup removes the folder, CreateGroup makes it, and CreateGroup and
// ShowGroup each open an explorer window titled with the group's name. Wine
// adds an item only when it finds the first word of the command line as a
// program on its search path, without splitting arguments off, so it
// refuses "ORLO", "NOTEPAD README.TXT" and "WINHELP ORLO.HLP" alike: the
// group stays empty, and the program reports the failed group before
// Success.
#include "tests/e2e/install_e2e_support.h"

namespace {

using namespace install_e2e;

std::string ProgramsFolder() {
  char appData[MAX_PATH] = "";
  DWORD n = GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
  if (n == 0 || n >= sizeof appData)
    return "";
  return std::string(appData) + "\\Microsoft\\Windows\\Start Menu\\Programs";
}

class WineShellGroup : public InstallRun {
 protected:
  void SetUp() override {
    InstallRun::SetUp();
    ASSERT_FALSE(ProgramsFolder().empty()) << "APPDATA is not set";
    group_ = ProgramsFolder() + "\\ORLO";
    CloseGroupWindows("ORLO");
    ASSERT_TRUE(RemoveTree(group_));
  }
  void TearDown() override {
    CloseGroupWindows("ORLO");
    RemoveTree(group_);
    InstallRun::TearDown();
  }

  std::string group_;
};

TEST_F(WineShellGroup, GroupAppearsEmptyAndTheFailureIsReportedBeforeSuccess) {
  // A group of that name from an earlier run: DeleteGroup clears it first.
  ASSERT_TRUE(CreateDirectories(group_));
  ASSERT_TRUE(WriteWholeFile(group_ + "\\stale.lnk", "old item"));

  ASSERT_NO_FATAL_FAILURE(StartAndEnter(Under("ORLO")));
  HWND appGroup = nullptr;
  ASSERT_NO_FATAL_FAILURE(WaitForGroupQuestion(&appGroup));
  DWORD start = GetTickCount();
  ASSERT_TRUE(ClickControl(appGroup, IDOK));

  // The three AddItem commands are refused: the first one fails the group.
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Failed to complete installation of program group"));
  DWORD elapsed = GetTickCount() - start;
  ASSERT_NO_FATAL_FAILURE(FinishOnSuccess());

  EXPECT_TRUE(DirectoryExists(group_)) << group_;
  std::vector<std::string> entries = DirectoryEntries(group_);
  std::string listing;
  for (const std::string& name : entries)
    listing += " " + name;
  EXPECT_TRUE(entries.empty()) << "the group holds:" << listing;
  EXPECT_LT(elapsed, 10000u) << "a refused command is answered at once, not timed out";

  // CreateGroup and ShowGroup each ask for a window on the group.
  const size_t windows = WaitForGroupWindows("ORLO").size();
  EXPECT_GE(windows, 1u) << DescribeWindows(0);
  EXPECT_LE(windows, 2u) << DescribeWindows(0);
  printf("group step answered in %lu ms; %u explorer windows titled ORLO\n",
         static_cast<unsigned long>(elapsed), static_cast<unsigned>(windows));
}

}  // namespace
