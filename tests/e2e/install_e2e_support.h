// What the installer's end-to-end tests share: a run of the real SETUP.EXE
// from a scratch copy of the distribution directory into a destination of
// its own, driven to the copy and past it, with the files checked after.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/product_files.h"
#include "res/resource.h"
#include "tests/harness/harness.h"
#include "tests/unit/install_test_support.h"

namespace install_e2e {

using namespace e2e;

// The product's files in the order they are copied.
const char* const kProductFiles[] = {ORLO_PRODUCT_FILES(ORLO_PRODUCT_FILE_NAME)};

// The product's files in copy order, without the one named.
inline std::vector<std::string> ProductFilesExcept(const std::string& left) {
  std::vector<std::string> names;
  for (const char* name : kProductFiles)
    if (name != left)
      names.push_back(name);
  return names;
}

// The product's files in copy order, up to and with the one named.
inline std::vector<std::string> ProductFilesUpTo(const std::string& last) {
  std::vector<std::string> names;
  for (const char* name : kProductFiles) {
    names.push_back(name);
    if (name == last)
      break;
  }
  return names;
}

// The longest a whole copy may take, on a machine busy with other work too
// (seen: a copy that takes a second alone took over ten beside two builds).
constexpr DWORD kCopyTimeoutMs = 60000;

// Every destination of these tests lies below this directory.
const char kDestRoot[] = "C:\\orlo-e2e-install";

// Size of a file that another process may hold open, or -1.
inline long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    return -1;
  return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// part is exactly the first bytes of whole.
inline Result IsPrefixOf(const std::string& part, const std::string& whole) {
  std::string a, b;
  Result read = ReadWholeFile(part, &a);
  if (read)
    read = ReadWholeFile(whole, &b);
  if (!read)
    return read;
  if (a.size() > b.size() || b.compare(0, a.size(), a) != 0)
    return ::testing::AssertionFailure()
           << part << " (" << a.size() << " bytes) is not the start of " << whole << " ("
           << b.size() << " bytes)";
  return ::testing::AssertionSuccess()
         << part << " is the first " << a.size() << " of " << b.size() << " bytes";
}

inline bool IsProgressDialog(const WindowInfo& window) {
  return window.className == "#32770" && window.caption == "Installing..." &&
         Control(window.hwnd, IDC_PROGRESS_BAR);
}

// One run of SETUP.EXE. The test names the scratch copy of the distribution
// directory and the destination below kDestRoot; both are removed at the
// end, and the program is ended if it still runs.
class InstallRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(DistDir().empty()) << "ORLO_DIST_DIR is not set";
    // Every program of these tests shares kDestRoot: what an earlier one left
    // there when it was killed must not fail this one.
    ASSERT_TRUE(install_test::RemoveTreeOfFaults(kDestRoot));
    ASSERT_TRUE(CreateDirectories(kDestRoot));
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // One directory per test: a parameterized test's name holds a '/', which
    // a \\?\ path would keep as part of the name.
    std::string name = std::string("install-") + info->name();
    std::replace(name.begin(), name.end(), '/', '-');
    ASSERT_TRUE(MakeScratchDir(name, &dist_));
    ASSERT_TRUE(CopyDistTo(dist_));
  }
  void TearDown() override {
    setup_.Kill();
    RemoveTree(kDestRoot);
    RemoveTree(dist_);
  }

  std::string Dist(const std::string& name) const { return JoinPath(dist_, name); }
  static std::string Under(const std::string& relative) { return JoinPath(kDestRoot, relative); }

  // Starts SETUP.EXE from the scratch copy (or the program named), in that
  // directory or in startDir, continues on Welcome, types destination into
  // Install Directory and presses OK.
  void StartAndEnter(const std::string& destination, const std::string& startDir = "",
                     const std::string& program = "") {
    ASSERT_TRUE(setup_.Start(program.empty() ? Dist("SETUP.EXE") : program,
                             startDir.empty() ? dist_ : startDir));
    HWND welcome = nullptr;
    ASSERT_TRUE(WaitForWindow(setup_.pid(), "Welcome", &welcome)) << DescribeWindows(setup_.pid());
    ASSERT_TRUE(ClickControl(welcome, IDOK));
    HWND installDir = nullptr;
    ASSERT_TRUE(WaitForWindow(setup_.pid(), "Install Directory", &installDir));
    HWND edit = Control(installDir, IDC_DEST_DIR);
    if (destination.empty()) {
      ASSERT_TRUE(SetText(edit, ""));
    } else {
      ASSERT_TRUE(ReplaceText(edit, destination));
    }
    ASSERT_TRUE(ClickControl(installDir, IDOK));
  }

  // Waits for the progress dialog (shown or ended).
  void WaitForProgressDialog() {
    ASSERT_TRUE(
        WaitForWindowMatching(setup_.pid(), IsProgressDialog, "progress dialog", &progress_))
        << DescribeWindows(setup_.pid());
  }

  // Waits until the progress dialog names the file.
  void WaitForCopying(const std::string& name) {
    ASSERT_NO_FATAL_FAILURE(WaitForProgressDialog());
    ASSERT_TRUE(WaitForWindowText(Control(progress_, IDC_COPYING), "Copying: " + name));
  }

  // The next message box says text; OK closes it.
  void ExpectMessage(const std::string& text) {
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(setup_.pid(), &box, kDefaultTimeoutMs, answered_))
        << DescribeWindows(setup_.pid());
    EXPECT_EQ(text, box.text);
    answered_.push_back(box.hwnd);
    ASSERT_TRUE(ClickControl(box.hwnd, IDOK));
  }

  // The program ends by itself after the last message: no further dialog.
  void ExpectEnd() {
    DWORD exitCode = 1234;
    ASSERT_TRUE(setup_.WaitForExit(&exitCode)) << DescribeWindows(setup_.pid());
    EXPECT_EQ(0u, exitCode);
  }

  // The failed copy's end: "Failed to install ORLO", then nothing more.
  void ExpectFailedInstall() {
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("Failed to install ORLO"));
    ExpectEnd();
  }

  // Waits for Create Application Group, which follows the copy.
  void WaitForGroupQuestion(HWND* appGroup) {
    ASSERT_TRUE(WaitForWindow(setup_.pid(), "Create Application Group", appGroup, kCopyTimeoutMs))
        << DescribeWindows(setup_.pid());
  }

  // Answers the group question with button: IDOK, or IDCANCEL (Skip).
  void AnswerGroupQuestion(int button) {
    HWND appGroup = nullptr;
    ASSERT_NO_FATAL_FAILURE(WaitForGroupQuestion(&appGroup));
    ASSERT_TRUE(ClickControl(appGroup, button));
  }

  // Success comes next, with no message box beside it (the group step may
  // first wait on Program Manager); OK ends the program.
  void FinishOnSuccess() {
    HWND success = nullptr;
    ASSERT_TRUE(WaitForWindow(setup_.pid(), "Success", &success, 30000))
        << DescribeWindows(setup_.pid());
    for (const WindowInfo& window : TopLevelWindows(setup_.pid()))
      EXPECT_FALSE(window.visible && IsMessageBox(window.hwnd))
          << "message box: " << ReadMessageBox(window.hwnd).text;
    ASSERT_TRUE(ClickControl(success, IDOK));
    ExpectEnd();
  }

  // After a successful copy: Skip on the group question, OK on Success.
  void SkipGroupAndFinish() {
    ASSERT_NO_FATAL_FAILURE(AnswerGroupQuestion(IDCANCEL));
    FinishOnSuccess();
  }

  // Every listed file at destination has the bytes of the scratch copy's.
  void ExpectInstalled(const std::string& destination, const std::vector<std::string>& names) {
    for (const std::string& name : names)
      EXPECT_TRUE(FilesEqual(Dist(name), JoinPath(destination, name))) << name;
  }

  Process setup_;
  std::string dist_;
  HWND progress_ = nullptr;
  std::vector<HWND> answered_;
};

