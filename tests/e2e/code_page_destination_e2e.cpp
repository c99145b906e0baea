// A destination named in the ANSI code page the program runs under. Under
// code page 932 both levels end in a character whose second byte is the byte
// of '\'; under code page 1252 they hold accented letters. CTest runs this
// program once under each.
#include <algorithm>

#include "tests/e2e/install_e2e_support.h"

namespace {

using namespace install_e2e;

struct CodePageNames {
  UINT codePage;
  const char* first;
  const char* second;
};

const CodePageNames kNames[] = {
    {932, "\x95\x5C", "\x83\x5C"},  // the kanji for "table", katakana "so"
    {1252, "M\xFCller", "Caf\xE9"},
};

TEST(CodePage, IsTheOneThisRunIsFor) { install_test::ExpectTheCodePageOfThisRun(); }

using CodePageDestination = InstallRun;

TEST_F(CodePageDestination, GetsTheFilesUnderTheirOwnNamesInExactlyThatDirectory) {
  const CodePageNames* names = nullptr;
  for (const CodePageNames& candidate : kNames)
    if (candidate.codePage == GetACP())
      names = &candidate;
  if (!names)
    GTEST_SKIP() << "no names for code page " << GetACP();
  const std::string level = std::string(names->first);
  const std::string dest = Under(level + "\\" + names->second);
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest + "\\"));
  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());

  std::vector<std::string> files(std::begin(kProductFiles), std::end(kProductFiles));
  for (const std::string& name : files)
    EXPECT_TRUE(FilesEqual(Dist(name), dest + "\\" + name)) << name;
  std::sort(files.begin(), files.end());
  EXPECT_EQ(std::vector<std::string>{level}, DirectoryEntries(kDestRoot))
      << "code page " << GetACP();
  EXPECT_EQ(std::vector<std::string>{names->second}, DirectoryEntries(Under(level)))
      << "code page " << GetACP();
  EXPECT_EQ(files, DirectoryEntries(dest)) << "code page " << GetACP();
}

}  // namespace
