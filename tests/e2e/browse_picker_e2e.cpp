// "Browse..." in the Install Directory dialog of the real SETUP.EXE: the
// directory picker as a person uses it, what it hands back to the edit box,
// and a whole install to a picked destination.
#include <windows.h>

#include <dlgs.h>
#include <winternl.h>

#include <stddef.h>

#include <string>
#include <vector>

#include "res/product_files.h"
#include "res/resource.h"
#include "tests/fixtures/progman_standin.h"
#include "tests/harness/harness.h"
#include "tests/unit/install_test_support.h"

namespace {

using namespace e2e;

// What the picker hides of the old-style file dialog.
struct NamedId {
  int id;
  const char* name;
};
const NamedId kHiddenControls[] = {
    {stc2, "file type label"}, {stc3, "file name label"}, {edt1, "file name"},
    {lst1, "file list"},       {cmb1, "file types"},      {chx1, "read only"},
};

// Wine's old-style save dialog writes its own default title over the
// template's caption "Select Directory" when the program passes no title
// (measured: Wine 10 shows "Save As"); Windows keeps the template's.
const char kWinePickerCaption[] = "Save As";

bool IsPicker(const WindowInfo& window) {
  return window.visible && window.className == "#32770" && Control(window.hwnd, lst2);
}

bool SameText(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string Join(const std::vector<std::string>& items) {
  std::string s;
  for (const std::string& item : items)
    s += " " + item;
  return s;
}

// Opens a directory of the picker's list the way a double click does.
Result OpenDirectory(HWND picker, const std::string& name) {
  HWND list = Control(picker, lst2);
  std::vector<std::string> items = ListBoxItems(list);
  int index = -1;
  for (size_t i = 0; i < items.size(); i++) {
    if (SameText(items[i], "[" + name + "]"))
      index = static_cast<int>(i);
  }
  if (index < 0)
    return ::testing::AssertionFailure() << "no [" << name << "] in the list:" << Join(items);
  DWORD_PTR result = 0;
  const DWORD bound = ScaledMs(kDefaultTimeoutMs);
  if (!SendMessageTimeoutW(list, LB_SETCURSEL, index, 0, SMTO_BLOCK, bound, &result) ||
      !SendMessageTimeoutW(picker, WM_COMMAND, MAKEWPARAM(lst2, LBN_DBLCLK), (LPARAM)list,
                           SMTO_BLOCK, bound, &result))
    return ::testing::AssertionFailure() << "the picker did not answer within " << bound << " ms";
  return ::testing::AssertionSuccess();
}

// The current directory of another process, read from its process
// parameters (CurrentDirectory.DosPath follows four ULONGs, the console
// handle and flags and the three standard handles), without the trailing
// backslash that the system keeps there except at a drive root.
Result ReadCurrentDirectory(HANDLE process, std::string* dir) {
  typedef NTSTATUS(WINAPI * QueryFn)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION info = {};
  if (!query || query(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0)
    return ::testing::AssertionFailure() << "NtQueryInformationProcess failed";
  PVOID params = nullptr;
  UNICODE_STRING path = {};
  const size_t kCurrentDirOffset = 16 + 5 * sizeof(PVOID);
  SIZE_T n = 0;
  if (!ReadProcessMemory(process, (BYTE*)info.PebBaseAddress + offsetof(PEB, ProcessParameters),
                         &params, sizeof params, &n) ||
      !ReadProcessMemory(process, (BYTE*)params + kCurrentDirOffset, &path, sizeof path, &n))
    return ::testing::AssertionFailure() << "cannot read the process parameters";
  std::wstring text(path.Length / sizeof(WCHAR), L'\0');
  if (!ReadProcessMemory(process, path.Buffer, &text[0], path.Length, &n))
    return ::testing::AssertionFailure() << "cannot read the current directory";
  if (text.size() > 3 && text.back() == L'\\')
    text.pop_back();
  char ansi[2048] = "";
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
  *dir = ansi;
  return ::testing::AssertionSuccess();
}

// SETUP.EXE started from a scratch copy of the distribution directory, in
// an empty directory of its own, with C:\ORLO\ (the default destination)
// present holding "picked" and "Other", and the Install Directory dialog
// open over the backdrop.
class BrowseRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RemoveTree("C:\\ORLO"));
    for (const char* dir : {"C:\\ORLO\\picked", "C:\\ORLO\\Other"})
      ASSERT_TRUE(CreateDirectories(dir));
    ASSERT_TRUE(MakeScratchDir("browse-dist", &dist_));
    ASSERT_TRUE(CopyDistTo(dist_));
    ASSERT_TRUE(MakeScratchDir("browse-start", &start_));
    ASSERT_NO_FATAL_FAILURE(BeforeStart());
    ASSERT_TRUE(setup_.Start(JoinPath(dist_, "SETUP.EXE"), start_));
    HWND welcome = nullptr;
    ASSERT_TRUE(WaitForWindow(setup_.pid(), "Welcome", &welcome));
    ASSERT_TRUE(ClickControl(welcome, IDOK));
    ASSERT_TRUE(WaitForWindow(setup_.pid(), "Install Directory", &installDir_));
    ASSERT_TRUE(WaitForWindow(setup_.pid(), "ORLO 1.1 Setup", &backdrop_));
    edit_ = Control(installDir_, IDC_DEST_DIR);
    ExpectAsBeforeBrowse();
  }

