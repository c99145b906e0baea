// The install job in this process: destination handling and the copy on the
// real file system, with the real progress dialog, failures included.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "install/file_installer.h"
#include "res/resource.h"
#include "tests/unit/install_test_support.h"

using e2e::FileExists;
using e2e::FileHolds;
using e2e::FilesEqual;
using e2e::WriteWholeFile;
using install_test::MessageBoxCatcher;
using install_test::ScratchDir;

namespace {

// Reaches the job's progress dialog.
class InstallerProbe : public CFileInstaller {
 public:
  CProgressDlg& Dialog() { return m_dlgProgress; }
  HWND DialogWindow() const { return m_dlgProgress.GetSafeHwnd(); }
};

std::string DialogText(HWND hDlg, int id) {
  char sz[1024] = "";
  GetDlgItemTextA(hDlg, id, sz, sizeof(sz));
  return sz;
}

// A file nobody else holds: opening it without sharing succeeds.
bool IsReleased(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(h);
  return true;
}

// Replaces one imported function of this test program while the object
// lives. The copy reaches the file system through the program's import
// table, so a test sees every call it makes there, in order.
class ImportPatch {
 public:
  ImportPatch(const char* pszFunction, void* pReplacement) {
    slot_ = FindImportSlot(pszFunction);
    DWORD dwOld = 0;
    if (slot_ && VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &dwOld)) {
      original_ = *slot_;
      *slot_ = pReplacement;
    }
  }
  ~ImportPatch() {
    if (original_)
      *slot_ = original_;
  }
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

  bool patched() const { return original_ != nullptr; }
  void* original() const { return original_; }

 private:
  static void** FindImportSlot(const char* pszFunction) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(NULL));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         dll->Name; dll++) {
      auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
      auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
      for (; name->u1.AddressOfData; name++, slot++) {
        if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
          continue;
        auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
        if (strcmp(reinterpret_cast<const char*>(byName->Name), pszFunction) == 0)
          return reinterpret_cast<void**>(&slot->u1.Function);
      }
    }
    return nullptr;
  }

  void** slot_ = nullptr;
  void* original_ = nullptr;
};

// A source directory made current for the copy, and a destination next to it.
class CopyFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, oldDir_);
    ASSERT_TRUE(CreateDirectoryA(source_.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(dest_.c_str(), NULL));
    ASSERT_TRUE(SetCurrentDirectoryA(source_.c_str()));
  }
  void TearDown() override { SetCurrentDirectoryA(oldDir_); }

  void AddSource(InstallerProbe& job, const std::string& name, size_t size) {
    ASSERT_TRUE(WriteWholeFile(Source(name), e2e::Payload(name, size)));
    job.AddFile(name.c_str());
  }
  std::string Source(const std::string& name) const { return source_ + "\\" + name; }
  std::string Dest(const std::string& name) const { return dest_ + "\\" + name; }

  ScratchDir scratch_{"orlo-copy"};
  std::string source_ = scratch_ / "dist";
  std::string dest_ = scratch_ / "dest";
  MessageBoxCatcher boxes_;

 private:
  char oldDir_[MAX_PATH];
};

TEST(FileInstaller, KeepsTheDestinationNormalized) {
  CFileInstaller job;
  EXPECT_EQ("", std::string((LPCSTR)job.GetDestination()));
  job.SetDestination("C:\\ORLO\\");
  EXPECT_EQ("C:\\ORLO", std::string((LPCSTR)job.GetDestination()));
  job.SetDestination("c:/orlo//bin/");
  EXPECT_EQ("c:\\orlo\\bin", std::string((LPCSTR)job.GetDestination()));
}

TEST_F(CopyFilesTest, CreateDestinationAcceptsAnExistingDirectory) {
  InstallerProbe job;
  job.SetDestination((dest_ + "\\").c_str());
  EXPECT_TRUE(job.CreateDestination());
  job.SetDestination((dest_ + "/new//deeper/").c_str());
  EXPECT_TRUE(job.CreateDestination());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Dest("new\\deeper").c_str()));
  EXPECT_EQ(0u, boxes_.Texts().size());
}

