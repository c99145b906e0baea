// What goes wrong around the copy of the real SETUP.EXE, and what the user
// is told: a missing source, the program run from its own destination, files
// at the destination that cannot be replaced, destinations that cannot be
// made, a disk that fills up, and a program path too long for the program.
#include <memory>

#include "tests/e2e/install_e2e_support.h"

namespace {

using namespace install_e2e;

// An open handle of this process on a file for reading, by default without
// sharing: nobody else can open it while the object lives.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path, DWORD share = 0)
      : handle_(
            CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
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
    ASSERT_TRUE(WriteWholeFile(Dest(oldFile), "old " + oldFile));
  }
  std::string Dest(const std::string& name) const { return JoinPath(dest_, name); }

  void ExpectOld(const std::string& name) {
    EXPECT_TRUE(FileHolds(Dest(name), "old " + name)) << name << " was touched";
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
  ASSERT_NO_FATAL_FAILURE(WaitForGroupQuestion(&appGroup));

  // The skipped file still counts in the total: the bar stops short.
  BarReading bar;
  ASSERT_TRUE(ReadEndedBar(progress_, &bar));
  EXPECT_GT(bar.white, 0) << "no white part: the bar reached 100%";
  EXPECT_EQ(RGB(255, 255, 255), bar.last);

  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());
  font.Release();
  ExpectOld("TESK.FON");
  ExpectInstalled(dest_, ProductFilesExcept("TESK.FON"));
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

TEST_F(CopyFaults, ASourceThatAnotherProgramReadsIsCopied) {
  // As a second installer or a virus scanner reads it: sharing it for reading.
  HeldFile reader(Dist("ORLO.HLP"), FILE_SHARE_READ);
  ASSERT_TRUE(reader.held());
  dest_ = Under("read-elsewhere");
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest_));
  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());
  ExpectInstalled(dest_,
                  std::vector<std::string>(std::begin(kProductFiles), std::end(kProductFiles)));
}

TEST_F(CopyFaults, AReadOnlyFontStopsTheCopy) {
  ASSERT_NO_FATAL_FAILURE(PrepareDestination("TESKW.FON"));
  install_test::ReadOnlyFile readOnly(Dest("TESKW.FON"));
  ASSERT_TRUE(readOnly.IsReadOnly());
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest_));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Can't open filename: " + Dest("TESKW.FON")));
  ASSERT_NO_FATAL_FAILURE(ExpectFailedInstall());
  ExpectInstalled(dest_, ProductFilesUpTo("TESK.FON"));
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

// "C:" names the drive, refused as its root is. A name of nothing but blanks
// and dots is refused too: Windows reads it by where it stands, and dropped
// to nothing it names a drive's root. Nothing is put anywhere; below the
// name of kDestRoot, a path that lost such a name would land in kDestRoot.
TEST_F(DestinationFaults, ADriveOrANameOfBlanksAndDots) {
  const std::string start = Under("start");
  ASSERT_TRUE(CreateDirectories(start));
  for (const char* typed :
       {"C:", "C: ", "...\\orlo-e2e-install\\ORLO", ". \\orlo-e2e-install\\ORLO"}) {
    SCOPED_TRACE(std::string("typed \"") + typed + "\"");
    setup_ = Process();
    ASSERT_NO_FATAL_FAILURE(StartAndEnter(typed, start));
    ExpectMessage(std::string("Unable to create destination directory: ") + typed);
    EXPECT_EQ(std::vector<std::string>{}, DirectoryEntries(start));
    EXPECT_EQ(std::vector<std::string>{"start"}, DirectoryEntries(kDestRoot));
    ExpectEnd();
  }
}

// As Windows copies a path: in double quotes. The system refuses the name.
TEST_F(DestinationFaults, AQuotedPathIsNamedAsTyped) {
  const std::string typed = "\"" + Under("Quoted\\ORLO") + "\"";
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(typed));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("CreateDirectory failed, err = 123\n"));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Unable to create destination directory: " + typed));
  ExpectEnd();
}

