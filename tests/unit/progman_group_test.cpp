// The program-group step against the recording stand-in for Program
// Manager: the execute strings in order, every failure row, the time-out,
// and the lifetime of the link's DDEML instance around the application
// object.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "progman/progman_link.h"
#include "tests/fixtures/progman_standin.h"
#include "tests/harness/harness.h"

namespace {

using progman_test::InstanceIsAlive;

void FailAtExit(const char* pszWhat) {
  fprintf(stderr, "static lifetime: %s\n", pszWhat);
  fflush(stderr);
  _exit(3);
}

// Constructed before the link (which comes before every object of default
// priority) and destroyed after it: checks at exit that the link ended its
// instance. gtest has finished by then, so a failure ends the process with
// exit code 3.
struct ExitWatch {
  DWORD dwInstanceSeen = 0;
  ~ExitWatch() {
    if (dwInstanceSeen == 0)
      FailAtExit("the application object never saw the link's instance");
    if (InstanceIsAlive(dwInstanceSeen))
      FailAtExit("the link's DDEML instance outlived the link");
    fprintf(stderr, "static lifetime: instance %lu ended after the application object\n",
            static_cast<unsigned long>(dwInstanceSeen));
  }
} g_exitWatch __attribute__((init_priority(150)));

}  // namespace

