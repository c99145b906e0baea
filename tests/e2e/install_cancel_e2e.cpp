// Cancelling the copy of the real SETUP.EXE by the Cancel button, by Esc and
// by the close box: "Failed to install ORLO" and nothing more; what was
// copied stays, the file in progress keeps what was written, later files are
// untouched.
#include "tests/e2e/install_e2e_support.h"

namespace {

using namespace install_e2e;

const size_t kLargeFile = 24 << 20;

class CancelCopy : public InstallRun {
 protected:
  // The copy of the scratch copy's file `large` takes a while; every file of
  // the destination already holds an old text, so that untouched files show.
  void Prepare(const std::string& large) {
    ASSERT_TRUE(WriteWholeFile(Dist(large), Payload(large, kLargeFile)));
    dest_ = Under("cancel");
    ASSERT_TRUE(CreateDirectories(dest_));
    for (const char* name : kProductFiles)
      ASSERT_TRUE(WriteWholeFile(JoinPath(dest_, name), std::string("old ") + name));
    ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest_));
  }

  // Waits until the copy of name has written at least bytes.
  void WaitForWritten(const std::string& name, long long bytes) {
    ASSERT_NO_FATAL_FAILURE(WaitForCopying(name));
    std::string path = JoinPath(dest_, name);
    PollUntil([&] { return FileSize(path) >= bytes; });
    ASSERT_GE(FileSize(path), bytes) << path;
  }

  // After the cancel of the copy of `current`, number `index` in the list.
  void ExpectCancelledAt(size_t index) {
    ASSERT_NO_FATAL_FAILURE(ExpectFailedInstall());
    for (size_t i = 0; i < index; i++)
      EXPECT_TRUE(FilesEqual(Dist(kProductFiles[i]), JoinPath(dest_, kProductFiles[i])))
          << "copied before the cancel: " << kProductFiles[i];
    std::string current = JoinPath(dest_, kProductFiles[index]);
    long long size = FileSize(current);
    EXPECT_LT(size, (long long)kLargeFile) << "the file in progress stops where it was";
    EXPECT_EQ(0, size % 4096) << "whole chunks only: " << size;
    EXPECT_TRUE(IsPrefixOf(current, Dist(kProductFiles[index])));
    for (size_t i = index + 1; i < sizeof(kProductFiles) / sizeof(kProductFiles[0]); i++)
      EXPECT_TRUE(
          FileHolds(JoinPath(dest_, kProductFiles[i]), std::string("old ") + kProductFiles[i]))
          << "later file touched";
    EXPECT_FALSE(IsWindow(progress_)) << "no window outlives the program";
  }

  std::string dest_;
};

TEST_F(CancelCopy, CancelButtonAtTheFirstFile) {
  ASSERT_NO_FATAL_FAILURE(Prepare("ORLO.EXE"));
  ASSERT_NO_FATAL_FAILURE(WaitForCopying("ORLO.EXE"));
  ASSERT_TRUE(ClickControl(progress_, IDCANCEL));
  ASSERT_NO_FATAL_FAILURE(ExpectCancelledAt(0));
}

TEST_F(CancelCopy, CancelButtonInTheMiddleOfALargeFile) {
  ASSERT_NO_FATAL_FAILURE(Prepare("MFC30.DLL"));
  ASSERT_NO_FATAL_FAILURE(WaitForWritten("MFC30.DLL", 1 << 20));
  ASSERT_TRUE(ClickControl(progress_, IDCANCEL));
  ASSERT_NO_FATAL_FAILURE(ExpectCancelledAt(3));
  EXPECT_GE(FileSize(JoinPath(dest_, "MFC30.DLL")), 1 << 20);
}

TEST_F(CancelCopy, EscapeKey) {
  ASSERT_NO_FATAL_FAILURE(Prepare("MFCN30.DLL"));
  ASSERT_NO_FATAL_FAILURE(WaitForWritten("MFCN30.DLL", 1 << 20));
  ASSERT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(progress_, IDCANCEL)));
  ASSERT_TRUE(PressEscape(setup_.mainThreadId()));
  ASSERT_NO_FATAL_FAILURE(ExpectCancelledAt(4));
}

TEST_F(CancelCopy, CloseBox) {
  ASSERT_NO_FATAL_FAILURE(Prepare("TESKDT.FON"));
  ASSERT_NO_FATAL_FAILURE(WaitForWritten("TESKDT.FON", 1 << 20));
  ASSERT_TRUE(SendClose(progress_));
  ASSERT_NO_FATAL_FAILURE(ExpectCancelledAt(8));
}

}  // namespace
