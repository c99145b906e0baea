// The test harness: starts SETUP.EXE (or any program) under Wine and drives
// its windows from the test process the way a person would, and holds the
// waits and the file helpers that every test program, the demonstration and
// the benchmarks share. Each section below names the file that implements
// it; what those files share and the tests do not see is in
// harness_internal.h.
//
// Driving windows under Wine: what was measured (Wine 10.0, Xvfb 1024x768x24,
// no window manager; harness_selftest_e2e.cpp shows most of it)
// ---------------------------------------------------------------------------
// - The test program and the program under test must be on the same Wine
//   desktop: start both with plain `wine` in the same prefix (CTest does, via
//   tools/wine-run.sh). EnumWindows then sees the target's top-level windows,
//   and also a hidden "IME" window "Default IME" of every GUI process: filter
//   on visible windows (WindowInfo::visible).
// - All programs of one wineserver session share the display of the desktop
//   process that the first one started: a program started with another
//   DISPLAY while the prefix's wineserver still runs gets no windows (its
//   DialogBox returns 0 at once). Run `wineserver -k` (or wait for it to end,
//   a few seconds after the last program) before switching DISPLAY.
// - tools/wine-run.sh makes every prefix it creates run its programs on one
//   Wine virtual desktop, so Wine draws captions and frames itself and
//   screenshots show them. (Wine 8 also blocked for 2 s on every hidden
//   top-level window without one, waiting for a window manager; Wine 10 does
//   not: the setup dialogs' tests take the same time either way.)
// - Everything posted is asynchronous. Messages posted to windows of one
//   thread are handled in the order they were posted, so "type, then click"
//   needs no pause in between; but after posting, the target has not acted
//   yet: wait for the effect (a window, a text, a focus change), never sleep.
//   Sent messages (WM_GETTEXT, WM_SETTEXT, LB_GETTEXT) overtake posted ones.
// - BM_CLICK posted to a button works (the button sends itself
//   WM_LBUTTONDOWN/UP and notifies BN_CLICKED) and never blocks the test, even
//   when the click opens a modal dialog or a message box. A posted BM_CLICK
//   also fires on a disabled button; Click() refuses disabled or hidden
//   buttons and buttons of a disabled window (a modal box in front), because
//   a person cannot click those.
// - Keys: WM_KEYDOWN/WM_KEYUP posted to the focus window; GetGUIThreadInfo
//   gives the focus of another process's thread. The target's
//   IsDialogMessage turns VK_RETURN into the default button's command and
//   VK_ESCAPE into IDCANCEL, in a message box too (Esc closes an MB_OK box);
//   VK_TAB moves the focus to the next tab stop. Posted keys do not change
//   GetKeyState in the target: no Shift+Tab, no Alt+letter.
// - Mouse button messages posted to a list box at an item's middle
//   (LB_GETITEMRECT works across processes) select it, move the focus there
//   and notify LBN_DBLCLK for a double click, as for a person.
// - Typed characters are WM_CHAR posted straight to the edit box; the edit
//   takes them without having the focus.
// - WM_GETFONT sent to another process's dialog or control answers 0 (the
//   same message inside the process gives the font). So BaseUnitsOfTemplate
//   makes the template's font here the way the dialog manager does, and gets
//   what MapDialogRect gives inside the program.
// - SendMessageTimeout returns 0 also when the answer is 0 (e.g. WM_GETFONT,
//   LB_GETCOUNT of an empty list); only GetLastError tells a time-out.
// - GetWindowTextA of another process's edit box returns "" whatever it
//   shows, also after WM_SETTEXT: WindowText() sends WM_GETTEXT instead. The
//   A forms of list-box messages do not work across processes; the W forms
//   used here do.
// - EnableWindow works on another process's windows.
// - Control styles are not always the template's: an edit box and a list
//   box drop WS_BORDER and get WS_EX_CLIENTEDGE instead, a list box drops
//   WS_VSCROLL while its items fit; a drop-down combo box's
//   window is its selection field; a list box without LBS_NOINTEGRALHEIGHT
//   shrinks to whole items; an icon static takes its icon's size; a static
//   named by ordinal reads back as 0xFF and the ordinal's low byte
//   (DialogMatchesTemplate allows for these).
// - The old-style file dialog on a program's own template shows Wine's own
//   title, not the template's caption.
// - A Wine message box is a "#32770" window whose text is the static with id
//   0xFFFF, with an icon static of id 0x440 (1088) and the buttons; statics of
//   a program's own dialogs usually have id 0xFFFF too (IDC_STATIC), so
//   IsMessageBox also wants the icon static and nothing but statics and buttons.
// - Terminating a process removes its windows at once; the Process destructor
//   does this for a test that fails half-way.
// - GetPixel on GetDC(hwnd) of another process's window gives the window's
//   pixel where it is not covered, and #000000 where another window covers
//   it; the screen DC gives what is in front. ReadPixel refuses covered
//   points; ReadScreenPixel and SaveScreenshot read the screen.
// - A window shown or changed paints in its program's own time; until then
//   its pixels read black. ReadPixel first has the program paint what is
//   pending (PaintPending: RDW_UPDATENOW sends WM_PAINT to the owning thread).
// - A dialog is visible a moment before Wine activates it and gives the
//   focus to its first control: check the focus with WaitForFocus, never by
//   reading FocusWindow once.
// - SetWindowPos works on another process's windows.
// - A dialog without DS_CENTER sits at its template's x, y on the screen, e.g.
//   (0, 0); its client area starts at (3, 22) with Wine's own frame.
// - Timings (2 cores, warm prefix, unmanaged windows; more when the machine
//   is busy building): program start to its visible dialog 60-210 ms; a
//   posted click to a visible message box 35-150 ms; Esc to the dialog gone
//   and the process ended about 30 ms. A fresh prefix takes 10-20 s first.
//   Under an emulator (no 32-bit code on the host) all of it takes about ten
//   times as long: see TimeScale.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Every helper that can fail returns this: usable as ASSERT_TRUE(...), and its
// message says what was seen instead.
using Result = ::testing::AssertionResult;