namespace {

// Stands for the application object: what it can see of the link when it is
// constructed and when it is destroyed.
struct ApplicationObject {
  DWORD dwInstanceAtConstruction;
  bool bAliveAtConstruction;
  ApplicationObject()
      : dwInstanceAtConstruction(theProgmanLink.GetInstance().GetId()),
        bAliveAtConstruction(InstanceIsAlive(dwInstanceAtConstruction)) {
    g_exitWatch.dwInstanceSeen = dwInstanceAtConstruction;
  }
  ~ApplicationObject() {
    if (!InstanceIsAlive(theProgmanLink.GetInstance().GetId()))
      FailAtExit("the link's DDEML instance ended before the application object");
  }
} theApplication;

using progman_test::MillisecondsSince;
using progman_test::ProgmanStandIn;
using progman_test::ScopedShellDdeHidden;
using Commands = std::vector<std::string>;

const Commands kDefaultSix = {
    "[DeleteGroup(ORLO)]",
    "[CreateGroup(ORLO)]",
    "[ShowGroup(ORLO,1)]",
    "[AddItem(C:\\ORLO\\ORLO.EXE, ORLO, C:\\ORLO\\ORLO.EXE,, -1, -1, C:\\ORLO)]",
    "[AddItem(NOTEPAD README.TXT, README, NOTEPAD.EXE,, -1, -1, C:\\ORLO)]",
    "[AddItem(WINHELP ORLO.HLP, ORLO Help, WINHELP.EXE,, -1, -1, C:\\ORLO)]",
};

Commands FirstOf(const Commands& commands, size_t n) {
  return Commands(commands.begin(), commands.begin() + n);
}

std::string Join(const Commands& commands) {
  std::string text;
  for (const std::string& command : commands)
    text += "  " + command + "\n";
  return text;
}

TEST(ApplicationLifetime, LinkInstanceExistsBeforeTheApplicationObject) {
  EXPECT_NE(0u, theApplication.dwInstanceAtConstruction);
  EXPECT_TRUE(theApplication.bAliveAtConstruction);
  EXPECT_EQ(theProgmanLink.GetInstance().GetId(), theApplication.dwInstanceAtConstruction);
}

struct DestinationCase {
  const char* pszDest;
  Commands items;  // the three AddItem commands
};

class GroupDestinations : public ::testing::TestWithParam<DestinationCase> {};

TEST_P(GroupDestinations, SixCommandsInOrder) {
  ProgmanStandIn standIn;
  ASSERT_TRUE(standIn.Start());
  BOOL bOk = InstallProgramGroup(GetParam().pszDest);
  EXPECT_TRUE(bOk);
  Commands expected = FirstOf(kDefaultSix, 3);
  expected.insert(expected.end(), GetParam().items.begin(), GetParam().items.end());
  ASSERT_TRUE(standIn.WaitForCount("DISCONNECT", 1)) << standIn.Dump();
  EXPECT_EQ(expected, standIn.Executes()) << "expected:\n"
                                          << Join(expected) << "log:\n"
                                          << standIn.Dump();
  EXPECT_EQ(1, standIn.Count("CONNECT ")) << standIn.Dump();
}

const DestinationCase kDestinations[] = {
    {"C:\\ORLO\\", Commands(kDefaultSix.begin() + 3, kDefaultSix.end())},
    {"D:\\My Apps\\ORLO",
     {"[AddItem(\"D:\\My Apps\\ORLO\\ORLO.EXE\", ORLO, \"D:\\My Apps\\ORLO\\ORLO.EXE\",, -1, -1, "
      "\"D:\\My Apps\\ORLO\")]",
      "[AddItem(NOTEPAD README.TXT, README, NOTEPAD.EXE,, -1, -1, \"D:\\My Apps\\ORLO\")]",
      "[AddItem(WINHELP ORLO.HLP, ORLO Help, WINHELP.EXE,, -1, -1, \"D:\\My Apps\\ORLO\")]"}},
    {"D:/My Apps//ORLO/",
     {"[AddItem(\"D:\\My Apps\\ORLO\\ORLO.EXE\", ORLO, \"D:\\My Apps\\ORLO\\ORLO.EXE\",, -1, -1, "
      "\"D:\\My Apps\\ORLO\")]",
      "[AddItem(NOTEPAD README.TXT, README, NOTEPAD.EXE,, -1, -1, \"D:\\My Apps\\ORLO\")]",
      "[AddItem(WINHELP ORLO.HLP, ORLO Help, WINHELP.EXE,, -1, -1, \"D:\\My Apps\\ORLO\")]"}},
    {"C:\\Apps(old)\\ORLO",
     {"[AddItem(\"C:\\Apps(old)\\ORLO\\ORLO.EXE\", ORLO, \"C:\\Apps(old)\\ORLO\\ORLO.EXE\",, -1, "
      "-1, \"C:\\Apps(old)\\ORLO\")]",
      "[AddItem(NOTEPAD README.TXT, README, NOTEPAD.EXE,, -1, -1, \"C:\\Apps(old)\\ORLO\")]",
      "[AddItem(WINHELP ORLO.HLP, ORLO Help, WINHELP.EXE,, -1, -1, \"C:\\Apps(old)\\ORLO\")]"}},
};

INSTANTIATE_TEST_SUITE_P(AsTyped, GroupDestinations, ::testing::ValuesIn(kDestinations));

struct FailureCase {
  const char* pszName;
  const char* pszStandInOptions;
  size_t nSent;  // how many of the six commands reach Program Manager
  BOOL bResult;
};

class GroupFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(GroupFailures, SendsWhatTheRowSaysAndAlwaysDisconnects) {
  const FailureCase& c = GetParam();
  ProgmanStandIn standIn;
  ASSERT_TRUE(standIn.Start(c.pszStandInOptions));
  EXPECT_EQ(c.bResult, InstallProgramGroup("C:\\ORLO\\"));
  ASSERT_TRUE(standIn.WaitForCount("DISCONNECT", 1)) << standIn.Dump();
  EXPECT_EQ(FirstOf(kDefaultSix, c.nSent), standIn.Executes()) << standIn.Dump();
  EXPECT_EQ(1, standIn.Count("CONNECT ")) << standIn.Dump();
  EXPECT_EQ(nullptr, theProgmanLink.GetConversation().GetHandle());
}

const FailureCase kFailures[] = {
    {"Nothing", "", 6, TRUE},
    {"DeleteRefused", "--refuse [DeleteGroup", 6, TRUE},
    {"CreateRefused", "--refuse [CreateGroup", 2, FALSE},
    {"ShowRefused", "--refuse [ShowGroup", 3, FALSE},
    {"ProductItemRefused", "--refuse 4", 4, FALSE},
    {"ReadmeItemRefused", "--refuse [AddItem(NOTEPAD", 6, TRUE},
    {"HelpItemRefused", "--refuse [AddItem(WINHELP", 6, TRUE},
    {"BothLaterItemsRefused", "--refuse 5 --refuse 6", 6, TRUE},
    {"EverythingRefused", "--refuse [", 2, FALSE},
};

INSTANTIATE_TEST_SUITE_P(Rows, GroupFailures, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                           return std::string(info.param.pszName);
                         });

// The time-out of one transaction that the program promises. It runs in
// real time on any machine: it is not the harness's to scale.
const DWORD kTransactionTimeoutMs = 10000;

// A command that is never answered counts as failed once the 10-second
// time-out has passed; the step then ends with FALSE, having sent nSent
// commands, and still ends the conversation. DDEML gives up once
// GetTickCount has moved on by the time-out, inside this measurement on the
// same clock: no allowance below it. Above it, the rest of the step grows
// with the time scale, but less than a second time-out would add.
void ExpectStepTimesOut(const char* pszBlock, size_t nSent) {
  ProgmanStandIn standIn;
  ASSERT_TRUE(standIn.Start(std::string("--block ") + pszBlock));
  const DWORD slackMs = std::min<DWORD>(e2e::ScaledMs(4000), kTransactionTimeoutMs - 1);
  DWORD start = GetTickCount();
  BOOL bOk = InstallProgramGroup("C:\\ORLO\\");
  DWORD elapsed = MillisecondsSince(start);
  EXPECT_FALSE(bOk);
  EXPECT_GE(elapsed, kTransactionTimeoutMs);
  EXPECT_LT(elapsed, kTransactionTimeoutMs + slackMs)
      << "longer than one time-out and the rest of the step";
  EXPECT_EQ(FirstOf(kDefaultSix, nSent), standIn.Executes()) << standIn.Dump();
  EXPECT_TRUE(standIn.WaitForCount("DISCONNECT", 1)) << standIn.Dump();
}