  void TearDown() override {
    setup_.Kill();
    RemoveTree("C:\\ORLO");
  }

  // What a test puts in place before SETUP.EXE starts in start_.
  virtual void BeforeStart() {}

  // Presses "Browse..." and waits for the picker. Install Directory takes
  // no input behind it.
  void OpenPicker() {
    ASSERT_TRUE(ClickControl(installDir_, IDC_BROWSE));
    ASSERT_TRUE(WaitForWindowMatching(setup_.pid(), IsPicker, "directory picker", &picker_));
    EXPECT_FALSE(IsWindowEnabled(installDir_)) << "Install Directory is enabled under the picker";
  }

  // Presses OK or Cancel in the picker, waits until it is gone, and expects
  // the windows as they were before Browse.
  void ClosePicker(int id) {
    ASSERT_TRUE(ClickControl(picker_, id));
    ASSERT_TRUE(WaitForWindowGone(picker_));
    ExpectAsBeforeBrowse();
  }

  // Esc in the picker, once it has the focus: as Cancel.
  void EscapeFromPicker() {
    ASSERT_TRUE(PollUntil([&] {
      return GetAncestor(FocusWindow(setup_.mainThreadId()), GA_ROOT) == picker_;
    })) << "the focus is on "
        << FocusWindow(setup_.mainThreadId()) << ", not in the picker";
    ASSERT_TRUE(PressEscape(setup_.mainThreadId()));
    ASSERT_TRUE(WaitForWindowGone(picker_));
    ExpectAsBeforeBrowse();
  }

  // The message box that ends a failed Browse says text; OK closes it, and
  // the windows are as they were before Browse.
  void ExpectPickerMessage(const std::string& text) {
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(setup_.pid(), &box)) << DescribeWindows(setup_.pid());
    EXPECT_EQ(text, box.text);
    ASSERT_TRUE(ClickControl(box.hwnd, IDOK));
    ASSERT_TRUE(WaitForWindowGone(box.hwnd));
    ExpectAsBeforeBrowse();
  }

  // Install Directory takes input, with the focus in its edit box; the
  // backdrop behind it does not, as Install Directory's modal loop left it.
  // The focus comes last when Browse ends.
  void ExpectAsBeforeBrowse() {
    ExpectFocusInEdit();
    EXPECT_TRUE(IsWindowEnabled(installDir_)) << "Install Directory is disabled";
    EXPECT_FALSE(IsWindowEnabled(backdrop_)) << "the backdrop takes input behind Install Directory";
  }

  // The directory the picker shows; Wine writes it in lower case.
  std::string ShownDirectory() { return WindowText(Control(picker_, stc1)); }

  void ExpectFocusInEdit() { EXPECT_TRUE(WaitForFocus(setup_.mainThreadId(), edit_)); }

  Process setup_;
  std::string dist_;
  std::string start_;
  HWND backdrop_ = nullptr;
  HWND installDir_ = nullptr;
  HWND edit_ = nullptr;
  HWND picker_ = nullptr;
};

