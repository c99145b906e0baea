// The program-group step in a whole run of the real SETUP.EXE: OK on
// Create Application Group with the recording stand-in for Program Manager,
// OK with no Program Manager at all, and Skip.
#include "tests/e2e/install_e2e_support.h"
#include "tests/fixtures/progman_standin.h"

namespace {

using namespace install_e2e;
using progman_test::ProgmanStandIn;
using progman_test::ScopedShellDdeHidden;

const char kGroupFailed[] = "Failed to complete installation of program group";

// A DDEML instance shows as a hidden top-level window of this class.
bool OwnsDdeInstanceWindow(DWORD pid) {
  for (const WindowInfo& window : TopLevelWindows(pid))
    if (window.className == "WineDdeEventClass")
      return true;
  return false;
}

using ProgramGroupRun = InstallRun;

TEST_F(ProgramGroupRun, OkSendsTheSixCommandsAndShowsNoMessage) {
  ProgmanStandIn standIn;
  ASSERT_TRUE(standIn.Start());
  // Typed with a trailing backslash, a blank and parentheses: the paths are
  // normalized and quoted.
  const std::string typed = Under("My Apps(1)\\ORLO\\");
  const std::string dest = Under("My Apps(1)\\ORLO");
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(typed));
  ASSERT_NO_FATAL_FAILURE(AnswerGroupQuestion(IDOK));
  ASSERT_NO_FATAL_FAILURE(FinishOnSuccess());

  ASSERT_TRUE(standIn.WaitForCount("DISCONNECT", 1)) << standIn.Dump();
  const std::vector<std::string> expected = {
      "[DeleteGroup(ORLO)]",
      "[CreateGroup(ORLO)]",
      "[ShowGroup(ORLO,1)]",
      "[AddItem(\"" + dest + "\\ORLO.EXE\", ORLO, \"" + dest + "\\ORLO.EXE\",, -1, -1, \"" + dest +
          "\")]",
      "[AddItem(NOTEPAD README.TXT, README, NOTEPAD.EXE,, -1, -1, \"" + dest + "\")]",
      "[AddItem(WINHELP ORLO.HLP, ORLO Help, WINHELP.EXE,, -1, -1, \"" + dest + "\")]",
  };
  EXPECT_EQ(expected, standIn.Executes()) << standIn.Dump();
  EXPECT_EQ(1, standIn.Count("CONNECT service=PROGMAN topic=PROGMAN")) << standIn.Dump();
  EXPECT_EQ(1, standIn.Count("EXECUTE 2 bytes=20 [CreateGroup(ORLO)]")) << standIn.Dump();
}

TEST_F(ProgramGroupRun, NoProgramManagerIsReportedThenSuccess) {
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(Under("ORLO")));
  HWND appGroup = nullptr;
  ASSERT_NO_FATAL_FAILURE(WaitForGroupQuestion(&appGroup));
  {
    ScopedShellDdeHidden noProgramManager;
    ASSERT_GT(noProgramManager.windowsHidden(), 0u);
    ASSERT_TRUE(ClickControl(appGroup, IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(kGroupFailed));
  }
  ASSERT_NO_FATAL_FAILURE(FinishOnSuccess());
}

TEST_F(ProgramGroupRun, SkipOpensNoConversation) {
  ProgmanStandIn standIn;
  ASSERT_TRUE(standIn.Start());
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(Under("ORLO")));
  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());
  // SETUP.EXE has ended: whatever it sent the stand-in came before this.
  ASSERT_TRUE(standIn.SendLaterCommand()) << standIn.Dump();
  EXPECT_EQ(1, standIn.Count("CONNECT")) << "only the later command's:\n" << standIn.Dump();
  EXPECT_EQ(std::vector<std::string>{"[Later]"}, standIn.Executes()) << standIn.Dump();
}

TEST_F(ProgramGroupRun, DdeInstanceExistsFromTheStart) {
  // The link's instance is made during static construction, so it is there
  // when the first dialog shows.
  ASSERT_TRUE(setup_.Start(Dist("SETUP.EXE"), dist_));
  HWND welcome = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Welcome", &welcome)) << DescribeWindows(setup_.pid());
  EXPECT_TRUE(OwnsDdeInstanceWindow(setup_.pid())) << DescribeWindows(setup_.pid());
  ASSERT_TRUE(ClickControl(welcome, IDCANCEL));
  ExpectEnd();
}

}  // namespace
