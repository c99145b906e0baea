// The directory picker run in this process and answered from a second
// thread, the way a person would: open directories in the list, press OK or
// Cancel, read and close the message boxes.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "afx/afxwin.h"
#include "dialogs/dir_picker_dlg.h"
#include "res/resource.h"
#include "tests/harness/harness.h"

namespace {

// What the picker shows of the old-style file dialog, and what it hides.
const int kShownIds[] = {lst2, cmb2, stc1, stc4, IDOK, IDCANCEL, pshHelp};
const int kHiddenIds[] = {stc2, stc3, edt1, lst1, cmb1, chx1};

std::string CurrentDirectory() {
  char sz[2048];
  DWORD n = GetCurrentDirectoryA(sizeof(sz), sz);
  return n && n < sizeof(sz) ? std::string(sz) : std::string("<unreadable>");
}

bool IsPicker(const e2e::WindowInfo& window) {
  return window.visible && window.className == "#32770" && GetDlgItem(window.hwnd, lst2);
}

// What the answering thread saw; read on the test thread after it ended.
struct PickerVisit {
  bool bShown = false;
  std::string strCaption;
  std::string strShownDir;                    // stc1 as the picker opens
  std::string strFileName;                    // edt1
  std::vector<int> wrongVisibility;           // ids shown that should be hidden, or hidden
  ::testing::AssertionResult centred{false};  // over the application's main window
  ::testing::AssertionResult sized{false};    // by IDD_SELECT_DIR
  std::string strCurrentDirWhileOpen;         // after the last directory was opened
  std::string strMissingEntry;                // a directory entry that was not in the list
  std::vector<std::string> messages;          // texts of the message boxes closed
};

// Opens "[name]" in the directory list, as a double click does.
bool OpenDirectory(HWND hPicker, const std::string& name) {
  HWND hList = GetDlgItem(hPicker, lst2);
  std::string entry = "[" + name + "]";
  LRESULT i = SendMessageA(hList, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)entry.c_str());
  if (i == LB_ERR)
    return false;
  SendMessageA(hList, LB_SETCURSEL, (WPARAM)i, 0);
  SendMessageA(hPicker, WM_COMMAND, MAKEWPARAM(lst2, LBN_DBLCLK), (LPARAM)hList);
  return true;
}

// How the answering thread ends the picker.
enum class Answer { kOk, kCancel };

struct Script {
  std::vector<std::string> open;       // directories to open, in order
  std::function<void()> beforeAnswer;  // runs after the last one is open
  Answer answer = Answer::kOk;
  int nMessageBoxes = 0;  // message boxes to read and close afterwards
  bool bExpectPicker = true;
};

