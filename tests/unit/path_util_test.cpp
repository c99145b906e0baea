// NormalizePath, DropTrailingBlanksAndDots, MakeAbsolutePath and
// CreateDirectoryTree, the last two on the real file system.
#include <gtest/gtest.h>

#include "paths/path_util.h"
#include "tests/unit/install_test_support.h"

using install_test::MessageBoxCatcher;
using install_test::ScratchDir;

namespace {

std::string Normalized(const char* psz) {
  CString str(psz);
  NormalizePath(str);
  return std::string((LPCSTR)str);
}

TEST(NormalizePath, RewritesSeparatorsAndDropsOneTrailingBackslash) {
  EXPECT_EQ("C:\\ORLO\\BIN", Normalized("C:/ORLO//BIN/"));
  EXPECT_EQ("C:\\ORLO", Normalized("C:\\ORLO"));
  EXPECT_EQ("C:\\ORLO", Normalized("C:\\ORLO\\"));
  EXPECT_EQ("C:", Normalized("C:\\"));
  EXPECT_EQ("", Normalized("\\"));
  EXPECT_EQ("", Normalized(""));
  EXPECT_EQ("", Normalized("/\\//"));
  EXPECT_EQ("C:\\A\\B\\C", Normalized("C:\\/A/\\/B////C\\\\"));
  EXPECT_EQ("ORLO", Normalized("ORLO"));
}

TEST(NormalizePath, KeepsTheTwoBackslashesBeforeAServerName) {
  EXPECT_EQ("\\\\SERVER\\SHARE", Normalized("\\\\SERVER\\SHARE"));
  EXPECT_EQ("\\\\SERVER\\SHARE\\ORLO", Normalized("//SERVER/SHARE//ORLO/"));
  EXPECT_EQ("\\SERVER", Normalized("\\\\\\SERVER")) << "no server name after two";
  EXPECT_EQ("", Normalized("\\\\"));
}

TEST(DropTrailingBlanksAndDots, TrimsTheEndOfEveryName) {
  struct Case {
    const char* typed;
    const char* trimmed;  // nullptr: refused
  } cases[] = {
      {"C:\\ORLO ", "C:\\ORLO"},
      {"C:\\My Apps \\ORLO", "C:\\My Apps\\ORLO"},
      {"C:/My Apps. /ORLO. ./", "C:/My Apps/ORLO/"},
      {"C:.", "C:."},  // "." on drive C: its current directory
      {"C: ", nullptr},
      {"\\\\SERVER \\SHARE.\\ORLO. ", "\\\\SERVER \\SHARE.\\ORLO"},  // the network's names
      {"..\\.\\ORLO\\..", "..\\.\\ORLO\\.."},  // "." and ".." keep their meaning
      {"C:\\ORLO\\...\\ \\X", nullptr},
      {". \\ORLO", nullptr},
      {" ORLO.V1", " ORLO.V1"},
      {"", ""},
  };
  for (const Case& c : cases) {
    CString str(c.typed);
    BOOL bKept = DropTrailingBlanksAndDots(str);
    EXPECT_EQ(c.trimmed != nullptr, bKept != FALSE) << "typed \"" << c.typed << "\"";
    EXPECT_EQ(c.trimmed ? c.trimmed : c.typed, std::string((LPCSTR)str))
        << "typed \"" << c.typed << "\"";
  }
}

TEST(MakeAbsolutePath, ResolvesOnlyWhatIsNotAbsolute) {
  ScratchDir scratch("orlo-absolute");
  char szOld[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, szOld);
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));
  const std::string cwd = scratch.path();
  const std::string drive = cwd.substr(0, 2);
  // Wine resolves no path whose full form is longer than MAX_PATH.
  const std::string tooLong(MAX_PATH - cwd.size(), 'd');
  struct Case {
    std::string typed;
    std::string absolute;
    bool resolved = true;
  } cases[] = {
      {"C:\\ORLO\\", "C:\\ORLO\\"},
      {"c:/orlo//x/", "c:/orlo//x/"},
      {"\\\\SERVER\\SHARE\\ORLO", "\\\\SERVER\\SHARE\\ORLO"},
      {"//SERVER/SHARE/ORLO", "//SERVER/SHARE/ORLO"},
      {"RELDEST\\SUB", cwd + "\\RELDEST\\SUB"},
      {"RELDEST/SUB/", cwd + "\\RELDEST\\SUB\\"},
      {"\\ORLO", drive + "\\ORLO"},
      {drive + "ORLO", cwd + "\\ORLO"},
      {"C:", "C:"},  // the drive, not its current directory
      {"c:", "c:"},
      {"", "", false},
      {tooLong, tooLong, false},
  };
  for (const Case& c : cases) {
    CString str(c.typed.c_str());
    EXPECT_EQ(c.resolved, MakeAbsolutePath(str) != FALSE) << "typed \"" << c.typed << "\"";
    EXPECT_EQ(c.absolute, std::string((LPCSTR)str)) << "typed \"" << c.typed << "\"";
  }
  SetCurrentDirectoryA(szOld);
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class CreateDirectoryTreeTest : public ::testing::Test {
 protected:
  ScratchDir scratch_{"orlo-tree"};
  MessageBoxCatcher boxes_;
};