// How long a wait lasts unless told otherwise (before TimeScale), and how
// often it looks.
constexpr DWORD kDefaultTimeoutMs = 10000;
constexpr DWORD kPollIntervalMs = 25;

// ---- Waiting (harness_process.cpp) ----------------------------------------
//
// Every timeoutMs of this harness, here and in the sections below, is what
// a native machine needs, and the wait itself multiplies it by TimeScale():
// no caller scales it, and a failure message prints the bound that was used.
// Poll intervals stay as they are.

// How many times slower than natively the programs run here: ORLO_TIME_SCALE,
// a whole number from 1 (1 when it is absent or not such a number), read
// once. An emulated machine sets it (ten is normal there) for every program
// it runs; Wine hands it to Windows programs with the rest of the Unix
// environment.
DWORD TimeScale();
// ms times TimeScale(), kept below INFINITE; INFINITE stays INFINITE. For a
// bound the harness does not wait on itself (a time-out handed to the
// system, a check of elapsed time), and for messages.
DWORD ScaledMs(DWORD ms);
// Waits like WaitForMultipleObjects for any of handles, dispatching this
// thread's messages meanwhile. A DDE connect is a message sent to every
// top-level window, the test's own DDEML windows among them: a test that
// waits without dispatching holds up every other program's connect.
DWORD WaitPumping(DWORD count, const HANDLE* handles, DWORD timeoutMs);
// Looks at condition every pollMs, dispatching this thread's messages in
// between, until it holds (true) or timeoutMs have passed (false). There is
// no plain pause: wait for what it would have waited for.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs,
               DWORD pollMs = kPollIntervalMs);

// ---- Files and directories (harness_files.cpp) ----------------------------

