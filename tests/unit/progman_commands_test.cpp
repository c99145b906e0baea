// The execute strings of the program-group step, built without any DDE.
// The strings for whole destinations are checked as sent, against the
// recording stand-in (progman_group_test.cpp); these are the rules under them.
#include <gtest/gtest.h>

#include <string>

#include "progman/group_commands.h"

namespace {

std::string Str(const CString& s) { return std::string(static_cast<const char*>(s)); }

// The first item's command as the program-group step builds it.
std::string ProductItem(const char* pszDest) {
  CString strDest(pszDest);
  CString strProgram = ProductProgramPath(strDest);
  return Str(AddItemCommand(strProgram, "ORLO", strProgram, strDest));
}

std::string ReadmeItem(const char* pszDest) {
  return Str(AddItemCommand("NOTEPAD README.TXT", "README", "NOTEPAD.EXE", pszDest));
}

TEST(GroupCommands, GroupCommandsCarryTheNameAsGiven) {
  EXPECT_EQ("[DeleteGroup(ORLO)]", Str(DeleteGroupCommand("ORLO")));
  EXPECT_EQ("[CreateGroup(ORLO)]", Str(CreateGroupCommand("ORLO")));
  EXPECT_EQ("[ShowGroup(ORLO,1)]", Str(ShowGroupCommand("ORLO")));
  EXPECT_EQ(19, CreateGroupCommand("ORLO").GetLength());
}

TEST(GroupCommands, DelimitersInTheDestinationAreQuoted) {
  // Unquoted, Program Manager would end the argument at any of these.
  EXPECT_EQ(
      "[AddItem(\"C:\\Apps(old)\\ORLO\\ORLO.EXE\", ORLO, \"C:\\Apps(old)\\ORLO\\ORLO.EXE\",, "
      "-1, -1, \"C:\\Apps(old)\\ORLO\")]",
      ProductItem("C:\\Apps(old)\\ORLO"));
  EXPECT_EQ(
      "[AddItem(\"C:\\A,B\\ORLO\\ORLO.EXE\", ORLO, \"C:\\A,B\\ORLO\\ORLO.EXE\",, -1, -1, "
      "\"C:\\A,B\\ORLO\")]",
      ProductItem("C:\\A,B\\ORLO"));
  EXPECT_EQ("[AddItem(NOTEPAD README.TXT, README, NOTEPAD.EXE,, -1, -1, \"C:\\[x]\")]",
            ReadmeItem("C:\\[x]\\"));
  // A leading blank does not hide a delimiter later on.
  EXPECT_EQ(
      "[AddItem(\" C:\\A(1)\\ORLO.EXE\", ORLO, \" C:\\A(1)\\ORLO.EXE\",, -1, -1, \" C:\\A(1)\")]",
      ProductItem(" C:\\A(1)"));
  // A quoted network path keeps the \\ before its server in every argument.
  EXPECT_EQ(
      "[AddItem(\"\\\\SRV\\SHARE\\My Apps\\ORLO\\ORLO.EXE\", ORLO, "
      "\"\\\\SRV\\SHARE\\My Apps\\ORLO\\ORLO.EXE\",, -1, -1, \"\\\\SRV\\SHARE\\My Apps\\ORLO\")]",
      ProductItem("\\\\SRV\\SHARE\\My Apps\\ORLO"));
  EXPECT_EQ(
      "[AddItem(\"\\\\SRV\\S(1)\\ORLO\\ORLO.EXE\", ORLO, \"\\\\SRV\\S(1)\\ORLO\\ORLO.EXE\",, "
      "-1, -1, \"\\\\SRV\\S(1)\\ORLO\")]",
      ProductItem("//SRV/S(1)//ORLO/"));
}

TEST(GroupCommands, QuoteRule) {
  struct Case {
    const char* pszText;
    BOOL bQuoted;
  } cases[] = {
      {"C:\\ORLO", FALSE}, {"D:\\My Apps", TRUE}, {" C:\\ORLO", FALSE}, {" C:\\My Apps", FALSE},
      {"C:\\A(1)", TRUE},  {"C:\\A)", TRUE},      {"C:\\[A]", TRUE},    {"C:\\A]", TRUE},
      {"C:\\A,B", TRUE},   {"", FALSE},           {"C:\\A;B", FALSE},   {"C:\\A-B_C.D", FALSE},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.bQuoted, NeedsQuotes(c.pszText)) << "\"" << c.pszText << "\"";
}

TEST(GroupCommands, CallerStringsAreLeftAlone) {
  CString strDest("D:/My Apps//ORLO/");
  CString strProgram = ProductProgramPath(strDest);
  EXPECT_EQ("\"D:/My Apps//ORLO/\\ORLO.EXE\"", Str(strProgram)) << "normalized only when sent";
  AddItemCommand(strProgram, "ORLO", strProgram, strDest);
  EXPECT_EQ("D:/My Apps//ORLO/", Str(strDest));
}

TEST(GroupCommands, ItemNameIsSentAsGiven) {
  // Only paths are normalized: a slash in the name stays.
  EXPECT_EQ("[AddItem(A, x/y, B,, -1, -1, C:\\D)]", Str(AddItemCommand("A", "x/y", "B", "C:/D/")));
}

}  // namespace