void Answerer(const Script& script, PickerVisit* visit) {
  const DWORD pid = GetCurrentProcessId();
  if (script.bExpectPicker) {
    HWND hPicker = NULL;
    if (!e2e::WaitForWindowMatching(pid, IsPicker, "picker", &hPicker))
      return;
    visit->bShown = true;
    visit->strCaption = e2e::WindowText(hPicker);
    visit->strShownDir = e2e::WindowText(GetDlgItem(hPicker, stc1));
    visit->strFileName = e2e::WindowText(GetDlgItem(hPicker, edt1));
    for (int id : kShownIds) {
      if (!IsWindowVisible(GetDlgItem(hPicker, id)))
        visit->wrongVisibility.push_back(id);
    }
    for (int id : kHiddenIds) {
      if (IsWindowVisible(GetDlgItem(hPicker, id)))
        visit->wrongVisibility.push_back(id);
    }
    visit->centred = e2e::CentredOver(hPicker, AfxGetMainWnd()->GetSafeHwnd());
    visit->sized = e2e::DialogSizeMatchesTemplate(hPicker, IDD_SELECT_DIR);
    for (const std::string& name : script.open) {
      if (!OpenDirectory(hPicker, name)) {
        visit->strMissingEntry = name;
        break;
      }
    }
    visit->strCurrentDirWhileOpen = CurrentDirectory();
    if (script.beforeAnswer)
      script.beforeAnswer();
    UINT id = script.answer == Answer::kOk && visit->strMissingEntry.empty() ? IDOK : IDCANCEL;
    PostMessageA(hPicker, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(hPicker, id));
  }
  for (int i = 0; i < script.nMessageBoxes; i++) {
    e2e::MessageBoxInfo box;
    if (!e2e::WaitForMessageBox(pid, &box))
      return;
    visit->messages.push_back(box.text);
    PostMessageA(box.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    // Gone before the next wait, so that it does not find this one again.
    e2e::WaitForWindowGone(box.hwnd);
  }
}

// Runs the picker on this thread while the script answers it from another,
// with its owner disabled as a modal dialog in front of it leaves it (the
// backdrop under Install Directory); the owner is to be disabled after.
INT_PTR RunPicker(CDirPickerDlg& dlg, const Script& script, PickerVisit* visit) {
  HWND hOwner = AfxGetMainWnd()->GetSafeHwnd();
  EnableWindow(hOwner, FALSE);
  std::thread answerer(Answerer, std::cref(script), visit);
  INT_PTR nResult = dlg.DoModal();
  answerer.join();
  EXPECT_FALSE(IsWindowEnabled(hOwner)) << "the owner takes input again, result " << nResult;
  EnableWindow(hOwner, TRUE);
  return nResult;
}

std::string Describe(const std::vector<std::string>& texts) {
  std::string s;
  for (const std::string& t : texts)
    s += "\"" + t + "\" ";
  return s.empty() ? "(none)" : s;
}

// A scratch tree C:\pickertest with start\ (the current directory while the
// picker runs), one\two\ (where the picker opens and moves) and the
// application with a visible owner window, as SETUP.EXE has its backdrop.
class DirPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_strOriginalDir = CurrentDirectory();
    e2e::RemoveTree(kRoot);
    for (const char* dir :
         {kRoot, "C:\\pickertest\\start", "C:\\pickertest\\one", "C:\\pickertest\\one\\two"})
      ASSERT_TRUE(CreateDirectoryA(dir, NULL)) << dir << " error " << GetLastError();
    ASSERT_TRUE(SetCurrentDirectoryA(kStart));

    m_hOwner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 50, 600, 500, NULL,
                               NULL, GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(m_hOwner != NULL);
    m_wndOwner.Attach(m_hOwner);
    m_app.m_pMainWnd = &m_wndOwner;
  }

  void TearDown() override {
    m_app.m_pMainWnd = NULL;
    m_wndOwner.Detach();
    DestroyWindow(m_hOwner);
    SetCurrentDirectoryA(m_strOriginalDir.c_str());
    e2e::RemoveTree(kRoot);
  }

  static constexpr const char* kRoot = "C:\\pickertest";
  static constexpr const char* kStart = "C:\\pickertest\\start";
  static constexpr const char* kOne = "C:\\pickertest\\one\\";

  CWinApp m_app{"PickerTest"};
  CWnd m_wndOwner;
  HWND m_hOwner = NULL;
  std::string m_strOriginalDir;
};

TEST_F(DirPickerTest, ShowsOnlyDirectoriesAndDrivesCentredOverTheOwner) {
  CDirPickerDlg dlg(kOne);
  Script script;
  script.answer = Answer::kCancel;
  PickerVisit visit;
  INT_PTR nResult = RunPicker(dlg, script, &visit);

  ASSERT_TRUE(visit.bShown) << "no picker window appeared";
  EXPECT_EQ(IDCANCEL, nResult);
  // Wine's old-style dialog puts its own default title over the template's
  // caption when no title is passed; Windows keeps "Select Directory".
  printf("picker caption: \"%s\"\n", visit.strCaption.c_str());
  EXPECT_TRUE(visit.strCaption == "Select Directory" || visit.strCaption == "Save As")
      << visit.strCaption;
  EXPECT_EQ("dummy-filename", visit.strFileName);
  EXPECT_STRCASEEQ("C:\\pickertest\\one", visit.strShownDir.c_str()) << "opens at the given one";
  EXPECT_TRUE(visit.wrongVisibility.empty()) << "first wrong: " << visit.wrongVisibility[0];
  EXPECT_TRUE(visit.centred);
  EXPECT_TRUE(visit.sized) << "the picker is our template";
}

