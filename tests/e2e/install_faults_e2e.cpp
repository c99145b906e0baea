// What goes wrong around the copy of the real SETUP.EXE, and what the user
// is told: a missing source, the program run from its own destination, files
// at the destination that cannot be replaced, destinations that cannot be
// made, and a disk that fills up.
#include "tests/e2e/install_e2e_support.h"

namespace {

using namespace install_e2e;

// An open handle of this process on a file, without sharing: nobody else
// can open it while the object lives.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldFile() { Release(); }
  void Release() {
    if (handle_ != INVALID_HANDLE_VALUE)
      CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class CopyFaults : public InstallRun {
 protected:
  // A destination that exists and holds one old file.
  void PrepareDestination(const std::string& oldFile) {
    dest_ = Under("faults");
    ASSERT_TRUE(CreateDirectories(dest_));
    ASSERT_TRUE(WriteWholeFile(Dest(oldFile), Bytes("old " + oldFile)));
  }
  std::string Dest(const std::string& name) const { return JoinPath(dest_, name); }

  void ExpectOld(const std::string& name) {
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadWholeFile(Dest(name), &bytes));
    EXPECT_EQ(Bytes("old " + name), bytes) << name << " was touched";
  }
  void ExpectAbsent(size_t from) {
    for (size_t i = from; i < sizeof(kProductFiles) / sizeof(kProductFiles[0]); i++)
      EXPECT_FALSE(FileExists(Dest(kProductFiles[i]))) << kProductFiles[i] << " was made";
  }

  std::string dest_;
};

TEST_F(CopyFaults, AMissingSourceIsFoundBeforeAnyDestinationFileIsTouched) {
  ASSERT_TRUE(DeleteFileA(Dist("TESKDB.FON").c_str()));
  ASSERT_NO_FATAL_FAILURE(PrepareDestination("ORLO.EXE"));
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest_));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Can't open filename: " + dist_ + "\\TESKDB.FON"));
  ASSERT_NO_FATAL_FAILURE(ExpectFailedInstall());
  ExpectOld("ORLO.EXE");
  ExpectAbsent(1);
}

TEST_F(CopyFaults, TheProgramsOwnDirectoryCannotBeTheDestination) {
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dist_ + "\\"));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Destination directory cannot be " + dist_));
  ASSERT_NO_FATAL_FAILURE(ExpectFailedInstall());
  for (const char* name : kProductFiles)
    EXPECT_TRUE(FilesEqual(JoinPath(DistDir(), name), Dist(name))) << name << " was truncated";
}

TEST_F(CopyFaults, AFontInUseIsSkippedAndTheInstallSucceeds) {
  ASSERT_NO_FATAL_FAILURE(PrepareDestination("TESK.FON"));
  HeldFile font(Dest("TESK.FON"));
  ASSERT_TRUE(font.held());
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest_));
  ASSERT_NO_FATAL_FAILURE(WaitForProgressDialog());
  HWND appGroup = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Create Application Group", &appGroup))
      << DescribeWindows(setup_.pid());

  // The skipped file still counts in the total: the bar stops short.
  BarReading bar;
  ASSERT_TRUE(ReadEndedBar(progress_, &bar));
  EXPECT_GT(bar.white, 0) << "no white part: the bar reached 100%";
  EXPECT_EQ(RGB(255, 255, 255), bar.last);

  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());
  font.Release();
  ExpectOld("TESK.FON");
  ExpectInstalled(dest_, {"ORLO.EXE", "README.TXT", "ORLO.HLP", "MFC30.DLL", "MFCN30.DLL",
                          "MSVCRT20.DLL", "TESKW.FON", "TESKDT.FON", "TESKDB.FON"});
}

TEST_F(CopyFaults, AnotherFileInUseStopsTheCopy) {
  ASSERT_NO_FATAL_FAILURE(PrepareDestination("README.TXT"));
  HeldFile held(Dest("README.TXT"));
  ASSERT_TRUE(held.held());
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest_));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Can't open filename: " + Dest("README.TXT")));
  ASSERT_NO_FATAL_FAILURE(ExpectFailedInstall());
  ExpectInstalled(dest_, {"ORLO.EXE"});
  held.Release();
  ExpectOld("README.TXT");
  ExpectAbsent(2);
}

TEST_F(CopyFaults, AReadOnlyFontStopsTheCopy) {
  ASSERT_NO_FATAL_FAILURE(PrepareDestination("TESKW.FON"));
  install_test::ReadOnlyFile readOnly(Dest("TESKW.FON"));
  ASSERT_TRUE(readOnly.IsReadOnly());
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest_));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Can't open filename: " + Dest("TESKW.FON")));
  ASSERT_NO_FATAL_FAILURE(ExpectFailedInstall());
  ExpectInstalled(dest_, {"ORLO.EXE", "README.TXT", "ORLO.HLP", "MFC30.DLL", "MFCN30.DLL",
                          "MSVCRT20.DLL", "TESK.FON"});
  ExpectOld("TESKW.FON");
  ExpectAbsent(8);
}

TEST_F(CopyFaults, AFullDiskEndsTheCopyInOrder) {
  ASSERT_NO_FATAL_FAILURE(PrepareDestination("README.TXT"));
  install_test::UnixSymlink full("/dev/full", Dest("ORLO.HLP"));
  ASSERT_TRUE(full.made());
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest_));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Unable to write file: " + Dest("ORLO.HLP")));
  ASSERT_NO_FATAL_FAILURE(ExpectFailedInstall());
  ExpectInstalled(dest_, {"ORLO.EXE", "README.TXT"});
  ExpectAbsent(3);
}

// Destinations that cannot be made: the message shows the text as typed.
using DestinationFaults = InstallRun;

TEST_F(DestinationFaults, DriveRoot) {
  ASSERT_NO_FATAL_FAILURE(StartAndEnter("C:\\"));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Unable to create destination directory: C:\\"));
  ExpectEnd();
}

TEST_F(DestinationFaults, EmptyText) {
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(""));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Unable to create destination directory: "));
  ExpectEnd();
}

TEST_F(DestinationFaults, AFileWhereAParentShouldBe) {
  ASSERT_TRUE(WriteWholeFile(Under("file"), Bytes("a file")));
  const std::string typed = std::string(kDestRoot) + "\\file\\sub/dir\\";
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(typed));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Unable to create destination directory: " + typed));
  ExpectEnd();
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(ReadWholeFile(Under("file"), &bytes));
  EXPECT_EQ(Bytes("a file"), bytes);
}

}  // namespace