TEST(GroupTimeout, UnansweredCreateEndsTheStepAfterTheTimeout) {
  ExpectStepTimesOut("[CreateGroup", 2);
  EXPECT_EQ(nullptr, theProgmanLink.GetConversation().GetHandle());
}

TEST(GroupTimeout, UnansweredProductItemEndsTheStepAfterTheTimeout) { ExpectStepTimesOut("4", 4); }

TEST(GroupRepeat, SecondRunConnectsAgain) {
  // The link is left ready for another conversation: nothing of the first
  // run is kept.
  ProgmanStandIn standIn;
  ASSERT_TRUE(standIn.Start());
  EXPECT_TRUE(InstallProgramGroup("C:\\ORLO\\"));
  EXPECT_TRUE(InstallProgramGroup("C:\\ORLO\\"));
  ASSERT_TRUE(standIn.WaitForCount("DISCONNECT", 2)) << standIn.Dump();
  EXPECT_EQ(2, standIn.Count("CONNECT ")) << standIn.Dump();
  EXPECT_EQ(12u, standIn.Executes().size()) << standIn.Dump();
}

TEST(WineShell, ServesProgmanItself) {
  // What the case without Program Manager below is measured against: Wine's
  // desktop process answers "PROGMAN" when nothing hides it.
  CProgmanLink link;
  EXPECT_TRUE(link.Connect());
  link.Disconnect();
}

TEST(NoProgramManager, StepFailsAtOnceAndSendsNothing) {
  ScopedShellDdeHidden hidden;
  ASSERT_GT(hidden.windowsHidden(), 0u) << "no shell DDE server window found";
  DWORD start = GetTickCount();
  BOOL bOk = InstallProgramGroup("C:\\ORLO\\");
  DWORD elapsed = MillisecondsSince(start);
  EXPECT_FALSE(bOk);
  // At once: without a conversation there is no transaction's time-out to
  // wait out, however slow the machine.
  EXPECT_LT(elapsed, kTransactionTimeoutMs);
  EXPECT_EQ(nullptr, theProgmanLink.GetConversation().GetHandle());
}

// Wine's own Program Manager server parses the commands the way Program
// Manager does: an unquoted argument ends at ( ) [ ] or a comma. Unquoted,
// C:\Apps(old)\ORLO is refused and C:\A,B\ORLO arrives as C:\A (measured).
// As the link sends them, each directory reaches the shortcut whole. Wine adds
// an item only for a program it can find, so the items run Notepad by its
// full path.
std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char ch : ascii) {
    wide += ch;
    wide += '\0';
  }
  return wide;
}

TEST(WineShell, QuotedDelimitersReachTheShortcutWhole) {
  char szSystem[MAX_PATH] = "";
  GetSystemDirectoryA(szSystem, sizeof szSystem);
  const std::string notepad = std::string(szSystem) + "\\notepad.exe";
  char szAppData[MAX_PATH] = "";
  ASSERT_NE(0u, GetEnvironmentVariableA("APPDATA", szAppData, sizeof szAppData));
  const std::string group =
      std::string(szAppData) + "\\Microsoft\\Windows\\Start Menu\\Programs\\ORLOQUOTE";
  struct Item {
    const char* pszName;
    const char* pszDir;
  } items[] = {
      {"Parens", "C:\\Apps(old)\\ORLO"},
      {"Comma", "C:\\A,B\\ORLO"},
      {"Brackets", "C:\\[x]\\ORLO"},
      {"Blank", "C:\\My Apps\\ORLO"},
  };

  CProgmanLink link;
  ASSERT_TRUE(link.Connect());
  ASSERT_TRUE(link.CreateGroup("ORLOQUOTE"));
  for (const Item& item : items)
    EXPECT_TRUE(link.AddItem(notepad.c_str(), item.pszName, notepad.c_str(), item.pszDir))
        << item.pszDir;
  link.Disconnect();

  // Windows first: an explorer window that starts after its folder is gone
  // does not open, and one that does would be left behind.
  printf("explorer windows on the group: %u\n",
         static_cast<unsigned>(e2e::WaitForGroupWindows("ORLOQUOTE").size()));
  e2e::CloseGroupWindows("ORLOQUOTE");
  for (const Item& item : items) {
    std::string lnk;
    EXPECT_TRUE(e2e::ReadWholeFile(group + "\\" + item.pszName + ".lnk", &lnk));
    EXPECT_NE(std::string::npos, lnk.find(Utf16(item.pszDir)))
        << item.pszName << ".lnk (" << lnk.size() << " bytes) lacks " << item.pszDir;
  }
  EXPECT_TRUE(e2e::RemoveTree(group));
}

}  // namespace