TEST_F(CopyFilesTest, CopiesEveryFileAndEndsTheDialog) {
  HWND hDlg = NULL;
  {
    InstallerProbe job;
    job.SetDestination((dest_ + "/").c_str());
    AddSource(job, "ORLO.EXE", 10000);
    AddSource(job, "EMPTY.TXT", 0);
    AddSource(job, "EXACT.DLL", 8192);
    AddSource(job, "TESK.FON", 4097);
    ASSERT_TRUE(WriteWholeFile(Dest("ORLO.EXE"), std::string(50000, 'o'))) << "longer old file";

    EXPECT_TRUE(job.CopyFiles());
    hDlg = job.DialogWindow();
    ASSERT_NE(nullptr, hDlg);
    EXPECT_FALSE(IsWindowVisible(hDlg)) << "ended through OK";
    EXPECT_EQ(&job.Dialog(), CWnd::FromHandlePermanent(hDlg)) << "the window maps to its object";
    EXPECT_FALSE(job.Dialog().m_bCancelled);
    EXPECT_EQ("Copying: TESK.FON", DialogText(hDlg, IDC_COPYING));
    EXPECT_EQ("To: " + Dest("TESK.FON"), DialogText(hDlg, IDC_TO));
    for (const char* name : {"ORLO.EXE", "EMPTY.TXT", "EXACT.DLL", "TESK.FON"}) {
      EXPECT_TRUE(FilesEqual(Source(name), Dest(name)));
      EXPECT_TRUE(IsReleased(Source(name))) << name << " source still open";
      EXPECT_TRUE(IsReleased(Dest(name))) << name << " destination still open";
    }
  }
  EXPECT_FALSE(IsWindow(hDlg)) << "the dialog's window goes with the job";
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hDlg)) << "and so does its entry in the map";
  EXPECT_EQ(0u, boxes_.Texts().size());
}

TEST_F(CopyFilesTest, AnEmptyListSucceeds) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  EXPECT_TRUE(job.CopyFiles());
  EXPECT_FALSE(IsWindowVisible(job.DialogWindow()));
}

TEST_F(CopyFilesTest, ANameListedTwiceIsCopiedTwice) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  AddSource(job, "README.TXT", 5000);
  job.AddFile("README.TXT");
  EXPECT_TRUE(job.CopyFiles());
  EXPECT_TRUE(FilesEqual(Source("README.TXT"), Dest("README.TXT")));
}

TEST_F(CopyFilesTest, CancelBeforeTheStartTouchesNothing) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  AddSource(job, "ORLO.EXE", 100);
  job.Dialog().m_bCancelled = TRUE;
  EXPECT_FALSE(job.CopyFiles());
  EXPECT_FALSE(FileExists(Dest("ORLO.EXE")));
  EXPECT_EQ(0u, boxes_.Texts().size()) << "a cancel shows nothing";
}

// What the two tests below watch of the copy's calls.
std::vector<DWORD> g_readSizes;
size_t g_failingRead = 0;  // 1-based; 0: none fails
ImportPatch* g_readPatch = nullptr;
std::string g_cancelWhenOpened;
InstallerProbe* g_cancelJob = nullptr;
ImportPatch* g_openPatch = nullptr;

BOOL WINAPI RecordingReadFile(HANDLE hFile, LPVOID pBuffer, DWORD dwToRead, LPDWORD pdwRead,
                              LPOVERLAPPED pOverlapped) {
  g_readSizes.push_back(dwToRead);
  if (g_readSizes.size() == g_failingRead) {
    SetLastError(ERROR_READ_FAULT);
    return FALSE;
  }
  auto pfnRead = reinterpret_cast<decltype(&ReadFile)>(g_readPatch->original());
  return pfnRead(hFile, pBuffer, dwToRead, pdwRead, pOverlapped);
}

// The job's copy with its reads recorded in g_readSizes; read number
// failingRead (from 1) fails, none when it is 0.
BOOL CopyWatchingReads(InstallerProbe& job, size_t failingRead) {
  ImportPatch patch("ReadFile", reinterpret_cast<void*>(&RecordingReadFile));
  EXPECT_TRUE(patch.patched());
  g_readPatch = &patch;
  g_readSizes.clear();
  g_failingRead = failingRead;
  BOOL bCopied = job.CopyFiles();
  g_failingRead = 0;
  return bCopied;
}