TEST_F(DirPickerTest, OkGivesTheOpenDirectoryAndPutsTheCurrentDirectoryBack) {
  CDirPickerDlg dlg(kOne);
  Script script;
  script.open = {"two"};
  PickerVisit visit;
  INT_PTR nResult = RunPicker(dlg, script, &visit);

  ASSERT_TRUE(visit.bShown);
  EXPECT_EQ("", visit.strMissingEntry) << "not in the directory list";
  EXPECT_EQ(IDOK, nResult);
  // The dialog itself moved the process into the directory it showed.
  EXPECT_STRCASEEQ("C:\\pickertest\\one\\two", visit.strCurrentDirWhileOpen.c_str());
  EXPECT_EQ(kStart, CurrentDirectory());
  CString strFirst = dlg.GetDirectory();
  CString strSecond = dlg.GetDirectory();
  EXPECT_STRCASEEQ("C:\\pickertest\\one\\two\\", strFirst);
  EXPECT_STREQ(strFirst, strSecond);
  EXPECT_EQ(Describe({}), Describe(visit.messages));
}

TEST_F(DirPickerTest, CancelPutsTheCurrentDirectoryBack) {
  CDirPickerDlg dlg(kOne);
  Script script;
  script.open = {"two"};
  script.answer = Answer::kCancel;
  PickerVisit visit;
  INT_PTR nResult = RunPicker(dlg, script, &visit);

  ASSERT_TRUE(visit.bShown);
  EXPECT_EQ(IDCANCEL, nResult);
  EXPECT_STRCASEEQ("C:\\pickertest\\one\\two", visit.strCurrentDirWhileOpen.c_str());
  EXPECT_EQ(kStart, CurrentDirectory());
}

TEST_F(DirPickerTest, DriveRootGivesLetterColonBackslash) {
  CDirPickerDlg dlg("C:\\");
  PickerVisit visit;
  INT_PTR nResult = RunPicker(dlg, Script(), &visit);

  ASSERT_TRUE(visit.bShown);
  EXPECT_EQ(IDOK, nResult);
  EXPECT_STRCASEEQ("C:\\", dlg.GetDirectory());
  EXPECT_EQ(kStart, CurrentDirectory());
}

// Wine's old-style dialog does not implement the overwrite question: an
// existing "dummy-filename" is accepted at once (Windows would ask first).
// Either way the picker never opens or writes the file.
TEST_F(DirPickerTest, ExistingDummyFileIsLeftAlone) {
  const char* kDummy = "C:\\pickertest\\one\\dummy-filename";
  const char kContent[] = "keep me";
  HANDLE hFile = CreateFileA(kDummy, GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
  DWORD nWritten = 0;
  WriteFile(hFile, kContent, sizeof(kContent) - 1, &nWritten, NULL);
  FILETIME ftBefore;
  GetFileTime(hFile, NULL, NULL, &ftBefore);
  CloseHandle(hFile);

  CDirPickerDlg dlg(kOne);
  PickerVisit visit;
  INT_PTR nResult = RunPicker(dlg, Script(), &visit);

  ASSERT_TRUE(visit.bShown);
  EXPECT_EQ(IDOK, nResult);
  EXPECT_STRCASEEQ(kOne, dlg.GetDirectory());
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(kDummy, GetFileExInfoStandard, &data));
  EXPECT_EQ(sizeof(kContent) - 1, data.nFileSizeLow);
  EXPECT_EQ(0, CompareFileTime(&ftBefore, &data.ftLastWriteTime)) << "the file was written to";
}

TEST_F(DirPickerTest, UnreadableCurrentDirectoryFailsWithoutShowingThePicker) {
  // Longer than MAX_PATH: GetCurrentDirectoryA cannot give it
  // (ERROR_FILENAME_EXCED_RANGE).
  std::wstring deep = L"\\\\?\\C:\\pickertest\\start";
  while (deep.size() < 300) {
    deep += L"\\abcdefghijklmnopqrstuvwxyz";
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), NULL)) << "error " << GetLastError();
  }
  ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str())) << "error " << GetLastError();
  char szProbe[1024];
  ASSERT_EQ(0u, GetCurrentDirectoryA(sizeof(szProbe), szProbe)) << "still readable";

  CDirPickerDlg dlg(kOne);
  Script script;
  script.bExpectPicker = false;
  script.nMessageBoxes = 1;
  PickerVisit visit;
  INT_PTR nResult = RunPicker(dlg, script, &visit);

  EXPECT_EQ(IDCANCEL, nResult);
  EXPECT_EQ(Describe({"Unable to get current directory"}), Describe(visit.messages));
  EXPECT_EQ(NULL, GetDlgItem(GetLastActivePopup(m_hOwner), lst2)) << "a picker is still open";
  wchar_t szNow[1024];
  GetCurrentDirectoryW(1024, szNow);
  EXPECT_EQ(deep.substr(4), std::wstring(szNow)) << "the current directory moved";
}