TEST_F(BrowseRun, PickerShowsDirectoriesAndDrivesCentredOverTheBackdrop) {
  OpenPicker();
  EXPECT_EQ(kWinePickerCaption, WindowText(picker_));
  for (int id : {lst2, cmb2, stc1, stc4, IDOK, IDCANCEL, pshHelp}) {
    HWND control = Control(picker_, id);
    EXPECT_TRUE(control && IsWindowVisible(control)) << "control " << id << " is not shown";
  }
  for (const NamedId& hidden : kHiddenControls)
    EXPECT_FALSE(IsWindowVisible(Control(picker_, hidden.id))) << hidden.name << " is shown";
  EXPECT_EQ("dummy-filename", WindowText(Control(picker_, edt1)));
  EXPECT_EQ("c:\\orlo", ShownDirectory()) << "opens at the preset";

  EXPECT_TRUE(CentredOver(picker_, backdrop_));
  ClosePicker(IDCANCEL);
}

TEST_F(BrowseRun, CancelAndEscKeepTheTypedText) {
  ASSERT_TRUE(ReplaceText(edit_, "D:\\typed\\only"));
  OpenPicker();
  ASSERT_TRUE(OpenDirectory(picker_, "picked"));
  ClosePicker(IDCANCEL);
  EXPECT_EQ("D:\\typed\\only", WindowText(edit_));

  OpenPicker();
  ASSERT_TRUE(OpenDirectory(picker_, "picked"));
  EscapeFromPicker();
  EXPECT_EQ("D:\\typed\\only", WindowText(edit_));
}

TEST_F(BrowseRun, PickedDirectoryReplacesTheTypedText) {
  ASSERT_TRUE(ReplaceText(edit_, "C:\\ORLO\\Other"));
  OpenPicker();
  // The typed text does not reach the picker: it opens at the preset.
  EXPECT_EQ("c:\\orlo", ShownDirectory());
  ASSERT_TRUE(OpenDirectory(picker_, "picked"));
  EXPECT_EQ("c:\\orlo\\picked", ShownDirectory());
  ClosePicker(IDOK);
  EXPECT_TRUE(WaitForWindowText(edit_, "C:\\ORLO\\picked\\"));
  ExpectFocusInEdit();

  // The next Browse starts from the pick, not from text typed since.
  ASSERT_TRUE(ReplaceText(edit_, "C:\\ORLO\\Other"));
  OpenPicker();
  EXPECT_EQ("c:\\orlo\\picked", ShownDirectory());
  ClosePicker(IDCANCEL);
  EXPECT_EQ("C:\\ORLO\\Other", WindowText(edit_));
}

TEST_F(BrowseRun, DriveRootGivesLetterColonBackslash) {
  OpenPicker();
  ASSERT_TRUE(OpenDirectory(picker_, ".."));
  EXPECT_EQ("c:\\", ShownDirectory());
  ClosePicker(IDOK);
  EXPECT_TRUE(WaitForWindowText(edit_, "C:\\"));
  ExpectFocusInEdit();
}

