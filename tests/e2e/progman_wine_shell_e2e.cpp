// The program-group step of the real SETUP.EXE against Wine's own Program
// Manager DDE server (served by Wine's desktop process, explorer.exe).
//
// Wine keeps groups as folders under the Start Menu's Programs folder.
// DeleteGroup removes the folder, CreateGroup makes it, and CreateGroup and
// ShowGroup each open an explorer window titled with the group's name.
// AddItem makes a shortcut named after the item once it finds the command
// line's program: a full path as a file, a bare name ("NOTEPAD README.TXT")
// on its search path, with the arguments split off. The product's item
// names its program by full path. The help item names WINHELP, which 64-bit
// Windows does not have, nor a prefix made without 32-bit support: the shell
// then refuses that item alone. Either way the program goes on to Success
// without a message.
#include <objbase.h>
#include <shlobj.h>

#include "tests/e2e/install_e2e_support.h"

namespace {

using namespace install_e2e;

std::string ProgramsFolder() {
  char appData[MAX_PATH] = "";
  DWORD n = GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
  if (n == 0 || n >= sizeof appData)
    return "";
  return std::string(appData) + "\\Microsoft\\Windows\\Start Menu\\Programs";
}

// What a shortcut starts, read back through the shell's own link object.
struct Shortcut {
  std::string target;
  std::string arguments;
  std::string workingDir;
};

Result ReadShortcut(const std::string& path, Shortcut* shortcut) {
  HRESULT hr = CoInitialize(nullptr);
  if (FAILED(hr))
    return ::testing::AssertionFailure() << "CoInitialize: 0x" << std::hex << hr;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                        reinterpret_cast<void**>(&link));
  if (SUCCEEDED(hr))
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (SUCCEEDED(hr))
    hr = file->Load(std::wstring(path.begin(), path.end()).c_str(), STGM_READ);
  char target[MAX_PATH] = "", arguments[MAX_PATH] = "", dir[MAX_PATH] = "";
  if (SUCCEEDED(hr))
    hr = link->GetPath(target, MAX_PATH, nullptr, 0);
  if (SUCCEEDED(hr))
    hr = link->GetArguments(arguments, MAX_PATH);
  if (SUCCEEDED(hr))
    hr = link->GetWorkingDirectory(dir, MAX_PATH);
  if (file)
    file->Release();
  if (link)
    link->Release();
  CoUninitialize();
  if (FAILED(hr))
    return ::testing::AssertionFailure() << path << ": 0x" << std::hex << hr;
  shortcut->target = target;
  shortcut->arguments = arguments;
  shortcut->workingDir = dir;
  return ::testing::AssertionSuccess();
}

bool SamePath(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
         CSTR_EQUAL;
}

// The destination as typed, the directory it names, and whether the shell
// finds WINHELP.EXE.
struct ShellCase {
  const char* name;
  const char* typed;
  const char* dir;
  bool winHelp;
};

// C:\windows\winhelp.exe put there (a copy of ORLO.EXE: the shell only looks
// for the file) or taken away, for as long as the object lives. A copy set
// aside by an interrupted run is put back first.
class WinHelpProgram {
 public:
  explicit WinHelpProgram(bool present) : present_(present) {
    char windows[MAX_PATH] = "";
    UINT n = GetWindowsDirectoryA(windows, sizeof windows);
    if (n == 0 || n >= sizeof windows)
      return;
    path_ = std::string(windows) + "\\winhelp.exe";
    away_ = path_ + ".orlo-away";
    if (!FileExists(path_) && FileExists(away_))
      MoveFileA(away_.c_str(), path_.c_str());
    if (present_ && !FileExists(path_))
      made_ = CopyFileA((DistDir() + "\\ORLO.EXE").c_str(), path_.c_str(), TRUE);
    if (!present_ && FileExists(path_))
      movedAway_ = MoveFileA(path_.c_str(), away_.c_str());
  }
  ~WinHelpProgram() {
    if (made_)
      DeleteFileA(path_.c_str());
    if (movedAway_)
      MoveFileA(away_.c_str(), path_.c_str());
  }
  WinHelpProgram(const WinHelpProgram&) = delete;
  WinHelpProgram& operator=(const WinHelpProgram&) = delete;

  bool AsAsked() const { return !path_.empty() && FileExists(path_) == present_; }
  const std::string& path() const { return path_; }