// Queues a Cancel once the named file is opened: after the last pump before
// the file's first chunk is read, so the pump after that read finds it.
HANDLE WINAPI CancellingCreateFileA(LPCSTR pszName, DWORD dwAccess, DWORD dwShare,
                                    LPSECURITY_ATTRIBUTES pSecurity, DWORD dwDisposition,
                                    DWORD dwFlags, HANDLE hTemplate) {
  if (g_cancelJob && pszName == g_cancelWhenOpened) {
    PostMessageA(g_cancelJob->DialogWindow(), WM_COMMAND, IDCANCEL, 0);
    g_cancelJob = nullptr;  // once
  }
  auto pfnCreate = reinterpret_cast<decltype(&CreateFileA)>(g_openPatch->original());
  return pfnCreate(pszName, dwAccess, dwShare, pSecurity, dwDisposition, dwFlags, hTemplate);
}

TEST_F(CopyFilesTest, ReadsInChunksOf4096Bytes) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  AddSource(job, "ORLO.HLP", 10000);
  EXPECT_TRUE(CopyWatchingReads(job, 0));
  std::vector<DWORD> expected(4, 4096);  // 4096, 4096, 1808, then the end
  EXPECT_EQ(expected, g_readSizes) << "sizes asked of ReadFile";
  EXPECT_TRUE(FilesEqual(Source("ORLO.HLP"), Dest("ORLO.HLP")));
}

TEST_F(CopyFilesTest, AReadFailingInTheMiddleKeepsWhatWasWrittenAndStops) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  AddSource(job, "ORLO.HLP", 20000);
  AddSource(job, "LATER.TXT", 100);
  EXPECT_FALSE(CopyWatchingReads(job, 3));
  ASSERT_EQ(1u, boxes_.Texts().size());
  EXPECT_EQ("Unable to read file: " + source_ + "\\ORLO.HLP", boxes_.Texts()[0]);
  EXPECT_EQ(3u, g_readSizes.size()) << "reads after the failed one";
  std::string source;
  ASSERT_TRUE(e2e::ReadWholeFile(Source("ORLO.HLP"), &source));
  EXPECT_TRUE(FileHolds(Dest("ORLO.HLP"), source.substr(0, 8192))) << "the first two chunks";
  EXPECT_FALSE(FileExists(Dest("LATER.TXT")));
  EXPECT_TRUE(IsReleased(Source("ORLO.HLP")));
}

TEST_F(CopyFilesTest, AChunkReadBeforeCancelIsNotWritten) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  AddSource(job, "README.TXT", 10000);
  ImportPatch patch("CreateFileA", reinterpret_cast<void*>(&CancellingCreateFileA));
  ASSERT_TRUE(patch.patched());
  g_openPatch = &patch;
  g_cancelWhenOpened = Dest("README.TXT");
  g_cancelJob = &job;
  EXPECT_FALSE(job.CopyFiles());
  EXPECT_TRUE(job.Dialog().m_bCancelled);
  EXPECT_TRUE(FileHolds(Dest("README.TXT"), "")) << "bytes at the destination";
}

TEST_F(CopyFilesTest, TheSourceDirectoryCannotBeTheDestination) {
  InstallerProbe job;
  job.SetDestination((source_ + "\\").c_str());
  AddSource(job, "ORLO.EXE", 3000);
  EXPECT_FALSE(job.CopyFiles());
  ASSERT_EQ(1u, boxes_.Texts().size());
  EXPECT_EQ("Destination directory cannot be " + source_, boxes_.Texts()[0]);
  EXPECT_TRUE(FileHolds(Source("ORLO.EXE"), e2e::Payload("ORLO.EXE", 3000))) << "nothing truncated";
  EXPECT_TRUE(IsWindowVisible(job.DialogWindow())) << "a failure leaves the dialog up";
}

TEST_F(CopyFilesTest, ADestinationDifferingOnlyInCaseIsNotTheSource) {
  // Same directory to the file system, another string to the comparison:
  // the copy goes ahead and opens each file for reading and writing at once,
  // which fails on the open of the destination.
  InstallerProbe job;
  std::string upper = source_;
  for (char& ch : upper)
    ch = (char)toupper((unsigned char)ch);
  ASSERT_NE(upper, source_);
  job.SetDestination(upper.c_str());
  AddSource(job, "ORLO.EXE", 3000);
  EXPECT_FALSE(job.CopyFiles());
  ASSERT_EQ(1u, boxes_.Texts().size());
  EXPECT_EQ("Can't open filename: " + upper + "\\ORLO.EXE", boxes_.Texts()[0]);
}

