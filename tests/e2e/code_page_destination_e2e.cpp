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

// Under code page 932: a distribution directory named with one character
// whose second byte is the byte of '\' (the kanji for "table"), and a
// destination that differs from it only in that byte ("vote"), which is
// another directory and gets the files. The distribution directory itself is
// still refused. Its paths are joined by hand: JoinPath would take the
// second byte for a separator.
TEST_F(CodePageDestination, DiffersFromTheDistributionDirectoryOnlyInATrailByte) {
  if (GetACP() != 932)
    GTEST_SKIP() << "for code page 932, this run has " << GetACP();
  const std::string source = Under("\x95\x5C");  // table
  const std::string dest = Under("\x95\x5B");    // vote
  ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr)) << "error " << GetLastError();
  std::vector<std::string> files(std::begin(kProductFiles), std::end(kProductFiles));
  for (const std::string& name : files)
    ASSERT_TRUE(CopyFileA(Dist(name).c_str(), (source + "\\" + name).c_str(), FALSE)) << name;
  const std::string program = source + "\\SETUP.EXE";
  ASSERT_TRUE(CopyFileA(Dist("SETUP.EXE").c_str(), program.c_str(), FALSE));

  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest + "\\", source, program));
  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());
  ExpectInstalled(dest, files);

  setup_ = Process();
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(source + "\\", source, program));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Destination directory cannot be " + source));
  ASSERT_NO_FATAL_FAILURE(ExpectFailedInstall());
}

}  // namespace
