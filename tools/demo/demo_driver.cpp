// Drives SETUP.EXE through a whole installation the way a person would and
// saves a screenshot of each dialog: the demonstration of the program.
//
//   demo_driver.exe DIST_DIR OUT_DIR
//
// Run it on a Wine virtual desktop (explorer /desktop=...) so that captions
// and frames are drawn; SETUP.EXE starts on the same desktop.
#include <windows.h>

#include <commctrl.h>

#include <stdio.h>

#include <string>

#include "res/product_files.h"
#include "res/resource.h"
#include "tests/harness/harness.h"

namespace {

using namespace e2e;

std::string g_outDir;

bool Check(const Result& result, const char* step) {
  if (result)
    return true;
  fprintf(stderr, "demo: %s: %s\n", step, result.message());
  return false;
}

// A picture of the whole screen.
void SaveShot(const char* name) {
  std::string path = g_outDir + "\\" + name + ".bmp";
  if (Check(SaveScreenshot(nullptr, path), name))
    printf("demo: saved %s\n", path.c_str());
}

// A picture of the screen once dialog is active (the focus is in it) and its
// program has painted what it had pending, the dialog and the backdrop behind.
void Shot(const Process& setup, HWND dialog, const char* name) {
  PollUntil([&] {
    HWND focus = FocusWindow(setup.mainThreadId());
    return focus == dialog || IsChild(dialog, focus);
  });
  HWND backdrop = GetWindow(dialog, GW_OWNER);
  if (!Check(PaintPending(dialog), name) || (backdrop && !Check(PaintPending(backdrop), name)))
    return;
  SaveShot(name);
}

// The progress dialog flies by with the small payload: hold the program
// still for the picture once the dialog shows a file being copied. Looked
// for every millisecond: the harness's polls are too coarse for it.
void ShotMidCopy(Process& setup, HWND progress) {
  HWND copying = Control(progress, IDC_COPYING);
  const ULONGLONG deadline = GetTickCount64() + ScaledMs(2000);
  while (WindowText(copying).empty() && GetTickCount64() < deadline)
    Sleep(1);
  std::string shown = WindowText(copying);  // the thread answers no messages while held
  HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, setup.mainThreadId());
  if (thread)
    SuspendThread(thread);
  std::string path = g_outDir + "\\4-progress.bmp";
  if (Check(SaveScreenshot(nullptr, path), "progress"))
    printf("demo: saved %s (%s)\n", path.c_str(), shown.c_str());
  if (thread) {
    ResumeThread(thread);
    CloseHandle(thread);
  }
}

// Opens the directory picker, takes its picture and cancels it.
bool ShowPicker(Process& setup, HWND installDir) {
  if (!Check(ClickControl(installDir, IDC_BROWSE), "Browse..."))
    return false;
  HWND picker = nullptr;
  auto isPicker = [&](const WindowInfo& w) {
    return w.visible && w.hwnd != installDir && w.className == "#32770" &&
           w.caption != "ORLO 1.1 Setup";
  };
  if (!Check(WaitForWindowMatching(setup.pid(), isPicker, "the directory picker", &picker, 5000),
             "picker"))
    return false;
  Shot(setup, picker, "3-picker");
  return Check(ClickControl(picker, IDCANCEL), "picker Cancel") &&
         Check(WaitForWindowGone(picker), "picker closed");
}

bool RunDemo(Process& setup, const std::string& dist) {
  HWND welcome = nullptr, installDir = nullptr, progress = nullptr, group = nullptr,
       success = nullptr;
  if (!Check(setup.Start(JoinPath(dist, "SETUP.EXE"), dist), "start SETUP.EXE") ||
      !Check(WaitForWindow(setup.pid(), "Welcome", &welcome), "Welcome"))
    return false;
  Shot(setup, welcome, "1-welcome");
  if (!Check(ClickControl(welcome, IDOK), "Continue") ||
      !Check(WaitForWindow(setup.pid(), "Install Directory", &installDir), "Install Directory"))
    return false;
  Shot(setup, installDir, "2-install-directory");
  ShowPicker(setup, installDir);  // a picture, not a step the install needs
  if (!Check(ClickControl(installDir, IDOK), "OK") ||
      !Check(WaitForWindow(setup.pid(), "Installing...", &progress, 20000), "Installing..."))
    return false;
  ShotMidCopy(setup, progress);
  if (!Check(WaitForWindow(setup.pid(), "Create Application Group", &group, 60000),
             "Create Application Group"))
    return false;
  Shot(setup, group, "5-application-group");
  // OK, as most users answer: the shell makes the group.
  if (!Check(ClickControl(group, IDOK), "Create Application Group OK") ||
      !Check(WaitForWindow(setup.pid(), "Success", &success), "Success"))
    return false;
  Shot(setup, success, "6-success");
  return Check(ClickControl(success, IDOK), "Success OK");
}