// dir + "\" + name, without doubling a trailing backslash.
std::string JoinPath(const std::string& dir, const std::string& name);
// Creates dir and its missing parents; an existing directory is fine.
Result CreateDirectories(const std::string& dir);
// Removes dir with everything in it (read-only files too); a missing dir is
// fine. Paths longer than MAX_PATH and names in any code page are removed
// too: the tree is walked by the wide functions.
Result RemoveTree(const std::string& dir);
// The names in dir without "." and "..", sorted; none when dir cannot be
// read. Whole names of any code page: dir and the pattern are joined with one
// '\', whatever dir's last byte is.
std::vector<std::string> DirectoryEntries(const std::string& dir);
// A fresh, empty directory %TEMP%\orlo-e2e\<name> (old contents removed).
Result MakeScratchDir(const std::string& name, std::string* path);
// Copies the files and subdirectories of from into to, creating to.
Result CopyDirectory(const std::string& from, const std::string& to);
// Copies the distribution directory into to (a scratch copy to start SETUP.EXE from).
Result CopyDistTo(const std::string& to);
// Reads a whole file.
Result ReadWholeFile(const std::string& path, std::string* bytes);
// Writes a whole file, replacing it.
Result WriteWholeFile(const std::string& path, const std::string& bytes);
// Both files exist and have the same bytes; says where they differ otherwise.
Result FilesEqual(const std::string& a, const std::string& b);
// The file holds exactly bytes; says where it differs otherwise.
Result FileHolds(const std::string& path, const std::string& bytes);
// size bytes of numbered lines naming the file: every 4096-byte chunk differs
// from the others, so that a chunk misplaced or left out shows.
std::string Payload(const std::string& name, size_t size);
// A file (not a directory) exists at path.
bool FileExists(const std::string& path);
// A directory exists at path.
bool DirectoryExists(const std::string& path);

// ---- Processes (harness_process.cpp) --------------------------------------

// The distribution directory (Windows path, no trailing backslash) from
// ORLO_DIST_DIR; empty when the variable is not set.
std::string DistDir();
// The directory of the fixture programs from ORLO_FIXTURES_DIR; empty if unset.
std::string FixturesDir();

// A started program. If it is still running when the object dies (the test
// failed half-way), it is terminated and waited for, taking its windows along.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;

  // Starts exe (a full path) in currentDir; args follow the quoted exe path.
  Result Start(const std::string& exe, const std::string& currentDir, const std::string& args = "");
  // Makes the next Start run the program with WINEDEBUG=winedebug and write
  // Wine's traces of it to tracePath (replaced).
  void TraceNextStart(const std::string& winedebug, const std::string& tracePath);
  // Waits for the program to end and gives its exit code.
  Result WaitForExit(DWORD* exitCode, DWORD timeoutMs = kDefaultTimeoutMs);
  // Started and not yet ended.
  bool IsRunning() const;
  // Terminates the program (exit code 1) if it runs, and waits for the end.
  void Kill();

  DWORD pid() const { return pid_; }
  // The first thread: the GUI thread of a single-threaded program.
  DWORD mainThreadId() const { return threadId_; }
  HANDLE handle() const { return process_; }

 private:
  void Close();
  Result StartTraced(const std::string& exe, const std::string& currentDir,
                     const std::string& args);

  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  DWORD threadId_ = 0;
  std::string winedebug_;
  std::string tracePath_;
};

// The program file of process pid (empty if it cannot be asked).
std::string ProcessImagePath(DWORD pid);

// ---- Top-level windows (harness_windows.cpp) ------------------------------

struct WindowInfo {
  HWND hwnd = nullptr;
  std::string className;
  std::string caption;
  bool visible = false;
};

// The top-level windows of process pid (0: of every process), in z-order.
std::vector<WindowInfo> TopLevelWindows(DWORD pid);
// One line per top-level window of pid, for failure messages.
std::string DescribeWindows(DWORD pid);
// Waits for a visible top-level window of pid whose caption is exactly caption.
Result WaitForWindow(DWORD pid, const std::string& caption, HWND* found,
                     DWORD timeoutMs = kDefaultTimeoutMs);
// Waits for a top-level window of pid that match accepts, looking every
// pollMs; what names it in the message. All waits for windows of pid stop
// early when pid has ended.
Result WaitForWindowMatching(DWORD pid, const std::function<bool(const WindowInfo&)>& match,
                             const std::string& what, HWND* found,
                             DWORD timeoutMs = kDefaultTimeoutMs, DWORD pollMs = kPollIntervalMs);