TEST_F(CreateDirectoryTreeTest, MakesEveryMissingParent) {
  std::string path = scratch_ / "one\\two\\three";
  EXPECT_TRUE(CreateDirectoryTree(path.c_str()));
  EXPECT_TRUE(IsDirectory(scratch_ / "one")) << path;
  EXPECT_TRUE(IsDirectory(path)) << path;
  EXPECT_EQ(0u, boxes_.Texts().size());
}

TEST_F(CreateDirectoryTreeTest, AnExistingDirectoryIsFine) {
  EXPECT_TRUE(CreateDirectoryTree(scratch_.path().c_str()));
  EXPECT_TRUE(CreateDirectoryTree(scratch_.path().c_str())) << "second time";
  EXPECT_EQ(0u, boxes_.Texts().size());
}

TEST_F(CreateDirectoryTreeTest, APathWithoutBackslashGetsOneAttemptAndNoMessage) {
  EXPECT_FALSE(CreateDirectoryTree("C:")) << "a drive names an existing directory";
  EXPECT_FALSE(CreateDirectoryTree("")) << "empty path";

  // Relative and already present: no backslash, so "already exists" is not
  // accepted; with a backslash it is.
  char szOld[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, szOld);
  ASSERT_TRUE(SetCurrentDirectoryA(scratch_.path().c_str()));
  EXPECT_TRUE(CreateDirectoryA("present", NULL));
  EXPECT_FALSE(CreateDirectoryTree("present"));
  EXPECT_TRUE(CreateDirectoryTree(".\\present"));
  EXPECT_TRUE(CreateDirectoryTree("fresh")) << "made in one attempt";
  EXPECT_TRUE(IsDirectory(scratch_ / "fresh"));
  SetCurrentDirectoryA(szOld);
  EXPECT_EQ(0u, boxes_.Texts().size());
}

TEST_F(CreateDirectoryTreeTest, AnUnexpectedErrorIsShownOnceAndFails) {
  // A name the file system refuses gives an error code that is neither
  // "not found", "access denied" nor "already exists".
  std::string bad = scratch_ / "a*b";
  SetLastError(0);
  ASSERT_FALSE(CreateDirectoryA(bad.c_str(), NULL));
  DWORD dwError = GetLastError();
  ASSERT_TRUE(dwError != 2 && dwError != 3 && dwError != 5 && dwError != 183) << dwError;

  EXPECT_FALSE(CreateDirectoryTree((bad + "\\deeper").c_str()));
  std::vector<std::string> texts = boxes_.Texts();
  ASSERT_EQ(1u, texts.size());
  EXPECT_EQ("CreateDirectory failed, err = " + std::to_string(dwError) + "\n", texts[0]);
}

TEST_F(CreateDirectoryTreeTest, AFileStandingForTheParentEndsWithFalse) {
  // The parent "exists" (as a file), so it is accepted, and the path below it
  // keeps failing with "path not found": this must end, not recurse.
  ASSERT_TRUE(e2e::WriteWholeFile(scratch_ / "file", "x"));
  EXPECT_FALSE(CreateDirectoryTree((scratch_ / "file\\sub").c_str()));
  EXPECT_FALSE(CreateDirectoryTree((scratch_ / "file\\sub\\deeper\\still").c_str()));
  EXPECT_EQ(0u, boxes_.Texts().size()) << boxes_.Texts()[0];
  EXPECT_TRUE(e2e::FileHolds(scratch_ / "file", "x"));
}

}  // namespace