 private:
  bool present_;
  std::string path_;
  std::string away_;
  bool made_ = false;
  bool movedAway_ = false;
};

class WineShellGroup : public InstallRun, public ::testing::WithParamInterface<ShellCase> {
 protected:
  void SetUp() override {
    InstallRun::SetUp();
    ASSERT_FALSE(ProgramsFolder().empty()) << "APPDATA is not set";
    group_ = ProgramsFolder() + "\\ORLO";
    CloseGroupWindows("ORLO");
    ASSERT_TRUE(RemoveTree(group_));
  }
  void TearDown() override {
    CloseGroupWindows("ORLO");
    RemoveTree(group_);
    RemoveTree(GetParam().dir);
    InstallRun::TearDown();
  }

  std::string group_;
};

TEST_P(WineShellGroup, MakesTheGroupAndEndsInSuccess) {
  WinHelpProgram winHelp(GetParam().winHelp);
  ASSERT_TRUE(winHelp.AsAsked()) << winHelp.path() << " present: " << FileExists(winHelp.path());
  // A group of that name from an earlier run: DeleteGroup clears it first.
  ASSERT_TRUE(CreateDirectories(group_));
  ASSERT_TRUE(WriteWholeFile(group_ + "\\stale.lnk", "old item"));
  const std::string dest = GetParam().dir;
  ASSERT_TRUE(RemoveTree(dest));

  ASSERT_NO_FATAL_FAILURE(StartAndEnter(GetParam().typed));
  HWND appGroup = nullptr;
  ASSERT_NO_FATAL_FAILURE(WaitForGroupQuestion(&appGroup));
  DWORD start = GetTickCount();
  ASSERT_TRUE(ClickControl(appGroup, IDOK));
  // Success follows with no message before it.
  HWND success = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Success", &success)) << DescribeWindows(setup_.pid());
  DWORD elapsed = GetTickCount() - start;
  // Every command was carried out, however long it took: the group and the
  // program's item with no message (checked here), a shortcut for each item
  // (below). The shell answers a command once it has done it, so each
  // shortcut is there before Success unless SETUP.EXE gave up waiting for
  // it. How long the step took is printed only: no time tells a slow shell
  // from a time-out.
  ASSERT_NO_FATAL_FAILURE(FinishOnSuccess());

  std::vector<std::string> entries = DirectoryEntries(group_);
  std::sort(entries.begin(), entries.end());
  std::vector<std::string> expected = {"ORLO.lnk", "README.lnk"};
  if (GetParam().winHelp)
    expected.insert(expected.begin(), "ORLO Help.lnk");
  EXPECT_EQ(expected, entries) << group_;
  for (const std::string& name : entries) {
    Shortcut shortcut;
    EXPECT_TRUE(ReadShortcut(group_ + "\\" + name, &shortcut));
    printf("%s starts \"%s\" with \"%s\" in \"%s\"\n", name.c_str(), shortcut.target.c_str(),
           shortcut.arguments.c_str(), shortcut.workingDir.c_str());
  }
  Shortcut orlo;
  ASSERT_TRUE(ReadShortcut(group_ + "\\ORLO.lnk", &orlo));
  EXPECT_TRUE(SamePath(dest + "\\ORLO.EXE", orlo.target)) << "target " << orlo.target;
  EXPECT_TRUE(SamePath(dest, orlo.workingDir)) << "working directory " << orlo.workingDir;
  EXPECT_TRUE(FileExists(orlo.target)) << orlo.target;

  // CreateGroup and ShowGroup each ask for a window on the group.
  const size_t windows = WaitForGroupWindows("ORLO").size();
  EXPECT_GE(windows, 1u) << DescribeWindows(0);
  EXPECT_LE(windows, 2u) << DescribeWindows(0);
  printf("group step answered in %lu ms; %u explorer windows titled ORLO\n",
         static_cast<unsigned long>(elapsed), static_cast<unsigned>(windows));
}

const ShellCase kShellCases[] = {
    {"Default", "C:\\ORLO\\", "C:\\ORLO", true},
    {"WithABlankWithoutWinHelp", "C:\\orlo-e2e-install\\My Apps\\ORLO",
     "C:\\orlo-e2e-install\\My Apps\\ORLO", false},
};

INSTANTIATE_TEST_SUITE_P(Destinations, WineShellGroup, ::testing::ValuesIn(kShellCases),
                         [](const ::testing::TestParamInfo<ShellCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