// Wine's old-style dialog does not ask before "replacing" an existing file
// (OFN_OVERWRITEPROMPT is not implemented there; Windows asks first): it
// accepts at once. The picker only takes the directory; the file is never
// opened for writing.
TEST_F(BrowseRun, ExistingDummyFileIsNeverWritten) {
  const std::string dummy = "C:\\ORLO\\picked\\dummy-filename";
  ASSERT_TRUE(WriteWholeFile(dummy, "keep"));
  WIN32_FILE_ATTRIBUTE_DATA before = {}, after = {};
  ASSERT_TRUE(GetFileAttributesExA(dummy.c_str(), GetFileExInfoStandard, &before));

  OpenPicker();
  ASSERT_TRUE(OpenDirectory(picker_, "picked"));
  ClosePicker(IDOK);
  EXPECT_TRUE(WaitForWindowText(edit_, "C:\\ORLO\\picked\\"));
  // Nothing to wait for: a question of the picker's would have kept it open,
  // and once the edit box holds the pick, Browse has only the focus to move.
  for (const WindowInfo& window : TopLevelWindows(setup_.pid()))
    EXPECT_FALSE(window.visible && IsMessageBox(window.hwnd))
        << "asked: " << ReadMessageBox(window.hwnd).text;

  EXPECT_TRUE(FileHolds(dummy, "keep"));
  ASSERT_TRUE(GetFileAttributesExA(dummy.c_str(), GetFileExInfoStandard, &after));
  EXPECT_EQ(0, CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime))
      << "the file was written";
}

// The dialog moves the process's current directory as the user browses and
// leaves it there; the picker puts it back, after OK and after Cancel.
TEST_F(BrowseRun, CurrentDirectoryIsPutBack) {
  std::string dir;
  ASSERT_TRUE(ReadCurrentDirectory(setup_.handle(), &dir));
  EXPECT_TRUE(SameText(start_, dir)) << dir;

  // Cancel first: after OK the next picker would open in "Other".
  for (int answer : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(answer == IDOK ? "OK" : "Cancel");
    OpenPicker();
    ASSERT_TRUE(OpenDirectory(picker_, "Other"));
    ASSERT_TRUE(ReadCurrentDirectory(setup_.handle(), &dir));
    EXPECT_TRUE(SameText("C:\\ORLO\\Other", dir)) << "while open: " << dir;
    ClosePicker(answer);
    ExpectFocusInEdit();
    ASSERT_TRUE(ReadCurrentDirectory(setup_.handle(), &dir));
    EXPECT_TRUE(SameText(start_, dir)) << "after: " << dir;
  }
}