// Waits until hwnd is destroyed.
Result WaitForWindowGone(HWND hwnd, DWORD timeoutMs = kDefaultTimeoutMs);
// owner owns window, and window's centre is within a pixel of owner's.
Result CentredOver(HWND window, HWND owner);

// The shell's (explorer) windows on a program group now, the top one first.
std::vector<HWND> GroupWindows(const std::string& group);
// Wine's shell opens an explorer window on a program group for each of
// CreateGroup and ShowGroup, from processes it starts for them, and at times
// only one of the two shows (measured: 1 in 6 runs). Waits up to timeoutMs for
// the first, then a little for the second, and gives those that show.
std::vector<HWND> WaitForGroupWindows(const std::string& group, DWORD timeoutMs = 20000);
// Closes the explorer windows on group and waits until they are gone.
void CloseGroupWindows(const std::string& group);

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::string caption;
  std::string text;                  // the static with id 0xFFFF
  std::vector<std::string> buttons;  // texts of the visible buttons, in tab order
};

// hwnd looks like a message box: "#32770" with the 0xFFFF text static, the
// 0x440 icon static and nothing but statics and buttons.
bool IsMessageBox(HWND hwnd);
// Reads caption, text and buttons of a message box.
MessageBoxInfo ReadMessageBox(HWND hwnd);
// Waits for a visible message box of pid that is not one of ignore.
Result WaitForMessageBox(DWORD pid, MessageBoxInfo* box, DWORD timeoutMs = kDefaultTimeoutMs,
                         const std::vector<HWND>& ignore = {});

// ---- Dialog controls (harness_windows.cpp) --------------------------------

struct ControlInfo {
  HWND hwnd = nullptr;
  int id = 0;  // 0xFFFF for IDC_STATIC (-1)
  std::string className;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect = {};  // in the dialog's client coordinates
};

// The dialog's child windows in z-order, which is the tab order.
std::vector<ControlInfo> ListControls(HWND dialog);
// The child of dialog with id (first one in z-order).
Result FindControl(HWND dialog, int id, ControlInfo* control);
// The child window of dialog with id, or nullptr.
HWND Control(HWND dialog, int id);

// ---- Dialog templates (harness_templates.cpp) -----------------------------

// One control of a dialog template, in dialog units.
struct DialogTemplateItem {
  int id = 0;
  std::string className;  // predefined classes by name: "Button", "Edit", ...
  std::string text;       // an ordinal (icon) as "#n"
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
};

// A DIALOG or DIALOGEX resource.
struct DialogTemplate {
  int resourceId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;
  int pointSize = 0;  // font, when style has DS_SETFONT
  int weight = 0;
  bool italic = false;
  std::string faceName;
  std::vector<DialogTemplateItem> controls;
};

// Dialog template id of a program file.
Result ReadDialogTemplate(const std::string& exePath, int id, DialogTemplate* dialog);

// ---- Dialog layout (harness_layout.cpp) -----------------------------------

// Pixels per 4 horizontal and per 8 vertical dialog units.
struct DialogBaseUnits {
  int x = 0;
  int y = 0;
};

// The base units the dialog manager derives from a template: its font's, or
// the system font's without DS_SETFONT. Made here as the dialog manager makes
// them: WM_GETFONT cannot be asked, across processes Wine answers it with 0.
Result BaseUnitsOfTemplate(const DialogTemplate& dialog, DialogBaseUnits* units);
// dialog shows template templateId of its own program file: the same caption,
// style and extended style (less what the system adds to every dialog), a
// client area of the template's size, and the template's controls in tab
// order with their ids, classes, texts, styles and rectangles, each edge to
// within a pixel. Allowed for, as the system changes them: an edit box's text
// (the program's to fill); the WS_BORDER of an edit or list box (drawn as
// WS_EX_CLIENTEDGE); scroll bars (they come and go with the contents); the
// height of a drop-down combo box (its selection field) and of a list box
// without LBS_NOINTEGRALHEIGHT (whole items, no higher than the template);
// the size of an icon static (its icon's). Every difference is listed.
Result DialogMatchesTemplate(HWND dialog, int templateId);
// dialog has the client size that template templateId of its program file
// gives: it was made from that template, whatever has been changed since (a
// common dialog on a program's template has its own caption and texts).
Result DialogSizeMatchesTemplate(HWND dialog, int templateId);