TEST_F(CopyFilesTest, AMissingSourceStopsBeforeAnyDestinationIsTouched) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  AddSource(job, "ORLO.EXE", 3000);
  job.AddFile("MISSING.DLL");
  ASSERT_TRUE(WriteWholeFile(Dest("ORLO.EXE"), "old"));
  EXPECT_FALSE(job.CopyFiles());
  ASSERT_EQ(1u, boxes_.Texts().size());
  EXPECT_EQ("Can't open filename: " + source_ + "\\MISSING.DLL", boxes_.Texts()[0]);
  EXPECT_TRUE(FileHolds(Dest("ORLO.EXE"), "old"));
}

TEST_F(CopyFilesTest, AFontInUseIsSkippedButOnlyWhenTheNameEndsInUpperCaseFON) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  AddSource(job, "TESK.FON", 5000);
  AddSource(job, "AFTER.DLL", 5000);
  ASSERT_TRUE(WriteWholeFile(Dest("TESK.FON"), "old font"));
  HANDLE hHeld =
      CreateFileA(Dest("TESK.FON").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
  EXPECT_TRUE(job.CopyFiles());
  CloseHandle(hHeld);
  EXPECT_TRUE(FileHolds(Dest("TESK.FON"), "old font"));
  EXPECT_TRUE(FilesEqual(Source("AFTER.DLL"), Dest("AFTER.DLL")));
  EXPECT_TRUE(IsReleased(Source("TESK.FON"))) << "source of the skipped file closed";
  EXPECT_EQ(0u, boxes_.Texts().size());

  InstallerProbe lower;
  lower.SetDestination(dest_.c_str());
  AddSource(lower, "tesk.fon", 5000);
  hHeld = CreateFileA(Dest("tesk.fon").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
  EXPECT_FALSE(lower.CopyFiles());
  CloseHandle(hHeld);
  ASSERT_EQ(1u, boxes_.Texts().size());
  EXPECT_EQ("Can't open filename: " + Dest("tesk.fon"), boxes_.Texts()[0]);
}

TEST_F(CopyFilesTest, AReadOnlyFontIsAnOpenFailure) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  AddSource(job, "TESKW.FON", 5000);
  AddSource(job, "AFTER.DLL", 5000);
  ASSERT_TRUE(WriteWholeFile(Dest("TESKW.FON"), "old"));
  install_test::ReadOnlyFile readOnly(Dest("TESKW.FON"));
  ASSERT_TRUE(readOnly.IsReadOnly());
  EXPECT_FALSE(job.CopyFiles());
  ASSERT_EQ(1u, boxes_.Texts().size());
  EXPECT_EQ("Can't open filename: " + Dest("TESKW.FON"), boxes_.Texts()[0]);
  EXPECT_TRUE(FileHolds(Dest("TESKW.FON"), "old"));
  EXPECT_FALSE(FileExists(Dest("AFTER.DLL"))) << "later files untouched";
  EXPECT_TRUE(IsReleased(Source("TESKW.FON")));
}

TEST_F(CopyFilesTest, AFullDiskEndsTheCopyWithOneMessage) {
  InstallerProbe job;
  job.SetDestination(dest_.c_str());
  AddSource(job, "FIRST.DLL", 6000);
  AddSource(job, "ORLO.HLP", 20000);
  AddSource(job, "LATER.TXT", 100);
  install_test::UnixSymlink full("/dev/full", Dest("ORLO.HLP"));
  ASSERT_TRUE(full.made());
  EXPECT_FALSE(job.CopyFiles());
  ASSERT_EQ(1u, boxes_.Texts().size());
  EXPECT_EQ("Unable to write file: " + Dest("ORLO.HLP"), boxes_.Texts()[0]);
  EXPECT_TRUE(FilesEqual(Source("FIRST.DLL"), Dest("FIRST.DLL"))) << "kept";
  EXPECT_FALSE(FileExists(Dest("LATER.TXT")));
  EXPECT_TRUE(IsReleased(Source("ORLO.HLP")));
  EXPECT_TRUE(IsWindowVisible(job.DialogWindow()));
}

}  // namespace