TEST_F(DestinationFaults, AFileWhereAParentShouldBe) {
  ASSERT_TRUE(WriteWholeFile(Under("file"), "a file"));
  const std::string typed = std::string(kDestRoot) + "\\file\\sub/dir\\";
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(typed));
  ASSERT_NO_FATAL_FAILURE(ExpectMessage("Unable to create destination directory: " + typed));
  ExpectEnd();
  EXPECT_TRUE(FileHolds(Under("file"), "a file"));
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The scratch copy at the root of a drive of its own, O:, mapped through
// the prefix's dosdevices; O:\DOCS holds decoys of the product's files. The
// program started there must not take "O:", which names the directory that
// is current on that drive, for its own directory.
class DriveRootProgram : public InstallRun {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(InstallRun::SetUp());
    ASSERT_TRUE(CreateDirectories(Dist("DOCS")));
    for (const char* name : kProductFiles)
      ASSERT_TRUE(WriteWholeFile(Dist("DOCS\\") + name, std::string("decoy ") + name));
    std::string dosDevices = install_test::DosDevicesUnixPath();
    ASSERT_FALSE(dosDevices.empty()) << "no Unix path for C:";
    // The test prefix has no O: of its own; one left by an interrupted run
    // is replaced.
    link_ = dosDevices + "o:";
    ASSERT_TRUE(install_test::StartUnixProgram("/bin/ln -sfn " + install_test::UnixPathOf(dist_) +
                                               " " + link_));
    ASSERT_TRUE(PollUntil([] { return FileExists("O:\\SETUP.EXE"); }))
        << "O: does not show " << dist_;
  }
  void TearDown() override {
    setup_.Kill();
    if (!link_.empty() && install_test::StartUnixProgram("/bin/rm -f " + link_))
      PollUntil([] { return !DirectoryExists(kRoot); });
    InstallRun::TearDown();
  }

  static constexpr const char* kRoot = "O:\\";
  std::string link_;
};

TEST_F(DriveRootProgram, InstallsItsOwnFilesNotThoseOfTheCurrentDirectoryOnItsDrive) {
  const std::string dest = Under("from-root");
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest, "O:\\DOCS", "O:\\SETUP.EXE"));
  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());
  ExpectInstalled(dest,
                  std::vector<std::string>(std::begin(kProductFiles), std::end(kProductFiles)));
}

// SETUP.EXE started from a path that Wine's CreateProcess refuses: by Wine's
// own loader, from a shell started through start.exe, in the directory
// currentUnixDir. Found by its Welcome dialog; ended, if still running,
// when the object goes.
class LoaderStartedProcess {
 public:
  LoaderStartedProcess() = default;
  ~LoaderStartedProcess() {
    if (!process_)
      return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, ScaledMs(kDefaultTimeoutMs));
    }
    CloseHandle(process_);
  }
  LoaderStartedProcess(const LoaderStartedProcess&) = delete;
  LoaderStartedProcess& operator=(const LoaderStartedProcess&) = delete;

  Result Start(const std::string& exeUnixPath, const std::string& currentUnixDir, HWND* welcome) {
    if (!install_test::StartUnixProgram("/bin/sh -c \"cd " + currentUnixDir + " && exec wine " +
                                        exeUnixPath + "\""))
      return ::testing::AssertionFailure() << "cannot start the shell";
    Result seen = WaitForWindowMatching(
        0, [](const WindowInfo& w) { return w.visible && w.caption == "Welcome"; }, "Welcome",
        welcome);
    if (!seen)
      return seen;
    GetWindowThreadProcessId(*welcome, &pid_);
    process_ =
        OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid_);
    if (!process_)
      return ::testing::AssertionFailure() << "cannot open process " << pid_;
    return ::testing::AssertionSuccess();
  }
  DWORD pid() const { return pid_; }
  bool WaitForExit(DWORD* exitCode) {
    return WaitForSingleObject(process_, ScaledMs(kDefaultTimeoutMs)) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(process_, exitCode);
  }

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// A copy of the distribution directory whose path is longer than MAX_PATH,
// where the ANSI directory functions stop, in GetParam() levels of 191
// characters: 3 levels make about 600 characters, 6 more than the 1024 the
// program reserves for its own file name. Made and removed with the wide,
// \\?\ forms.
class LongProgramPath : public InstallRun, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    skipped_ = sizeof(void*) == 4;
    if (skipped_)
      GTEST_SKIP() << "Wine 10 starts no 32-bit program from beyond MAX_PATH (Windows does); "
                      "the x86_64 build runs this case";
    ASSERT_NO_FATAL_FAILURE(InstallRun::SetUp());
    longDir_ = Under("long");
    for (int level = 0; level < GetParam(); level++)
      longDir_ += "\\" + std::string(190, 'd') + std::to_string(level);
    std::string made = kDestRoot;
    for (size_t at = strlen(kDestRoot) + 1; at <= longDir_.size(); at++) {
      if (at == longDir_.size() || longDir_[at] == '\\') {
        ASSERT_TRUE(CreateDirectoryW(Wide("\\\\?\\" + longDir_.substr(0, at)).c_str(), nullptr))
            << "cannot make a directory " << at << " characters long";
      }
    }
    std::vector<std::string> names(std::begin(kProductFiles), std::end(kProductFiles));
    names.push_back("SETUP.EXE");
    for (const std::string& name : names)
      ASSERT_TRUE(CopyFileW(Wide("\\\\?\\" + Dist(name)).c_str(),
                            Wide("\\\\?\\" + longDir_ + "\\" + name).c_str(), FALSE))
          << name;
  }
  void TearDown() override {
    if (skipped_)
      return;
    longSetup_.reset();
    InstallRun::TearDown();
  }

  bool skipped_ = false;
  std::string longDir_;
  std::unique_ptr<LoaderStartedProcess> longSetup_{new LoaderStartedProcess};
};