// The directory the program was started in is gone when the picker closes:
// it cannot be made current again, and the pick is dropped.
TEST_F(BrowseRun, StartDirectoryGoneDropsThePick) {
  OpenPicker();
  ASSERT_TRUE(OpenDirectory(picker_, "picked"));
  // Removed from the Unix side: while the program runs, Wine refuses to
  // remove the directory it was started in with a sharing violation (error
  // 32), also after the picker has moved the current directory away.
  ASSERT_TRUE(install_test::StartUnixProgram("/bin/rmdir " + install_test::UnixPathOf(start_)));
  ASSERT_TRUE(PollUntil([&] { return !DirectoryExists(start_); })) << start_ << " is still there";
  ASSERT_TRUE(ClickControl(picker_, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectPickerMessage("Unable to set current directory"));
  EXPECT_EQ("C:\\ORLO\\", WindowText(edit_));
}

// A person picks the destination instead of typing it, and installs there.
TEST_F(BrowseRun, FullInstallToAPickedDirectory) {
  ASSERT_TRUE(ReplaceText(edit_, "D:\\not\\this\\one"));
  OpenPicker();
  ASSERT_TRUE(OpenDirectory(picker_, "picked"));
  ClosePicker(IDOK);
  ASSERT_TRUE(WaitForWindowText(edit_, "C:\\ORLO\\picked\\"));
  ASSERT_TRUE(ClickControl(installDir_, IDOK));

  HWND appGroup = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Create Application Group", &appGroup, 60000));
  ASSERT_TRUE(ClickControl(appGroup, IDCANCEL));
  HWND success = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Success", &success));
  ASSERT_TRUE(ClickControl(success, IDOK));
  DWORD exitCode = 1234;
  ASSERT_TRUE(setup_.WaitForExit(&exitCode));

  for (const char* name : {ORLO_PRODUCT_FILES(ORLO_PRODUCT_FILE_NAME)})
    EXPECT_TRUE(FilesEqual(JoinPath(dist_, name), JoinPath("C:\\ORLO\\picked", name)));
  EXPECT_FALSE(FileExists("C:\\ORLO\\picked\\dummy-filename"));
  EXPECT_FALSE(DirectoryExists("D:\\not")) << "the typed text was not used";
}

// The DLLs that the process loads by name after its entry, none of them on
// Windows' list of known DLLs (Wine 10, WINEDEBUG=+loaddll over a whole run
// with Browse): the theme library with the first window, msimg32 when that
// draws a scroll bar, the rest with the common dialogs. Windows takes each
// from the program's directory first.
// Wine's load order names them without ".dll".
const char* const kLoadedByName[] = {"uxtheme", "comctl32", "winspool.drv", "msimg32", "compstui"};

std::string FileNameOf(const std::string& module) {
  return module.find('.') == std::string::npos ? module + ".dll" : module;
}

// Where Wine keeps the load order of one program. A child does not see its
// parent's WINEDLLOVERRIDES when that was set by the parent itself.
const char kLoadOrderKey[] = "Software\\Wine\\AppDefaults\\SETUP.EXE\\DllOverrides";

// A copy of the marker DLL under each of those names beside SETUP.EXE and in
// the directory it is started in, and Wine told to prefer a DLL it finds on
// the search path to its own for SETUP.EXE, as Windows does for these names.
class PlantedDllRun : public BrowseRun {
 protected:
  void BeforeStart() override {
    ASSERT_TRUE(standIn_.Start());
    const std::string marker = JoinPath(FixturesDir(), "planted_dll.dll");
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kLoadOrderKey, 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &key, nullptr));
    for (const char* module : kLoadedByName) {
      for (const std::string& dir : {dist_, start_})
        ASSERT_TRUE(CopyFileA(marker.c_str(), JoinPath(dir, FileNameOf(module)).c_str(), FALSE))
            << module << " into " << dir << ": error " << GetLastError();
      RegSetValueExA(key, module, 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
    }
    RegCloseKey(key);
  }

  // Also after a run that stopped early: a marker says why.
  void TearDown() override {
    BrowseRun::TearDown();
    RegDeleteKeyA(HKEY_CURRENT_USER, kLoadOrderKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SETUP.EXE");
    for (const char* module : kLoadedByName) {
      for (const std::string& dir : {dist_, start_})
        EXPECT_FALSE(FileExists(JoinPath(dir, FileNameOf(module)) + ".loaded"))
            << "the " << FileNameOf(module) << " planted in " << dir << " was loaded";
    }
    RemoveTree(dist_);
    RemoveTree(start_);
  }

  progman_test::ProgmanStandIn standIn_;
};

TEST_F(PlantedDllRun, WholeInstallWithThePickerLoadsNoneOfThem) {
  ASSERT_NO_FATAL_FAILURE(OpenPicker());
  ASSERT_TRUE(OpenDirectory(picker_, "picked"));
  ClosePicker(IDOK);
  ASSERT_TRUE(WaitForWindowText(edit_, "C:\\ORLO\\picked\\"));
  ASSERT_TRUE(ClickControl(installDir_, IDOK));

  HWND appGroup = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Create Application Group", &appGroup, 60000));
  ASSERT_TRUE(ClickControl(appGroup, IDOK));
  HWND success = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Success", &success)) << DescribeWindows(setup_.pid());
  ASSERT_TRUE(ClickControl(success, IDOK));
  ASSERT_TRUE(setup_.WaitForExit(nullptr));

  for (const char* name : {ORLO_PRODUCT_FILES(ORLO_PRODUCT_FILE_NAME)})
    EXPECT_TRUE(FilesEqual(JoinPath(dist_, name), JoinPath("C:\\ORLO\\picked", name)));
  ASSERT_TRUE(standIn_.WaitForCount("DISCONNECT", 1)) << standIn_.Dump();
  EXPECT_EQ(6u, standIn_.Executes().size()) << standIn_.Dump();
}

}  // namespace