TEST_F(DirPickerTest, CurrentDirectoryGoneWhileOpenDropsThePick) {
  CDirPickerDlg dlg(kOne);
  Script script;
  script.open = {"two"};
  // The dialog has left start\, so it can go.
  script.beforeAnswer = [] { RemoveDirectoryA(kStart); };
  script.nMessageBoxes = 1;
  PickerVisit visit;
  INT_PTR nResult = RunPicker(dlg, script, &visit);

  ASSERT_TRUE(visit.bShown);
  EXPECT_EQ(IDCANCEL, nResult);
  EXPECT_EQ(Describe({"Unable to set current directory"}), Describe(visit.messages));
  // Left where the dialog put it.
  EXPECT_STRCASEEQ("C:\\pickertest\\one\\two", CurrentDirectory().c_str());
}

// A path that does not fit the file-name buffer is refused with a message,
// never handed on cut short.
class SmallBufferPicker : public CDirPickerDlg {
 public:
  explicit SmallBufferPicker(LPCSTR pszInitialDir, DWORD nMaxFile) : CDirPickerDlg(pszInitialDir) {
    m_ofn.nMaxFile = nMaxFile;
  }
  const char* Buffer() const { return m_ofn.lpstrFile; }
};

TEST_F(DirPickerTest, PathLongerThanTheBufferIsRefused) {
  // "C:\pickertest\one\dummy-filename" is 32 characters. Cut to 11, the
  // text would read "C:\pickerte" and the directory before the last
  // backslash would be "C:\": a wrong pick that looks right.
  SmallBufferPicker dlg(kOne, 12);
  Script script;
  script.nMessageBoxes = 1;
  PickerVisit visit;
  INT_PTR nResult = RunPicker(dlg, script, &visit);

  ASSERT_TRUE(visit.bShown);
  EXPECT_EQ(IDCANCEL, nResult);
  EXPECT_EQ(Describe({"The directory path is too long"}), Describe(visit.messages));
  EXPECT_LT(strnlen(dlg.Buffer(), 12), 12u) << "the buffer is not terminated";
  // Windows answers FNERR_BUFFERTOOSMALL (0x3003); Wine accepts and cuts.
  printf("platform error 0x%lx, buffer \"%s\"\n", dlg.GetCommDlgError(), dlg.Buffer());
  EXPECT_EQ(kStart, CurrentDirectory());
}

// The dialog joins the open directory and the file name in the picker's own
// buffer, which holds more than MAX_PATH.
TEST_F(DirPickerTest, ADirectoryPastMaxPathWithTheFileNameIsPickedWhole) {
  // 247 characters, about the most a directory can have; with
  // "\dummy-filename" the path has 262.
  const std::string name(247 - strlen(kOne), 'd');
  const std::string dir = kOne + name;
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL)) << "error " << GetLastError();
  CDirPickerDlg dlg(kOne);
  Script script;
  script.open = {name};
  PickerVisit visit;
  INT_PTR nResult = RunPicker(dlg, script, &visit);

  ASSERT_TRUE(visit.bShown);
  EXPECT_EQ("", visit.strMissingEntry) << "not in the directory list";
  EXPECT_EQ(IDOK, nResult) << Describe(visit.messages);
  EXPECT_STRCASEEQ((dir + "\\").c_str(), dlg.GetDirectory());
}

TEST_F(DirPickerTest, WithoutAnInitialDirectoryItOpensAtTheCurrentOne) {
  CDirPickerDlg dlg(NULL);
  Script script;
  script.answer = Answer::kCancel;
  PickerVisit visit;
  EXPECT_EQ(IDCANCEL, RunPicker(dlg, script, &visit));
  ASSERT_TRUE(visit.bShown);
  EXPECT_STRCASEEQ(kStart, visit.strShownDir.c_str());
}

}  // namespace