TEST_P(LongProgramPath, IsAFailureRatherThanACopyFromElsewhere) {
  ASSERT_GT(longDir_.size(), (size_t)MAX_PATH);
  // Started with the scratch copy as the current directory: a program that
  // went on without entering its own directory would install from there.
  std::string longUnix =
      install_test::UnixPathOf(Under("long")) + longDir_.substr(Under("long").size());
  for (char& ch : longUnix)
    if (ch == '\\')
      ch = '/';
  HWND welcome = nullptr;
  ASSERT_TRUE(
      longSetup_->Start(longUnix + "/SETUP.EXE", install_test::UnixPathOf(dist_), &welcome));
  DWORD pid = longSetup_->pid();
  ASSERT_TRUE(ClickControl(welcome, IDOK));
  HWND installDir = nullptr;
  ASSERT_TRUE(WaitForWindow(pid, "Install Directory", &installDir));
  const std::string dest = Under("dest");
  ASSERT_TRUE(ReplaceText(Control(installDir, IDC_DEST_DIR), dest));
  ASSERT_TRUE(ClickControl(installDir, IDOK));
  std::vector<HWND> answered;
  for (const char* text :
       {"Unable to get the directory of the setup program", "Failed to install ORLO"}) {
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(pid, &box, kDefaultTimeoutMs, answered)) << DescribeWindows(pid);
    EXPECT_EQ(text, box.text);
    answered.push_back(box.hwnd);
    ASSERT_TRUE(ClickControl(box.hwnd, IDOK));
  }
  DWORD exitCode = 1234;
  ASSERT_TRUE(longSetup_->WaitForExit(&exitCode))
      << "still runs after " << ScaledMs(kDefaultTimeoutMs) << " ms:" << DescribeWindows(pid);
  EXPECT_EQ(0u, exitCode);
  EXPECT_TRUE(DirectoryExists(dest)) << "made before the program looks for its directory";
  for (const char* name : kProductFiles)
    EXPECT_FALSE(FileExists(JoinPath(dest, name))) << name << " was installed";
}

INSTANTIATE_TEST_SUITE_P(Levels, LongProgramPath, ::testing::Values(3, 6),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param < 6 ? std::string("BeyondMaxPath")
                                                 : std::string("BeyondItsBuffer");
                         });

}  // namespace
