// CString and CStringList as the program uses them: formatting of its
// messages and paths, searching and cutting paths, and the file list.
#include <gtest/gtest.h>

#include <string>

#include "afx/afxstr.h"

namespace {

// The conversions the program's texts use: %c, %s (an argument's own
// backslashes kept), %d and %u in 32 bits, %% and plain text.
TEST(CStringFormat, ConversionsTheProgramUses) {
  CString s;
  s.Format("%c:\\%s\\", 'D', "ORLO");
  EXPECT_STREQ("D:\\ORLO\\", s);
  s.Format("%s\\%s", "A:\\", "B");
  EXPECT_STREQ("A:\\\\B", s);
  s.Format("%d %d %u %d%%", -2147483647 - 1, 0, 4000000000u, 13);
  EXPECT_STREQ("-2147483648 0 4000000000 13%", s);
  s.Format("no conversion\n");
  EXPECT_STREQ("no conversion\n", s);
}

TEST(CStringFormat, HasNoLengthLimit) {
  std::string longPath(5000, 'x');
  CString s;
  s.Format("To: %s", longPath.c_str());
  EXPECT_EQ(5004, s.GetLength());
  EXPECT_EQ(std::string("To: ") + longPath, std::string(s));
}

TEST(CStringFormat, ArgumentMayBeTheTargetItself) {
  CString s("C:\\ORLO");
  s.Format("%s\\ORLO.EXE", (LPCSTR)s);
  EXPECT_STREQ("C:\\ORLO\\ORLO.EXE", s);
}

TEST(CStringSearch, FindReverseFindLeftRight) {
  CString s("D:\\My Apps\\ORLO");
  EXPECT_EQ(5, s.Find(' '));
  EXPECT_EQ(-1, s.Find('/'));
  EXPECT_EQ(10, s.ReverseFind('\\'));
  EXPECT_EQ(-1, CString("ORLO").ReverseFind('\\'));
  EXPECT_STREQ("D:\\My Apps", s.Left(10));
  EXPECT_STREQ("ORLO", s.Right(4));
  EXPECT_STREQ("", s.Left(-1));
  EXPECT_STREQ("D:\\My Apps\\ORLO", s.Right(100));
}

TEST(CStringBuild, AppendConcatenateCompare) {
  CString s("C:\\ORLO");
  s += "\\tesk.fon";
  EXPECT_STREQ("C:\\ORLO\\tesk.fon", s);
  CString t = CString("\"") + s + '"';
  EXPECT_STREQ("\"C:\\ORLO\\tesk.fon\"", t);
  EXPECT_TRUE(CString("C:\\ORLO") == "C:\\ORLO");
  EXPECT_TRUE(CString("C:\\orlo") != "C:\\ORLO") << "comparison is case-sensitive";
  CString empty;
  EXPECT_STREQ("", empty);
  s = s;  // self-assignment keeps the text
  EXPECT_STREQ("C:\\ORLO\\tesk.fon", s);
  s += s;  // appending itself
  EXPECT_STREQ("C:\\ORLO\\tesk.fonC:\\ORLO\\tesk.fon", s);
}

TEST(CStringBuffer, GetBufferReleaseBuffer) {
  CString s;
  char* p = s.GetBuffer(16);
  lstrcpyA(p, "C:\\windows");
  s.ReleaseBuffer();
  EXPECT_EQ(10, s.GetLength());
  EXPECT_STREQ("C:\\windows", s);
}

TEST(CStringListTest, KeepsInsertionOrderAcrossBlocks) {
  CStringList list(3);  // small blocks, so that several are needed
  const char* names[] = {"ORLO.EXE", "README.TXT", "ORLO.HLP", "MFC30.DLL",
                         "ORLO.EXE", "",           "TESK.FON"};
  for (const char* name : names)
    list.AddTail(name);
  EXPECT_EQ(7, list.GetCount());
  POSITION pos = list.GetHeadPosition();
  for (const char* name : names) {
    ASSERT_NE(nullptr, pos);
    EXPECT_STREQ(name, list.GetNext(pos));
  }
  EXPECT_EQ(nullptr, pos);
  list.RemoveAll();
  EXPECT_EQ(0, list.GetCount());
  EXPECT_EQ(nullptr, list.GetHeadPosition());
}

}  // namespace
