// Paths and Program Manager arguments in the ANSI code page the program runs
// under. Under a double-byte code page (932) the second byte of a character
// may be the byte of '\' or '[': it belongs to its character and is never a
// separator or a delimiter. Under a single-byte code page (1252) the same
// bytes are handled one by one, as always. CTest runs this program once
// under each.
#include <gtest/gtest.h>

#include <string>

#include "paths/path_util.h"
#include "progman/group_commands.h"
#include "tests/unit/install_test_support.h"

namespace {

// Characters of code page 932 whose second byte is '\', '[' or ']'.
#define HYO "\x95\x5C"  // the kanji for "table"
#define SO "\x83\x5C"   // katakana "so"
#define ZE "\x83["      // katakana "ze"
#define ZO "\x83]"      // katakana "zo"

bool DoubleByte() { return GetACP() == 932; }

std::string Normalized(const char* psz) {
  CString str(psz);
  NormalizePath(str);
  return std::string((LPCSTR)str);
}

TEST(CodePage, IsTheOneThisRunIsFor) { install_test::ExpectTheCodePageOfThisRun(); }

TEST(DoubleBytePath, NormalizingKeepsEveryCharacterWhole) {
  struct Case {
    const char* input;
    const char* doubleByte;
    const char* singleByte;
  } cases[] = {
      {"C:\\" HYO "\\ORLO", "C:\\" HYO "\\ORLO", "C:\\\x95\\ORLO"},  // at the end of a level
      {"C:\\ORLO\\" SO, "C:\\ORLO\\" SO, "C:\\ORLO\\\x83"},          // at the end of the path
      {"C:\\ORLO\\" SO "\\", "C:\\ORLO\\" SO, "C:\\ORLO\\\x83"},
      {"C:\\" HYO "\\\\ORLO/", "C:\\" HYO "\\ORLO", "C:\\\x95\\ORLO"},  // before a doubled one
      {"\\\\SRV\\" HYO "\\" SO, "\\\\SRV\\" HYO "\\" SO, "\\\\SRV\\\x95\\\x83"},
      {"C:\\A\x95", "C:\\A\x95", "C:\\A\x95"},  // a first byte with nothing after it
  };
  for (const Case& c : cases)
    EXPECT_EQ(DoubleByte() ? c.doubleByte : c.singleByte, Normalized(c.input))
        << "\"" << c.input << "\", code page " << GetACP();
}

TEST(DoubleBytePath, TrimmingKeepsEveryCharacterWhole) {
  struct Case {
    const char* input;
    const char* doubleByte;
    const char* singleByte;  // nullptr: refused
  } cases[] = {
      {"C:\\" HYO ".", "C:\\" HYO, "C:\\\x95\\."},
      // Byte by byte, the blank is a name of its own.
      {"C:\\" SO " \\" HYO "..", "C:\\" SO "\\" HYO, nullptr},
  };
  for (const Case& c : cases) {
    CString str(c.input);
    BOOL bKept = DropTrailingBlanksAndDots(str);
    const char* expected = DoubleByte() ? c.doubleByte : c.singleByte;
    EXPECT_EQ(expected != nullptr, bKept != FALSE)
        << "\"" << c.input << "\", code page " << GetACP();
    EXPECT_EQ(expected ? expected : c.input, std::string((LPCSTR)str))
        << "\"" << c.input << "\", code page " << GetACP();
  }
}

TEST(DoubleBytePath, SearchesStepOverWholeCharacters) {
  CString strPath("C:\\ORLO\\" SO);
  EXPECT_EQ(DoubleByte() ? 7 : 9, strPath.ReverseFind('\\')) << "code page " << GetACP();
  EXPECT_EQ(DoubleByte() ? 2 : 1, CString(HYO "\\X").Find('\\')) << "code page " << GetACP();
}

TEST(DoubleBytePath, QuotingLooksAtWholeCharacters) {
  struct Case {
    const char* text;
    BOOL doubleByte;
    BOOL singleByte;
  } cases[] = {
      {"C:\\" ZE, FALSE, TRUE},
      {"C:\\" ZO "\\ORLO", FALSE, TRUE},
      {"C:\\" ZE " X", TRUE, TRUE},
      {"C:\\" HYO, FALSE, FALSE},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DoubleByte() ? c.doubleByte : c.singleByte, NeedsQuotes(c.text))
        << "\"" << c.text << "\", code page " << GetACP();
}

TEST(DoubleBytePath, TreeCreationMakesTheLevelsAsNamed) {
  install_test::ScratchDir scratch("orlo-dbcs-tree");
  CString strPath((scratch / HYO "\\" SO).c_str());
  NormalizePath(strPath);
  ASSERT_TRUE(CreateDirectoryTree(strPath)) << "code page " << GetACP();
  std::string first = scratch / (DoubleByte() ? HYO : "\x95");
  std::string second = first + (DoubleByte() ? "\\" SO : "\\\x83");
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(first.c_str())) << first;
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(second.c_str())) << second;
}

}  // namespace