BOOL CALLBACK FindFileList(HWND hwnd, LPARAM lParam) {
  if (ClassName(hwnd) != "SysListView32")
    return TRUE;
  *reinterpret_cast<HWND*>(lParam) = hwnd;
  return FALSE;
}

// The number of items the window's file list shows; -1 before it has one.
LRESULT ListedItems(HWND window) {
  HWND list = NULL;
  EnumChildWindows(window, FindFileList, reinterpret_cast<LPARAM>(&list));
  return list ? SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) : -1;
}

// The shortcuts in the group's folder, where Wine's shell keeps a group:
// three, or two where it finds no WINHELP.EXE for the help file (64-bit Wine).
size_t GroupShortcuts() {
  char appData[MAX_PATH] = "";
  DWORD n = GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
  if (n == 0 || n >= sizeof appData)
    return 0;
  return DirectoryEntries(std::string(appData) + "\\Microsoft\\Windows\\Start Menu\\Programs\\ORLO")
      .size();
}

// The shell's windows on the group it made, which stay after SETUP.EXE: one
// for CreateGroup and one for ShowGroup. Each fills its file list after it
// shows, and the second may show while the first fills: the picture waits
// until every window on the group lists every shortcut of it.
void ShowProgramGroup() {
  std::vector<HWND> windows = WaitForGroupWindows("ORLO");
  const size_t shortcuts = GroupShortcuts();
  auto eachListsAll = [&] {
    windows = GroupWindows("ORLO");
    for (HWND window : windows)
      if (ListedItems(window) != static_cast<LRESULT>(shortcuts))
        return false;
    return !windows.empty();
  };
  if (shortcuts == 0 || !PollUntil(eachListsAll, 20000)) {
    fprintf(stderr, "demo: the windows on the ORLO group do not list its %u shortcuts; they list:",
            static_cast<unsigned>(shortcuts));
    for (HWND window : windows)
      fprintf(stderr, " %ld", static_cast<long>(ListedItems(window)));
    fprintf(stderr, windows.empty() ? " (no window shows it)\n" : "\n");
    return;
  }
  printf("demo: %u windows on the ORLO group, each lists its %u shortcuts\n",
         static_cast<unsigned>(windows.size()), static_cast<unsigned>(shortcuts));
  SetForegroundWindow(windows.front());
  for (HWND window : windows)
    if (!Check(PaintPending(window), "program group"))
      return;
  SaveShot("7-program-group");
}

bool CheckInstalled(const std::string& dist) {
  const char* files[] = {ORLO_PRODUCT_FILES(ORLO_PRODUCT_FILE_NAME)};
  bool ok = true;
  for (const char* name : files)
    ok = Check(FilesEqual(JoinPath(dist, name), JoinPath("C:\\ORLO", name)), name) && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: demo_driver DIST_DIR OUT_DIR\n");
    return 2;
  }
  std::string dist = argv[1];
  g_outDir = argv[2];
  CreateDirectories(g_outDir);
  Process setup;
  bool ok = RunDemo(setup, dist);
  DWORD exitCode = 1;
  if (ok && Check(setup.WaitForExit(&exitCode), "SETUP.EXE ends")) {
    printf("demo: SETUP.EXE ended with exit code %lu\n", exitCode);
    ok = CheckInstalled(dist);
    printf("demo: %s\n", ok ? "all ten files installed in C:\\ORLO" : "installed files differ");
    ShowProgramGroup();
  }
  setup.Kill();
  fflush(stdout);
  return ok ? 0 : 1;
}