// ---- Input (harness_input.cpp) --------------------------------------------

// Clicks a button (posted BM_CLICK); returns at once, also when the click
// opens a modal window. Fails on a hidden or disabled button or dialog.
Result Click(HWND button);
// Clicks the button with id in dialog.
Result ClickControl(HWND dialog, int id);
// Clicks item index of a list box with the mouse (button messages posted at
// the item's middle; the list selects it and notifies as for a person);
// doubleClick adds the second click (LBN_DBLCLK with LBS_NOTIFY). The item
// must be in sight.
Result ClickListItem(HWND listBox, int index, bool doubleClick = false);
// Types text into an edit box at its caret (posted WM_CHAR per character).
Result TypeText(HWND edit, const std::string& text);
// Selects all of the edit box's text and types text over it; waits until the
// box shows text.
Result ReplaceText(HWND edit, const std::string& text, DWORD timeoutMs = kDefaultTimeoutMs);
// Sets a window's text in one step (WM_SETTEXT, synchronous), not key by key.
Result SetText(HWND hwnd, const std::string& text);
// The focus window of the GUI thread threadId (nullptr if none).
HWND FocusWindow(DWORD threadId);
// Waits until the focus of threadId is on hwnd.
Result WaitForFocus(DWORD threadId, HWND hwnd, DWORD timeoutMs = kDefaultTimeoutMs);
// Presses and releases key vk on the focus window (else the active window) of threadId.
Result PressKey(DWORD threadId, UINT vk);
// Enter, Esc and Tab on the focus window of threadId.
Result PressEnter(DWORD threadId);
Result PressEscape(DWORD threadId);
Result PressTab(DWORD threadId);
// Asks a window to close like its system menu's Close (posted WM_SYSCOMMAND SC_CLOSE).
Result SendClose(HWND hwnd);

// ---- Reading windows (harness_reading.cpp) --------------------------------

// A window's text by WM_GETTEXT (edit boxes too); empty if it does not answer.
std::string WindowText(HWND hwnd);
// Waits until the window's text is exactly text.
Result WaitForWindowText(HWND hwnd, const std::string& text, DWORD timeoutMs = kDefaultTimeoutMs);
// The strings of a list box, in order.
std::vector<std::string> ListBoxItems(HWND listBox);
// The strings of a combo box's list, in order.
std::vector<std::string> ComboBoxItems(HWND comboBox);
// The index of the selected item of a single-selection list box, -1 if none.
int ListBoxSelection(HWND listBox);
// GWL_STYLE and GWL_EXSTYLE.
DWORD WindowStyle(HWND hwnd);
DWORD WindowExStyle(HWND hwnd);
// Window class name.
std::string ClassName(HWND hwnd);

// ---- Pixels (harness_reading.cpp) -----------------------------------------

// The colour of client pixel (x, y) of hwnd. Fails when another top-level
// window covers that point (Wine would answer black there).
// Has the thread that owns the window paint whatever it has pending, and
// waits until it has. ReadPixel does this first.
Result PaintPending(HWND hwnd, DWORD timeoutMs = kDefaultTimeoutMs);
Result ReadPixel(HWND hwnd, int x, int y, COLORREF* colour);
// The colour of screen pixel (x, y): whatever window is in front there.
Result ReadScreenPixel(int x, int y, COLORREF* colour);
// "#rrggbb", for messages.
std::string ColourName(COLORREF colour);
// Saves the window's rectangle on the screen (hwnd nullptr: the whole screen)
// as a 24-bit BMP file.
Result SaveScreenshot(HWND hwnd, const std::string& bmpPath);

}  // namespace e2e