// Reads the bar of the ended progress dialog: shows it again, without
// activating it, above the other windows and away from the dialogs centred
// on the screen, and collects which colours its middle row holds and where
// the label's ink lies. Wine does not read pixels through a DC of another
// process's child window, so the bar is read through the dialog's.
struct BarReading {
  int width = 0;
  int red = 0;
  int white = 0;
  int other = 0;  // label ink and its edges
  int inkLeft = -1;
  int inkRight = -1;
  COLORREF first = 0;
  COLORREF last = 0;
};

inline Result ReadEndedBar(HWND progress, BarReading* reading) {
  HWND bar = Control(progress, IDC_PROGRESS_BAR);
  RECT rc;
  GetClientRect(bar, &rc);
  POINT origin = {0, 0};
  MapWindowPoints(bar, progress, &origin, 1);
  reading->width = rc.right;

  // Shown and painted in the program's own time: wait until the bar's first
  // column reads red.
  COLORREF probe = 0;
  Result readable = ::testing::AssertionFailure() << "not tried";
  PollUntil([&] {
    // Asked again until it shows: a request to another process's window can
    // be overtaken by that process's own positioning. A window cannot be
    // moved and shown by one call.
    RECT where;
    GetWindowRect(progress, &where);
    if (where.left != 0 || where.top != 0)
      SetWindowPos(progress, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(progress, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    readable = ReadPixel(progress, origin.x, origin.y + 1, &probe);
    return readable && probe == RGB(255, 0, 0);
  });
  if (!readable)
    return readable;

  // Shown again just now: read it once it has painted all of it.
  Result painted = PaintPending(progress);
  if (!painted)
    return painted;
  HDC dc = GetDC(progress);
  for (int x = 0; x < rc.right; x++) {
    for (int y = 0; y < rc.bottom; y++) {
      COLORREF c = GetPixel(dc, origin.x + x, origin.y + y);
      if (c != RGB(255, 0, 0) && c != RGB(255, 255, 255)) {
        if (reading->inkLeft < 0)
          reading->inkLeft = x;
        reading->inkRight = x;
      }
      if (y != rc.bottom / 2)
        continue;
      if (x == 0)
        reading->first = c;
      reading->last = c;
      if (c == RGB(255, 0, 0))
        reading->red++;
      else if (c == RGB(255, 255, 255))
        reading->white++;
      else
        reading->other++;
    }
  }
  ReleaseDC(progress, dc);
  ShowWindow(progress, SW_HIDE);
  return ::testing::AssertionSuccess();
}

// Width in pixels of text in the progress dialog's font, made the way the
// dialog manager makes a template's font (8-point "MS Sans Serif"); with
// systemFont, in the font a fresh device context carries.
inline int LabelWidth(const std::string& text, bool systemFont = false) {
  HDC dc = GetDC(nullptr);
  int pixels = MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  HFONT font = systemFont
                   ? nullptr
                   : CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 0, 0, PROOF_QUALITY, FF_DONTCARE, "MS Sans Serif");
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &size);
  if (old)
    SelectObject(dc, old);
  if (font)
    DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

}  // namespace install_e2e
