// The harness proves itself on the probe fixture: a dialog with an edit box,
// a list, OK (shows the edit's text in a message box) and Cancel (exit 3).
#include "tests/fixtures/harness_probe.h"
#include "tests/harness/harness.h"

#include <cstring>

namespace {

// The probe's template as harness_probe.rc writes it, in dialog units: what
// the harness's reading of the program file is checked against.
struct TemplateRect {
  int id, x, y, cx, cy;
};
const TemplateRect kProbeControls[] = {
    {IDC_PROBE_EDIT, 10, 10, 120, 14}, {IDC_PROBE_LIST, 10, 30, 120, 40},  {IDOK, 140, 10, 50, 14},
    {IDCANCEL, 140, 28, 50, 14},       {IDC_PROBE_COMBO, 140, 50, 50, 60}, {0xFFFF, 10, 76, 120, 8},
};

class HarnessProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = e2e::JoinPath(e2e::FixturesDir(), "harness_probe.exe");
    ASSERT_TRUE(e2e::FileExists(exe_)) << "fixture " << exe_ << " (ORLO_FIXTURES_DIR)";
  }

  // Starts the probe from dir and waits for its dialog.
  void StartProbe(const std::string& exe, const std::string& dir) {
    ULONGLONG started = GetTickCount64();
    ASSERT_TRUE(probe_.Start(exe, dir));
    ASSERT_TRUE(e2e::WaitForWindow(probe_.pid(), PROBE_CAPTION, &dialog_));
    std::printf("probe start to visible dialog: %llu ms\n", GetTickCount64() - started);
    edit_ = e2e::Control(dialog_, IDC_PROBE_EDIT);
    list_ = e2e::Control(dialog_, IDC_PROBE_LIST);
    ASSERT_NE(edit_, nullptr);
    ASSERT_NE(list_, nullptr);
  }
  void StartProbe() { StartProbe(exe_, e2e::FixturesDir()); }

  void ExpectCancelExit() {
    DWORD code = 0;
    ASSERT_TRUE(probe_.WaitForExit(&code));
    EXPECT_EQ(code, DWORD(PROBE_CANCEL_EXIT_CODE));
  }

  DWORD thread() const { return probe_.mainThreadId(); }

  std::string exe_;
  e2e::Process probe_;
  HWND dialog_ = nullptr;
  HWND edit_ = nullptr;
  HWND list_ = nullptr;
};

TEST_F(HarnessProbe, ListsControlsInTabOrderAndFindsThemWhereTheTemplatePutsThem) {
  ASSERT_NO_FATAL_FAILURE(StartProbe());
  std::vector<e2e::ControlInfo> controls = e2e::ListControls(dialog_);
  ASSERT_EQ(controls.size(), std::size(kProbeControls));
  const char* const classes[] = {"Edit", "ListBox", "Button", "Button", "ComboBox", "Static"};
  const char* const texts[] = {"", "", "OK", "Cancel", "", "Type, then OK"};
  for (size_t i = 0; i < controls.size(); ++i) {
    EXPECT_EQ(controls[i].id, kProbeControls[i].id) << "control " << i;
    EXPECT_EQ(controls[i].className, classes[i]) << "control " << i;
    EXPECT_EQ(controls[i].text, texts[i]) << "control " << i;
  }
  EXPECT_EQ(controls[2].style & 0xF, DWORD(BS_DEFPUSHBUTTON)) << std::hex << controls[2].style;
  // The edit box turns the template's WS_BORDER into a sunken edge.
  EXPECT_EQ(controls[0].style & WS_BORDER, 0u) << std::hex << controls[0].style;
  EXPECT_EQ(controls[0].exStyle & WS_EX_CLIENTEDGE, DWORD(WS_EX_CLIENTEDGE))
      << std::hex << controls[0].exStyle;

  // The template read from the program file is the resource script's.
  e2e::DialogTemplate probe;
  ASSERT_TRUE(e2e::ReadDialogTemplate(exe_, IDD_PROBE, &probe));
  EXPECT_EQ(probe.caption, PROBE_CAPTION);
  EXPECT_EQ(probe.faceName, "MS Sans Serif");
  EXPECT_EQ(probe.pointSize, 8);
  EXPECT_EQ(probe.cx, 200);
  EXPECT_EQ(probe.cy, 100);
  ASSERT_EQ(probe.controls.size(), std::size(kProbeControls));
  for (size_t i = 0; i < probe.controls.size(); ++i) {
    const e2e::DialogTemplateItem& item = probe.controls[i];
    const TemplateRect& t = kProbeControls[i];
    EXPECT_EQ(item.id, t.id) << "control " << i;
    EXPECT_EQ(item.className, classes[i]) << "control " << i;
    EXPECT_TRUE(item.x == t.x && item.y == t.y && item.cx == t.cx && item.cy == t.cy)
        << "control " << i << " at " << item.x << "," << item.y << "," << item.cx << "," << item.cy;
  }
  EXPECT_EQ(probe.controls[5].text, "Type, then OK");
  EXPECT_EQ(probe.controls[0].style & WS_BORDER, DWORD(WS_BORDER));
  // Its base units are those the dialog manager gave the probe.
  e2e::DialogBaseUnits units;
  ASSERT_TRUE(e2e::BaseUnitsOfTemplate(probe, &units));
  DWORD_PTR mapped = 0;
  ASSERT_TRUE(SendMessageTimeoutW(dialog_, PROBE_GET_BASE_UNITS, 0, 0, SMTO_ABORTIFHUNG,
                                  e2e::ScaledMs(e2e::kDefaultTimeoutMs), &mapped));
  EXPECT_EQ(units.x, LOWORD(mapped));
  EXPECT_EQ(units.y, HIWORD(mapped));
  std::printf("base units of 8-point MS Sans Serif: %d x %d\n", units.x, units.y);

  EXPECT_TRUE(e2e::DialogMatchesTemplate(dialog_, IDD_PROBE));
  // A control two pixels off its place is found out, and so is another template.
  RECT list = controls[1].rect;
  ASSERT_TRUE(SetWindowPos(list_, nullptr, list.left + 2, list.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  e2e::Result moved = e2e::DialogMatchesTemplate(dialog_, IDD_PROBE);
  EXPECT_FALSE(moved);
  std::printf("list moved: %s\n", moved.message());
  EXPECT_FALSE(e2e::DialogMatchesTemplate(dialog_, IDD_PROBE + 1));

  EXPECT_EQ(e2e::ListBoxItems(list_), (std::vector<std::string>{"alpha", "beta", "gamma"}));
  EXPECT_EQ(e2e::ListBoxSelection(list_), -1);
  EXPECT_EQ(e2e::ComboBoxItems(e2e::Control(dialog_, IDC_PROBE_COMBO)),
            (std::vector<std::string>{"alpha", "beta", "gamma"}));

  ASSERT_TRUE(e2e::SendClose(dialog_));
  ASSERT_NO_FATAL_FAILURE(ExpectCancelExit());
}

TEST_F(HarnessProbe, TypesClicksAndAnswersTheMessageBox) {
  ASSERT_NO_FATAL_FAILURE(StartProbe());
  ASSERT_TRUE(e2e::ReplaceText(edit_, "hello e2e"));
  ASSERT_TRUE(e2e::ReplaceText(edit_, "C:\\ORLO\\"));  // typing over a selection

  ULONGLONG clicked = GetTickCount64();
  ASSERT_TRUE(e2e::ClickControl(dialog_, IDOK));  // must not wait for the modal box
  e2e::MessageBoxInfo box;
  ASSERT_TRUE(e2e::WaitForMessageBox(probe_.pid(), &box, e2e::kDefaultTimeoutMs, {dialog_}));
  std::printf("posted click to visible message box: %llu ms\n", GetTickCount64() - clicked);
  EXPECT_EQ(box.caption, PROBE_BOX_CAPTION);
  EXPECT_EQ(box.text, "C:\\ORLO\\");
  EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(e2e::IsMessageBox(dialog_)) << "the probe dialog is no message box";

  // A person cannot reach the dialog behind a modal box.
  e2e::Result refused = e2e::ClickControl(dialog_, IDCANCEL);
  EXPECT_FALSE(refused);
  std::printf("click behind the box: %s\n", refused.message());

  ASSERT_TRUE(e2e::PressEnter(thread()));
  ASSERT_TRUE(e2e::WaitForWindowGone(box.hwnd));
  ASSERT_TRUE(e2e::PressEscape(thread()));
  ASSERT_NO_FATAL_FAILURE(ExpectCancelExit());
}

TEST_F(HarnessProbe, KeysGoToTheFocusWindow) {
  ASSERT_NO_FATAL_FAILURE(StartProbe());
  ASSERT_TRUE(e2e::WaitForFocus(thread(), edit_));
  ASSERT_TRUE(e2e::TypeText(edit_, "abc"));
  ASSERT_TRUE(e2e::TypeText(edit_, "def"));
  EXPECT_TRUE(e2e::WaitForWindowText(edit_, "abcdef"));
  ASSERT_TRUE(e2e::ReplaceText(edit_, ""));
  ASSERT_TRUE(e2e::TypeText(edit_, "abcdef"));

  ASSERT_TRUE(e2e::PressTab(thread()));
  ASSERT_TRUE(e2e::WaitForFocus(thread(), list_));

  // Enter anywhere in the dialog is the default button, OK; Esc closes a
  // message box that has only OK.
  ASSERT_TRUE(e2e::PressEnter(thread()));
  e2e::MessageBoxInfo box;
  ASSERT_TRUE(e2e::WaitForMessageBox(probe_.pid(), &box, e2e::kDefaultTimeoutMs, {dialog_}));
  EXPECT_EQ(box.text, "abcdef");
  ASSERT_TRUE(e2e::PressEscape(thread()));
  ASSERT_TRUE(e2e::WaitForWindowGone(box.hwnd));
  EXPECT_TRUE(probe_.IsRunning());

  ASSERT_TRUE(e2e::SetText(edit_, "set directly"));
  EXPECT_EQ(e2e::WindowText(edit_), "set directly");
  ASSERT_TRUE(e2e::ClickControl(dialog_, IDCANCEL));
  ASSERT_NO_FATAL_FAILURE(ExpectCancelExit());
}

TEST_F(HarnessProbe, ClicksAndDoubleClicksListItems) {
  ASSERT_NO_FATAL_FAILURE(StartProbe());
  ASSERT_TRUE(e2e::ClickListItem(list_, 2));
  e2e::PollUntil([&] { return e2e::ListBoxSelection(list_) == 2; });
  EXPECT_EQ(e2e::ListBoxSelection(list_), 2);
  EXPECT_TRUE(e2e::WaitForFocus(thread(), list_)) << "a click gives the list the focus";

  ASSERT_TRUE(e2e::ClickListItem(list_, 1, true));
  e2e::MessageBoxInfo box;
  ASSERT_TRUE(e2e::WaitForMessageBox(probe_.pid(), &box, e2e::kDefaultTimeoutMs, {dialog_}));
  EXPECT_EQ(box.text, "beta");
  EXPECT_FALSE(e2e::ClickListItem(list_, 0)) << "the list is behind a modal box";
  ASSERT_TRUE(e2e::Click(e2e::Control(box.hwnd, IDOK)));
  ASSERT_TRUE(e2e::WaitForWindowGone(box.hwnd));
  e2e::Result noItem = e2e::ClickListItem(list_, 7);
  EXPECT_FALSE(noItem);
  std::printf("click on item 7: %s\n", noItem.message());
  ASSERT_TRUE(e2e::SendClose(dialog_));
  ASSERT_NO_FATAL_FAILURE(ExpectCancelExit());
}

TEST_F(HarnessProbe, ReadsPixelsAndSavesScreenshots) {
  ASSERT_NO_FATAL_FAILURE(StartProbe());
  const COLORREF background = RGB(PROBE_BACKGROUND_R, PROBE_BACKGROUND_G, PROBE_BACKGROUND_B);
  COLORREF pixel = 0;
  // Painting follows the window's appearance; give it the time bound.
  e2e::PollUntil([&] { return e2e::ReadPixel(dialog_, 3, 3, &pixel) && pixel == background; });
  EXPECT_TRUE(e2e::ReadPixel(dialog_, 3, 3, &pixel));
  EXPECT_EQ(e2e::ColourName(pixel), e2e::ColourName(background));
  POINT onScreen = {3, 3};
  ClientToScreen(dialog_, &onScreen);
  ASSERT_TRUE(e2e::ReadScreenPixel(onScreen.x, onScreen.y, &pixel));
  EXPECT_EQ(e2e::ColourName(pixel), e2e::ColourName(background));

  // A message box moved over that point hides it.
  ASSERT_TRUE(e2e::ClickControl(dialog_, IDOK));
  e2e::MessageBoxInfo box;
  ASSERT_TRUE(e2e::WaitForMessageBox(probe_.pid(), &box, e2e::kDefaultTimeoutMs, {dialog_}));
  ASSERT_TRUE(SetWindowPos(box.hwnd, nullptr, onScreen.x - 1, onScreen.y - 1, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  e2e::Result covered = e2e::ReadPixel(dialog_, 3, 3, &pixel);
  EXPECT_FALSE(covered);
  std::printf("covered pixel: %s\n", covered.message());

  std::string dir;
  ASSERT_TRUE(e2e::MakeScratchDir("selftest-screens", &dir));
  for (HWND window : {dialog_, HWND(nullptr)}) {
    std::string path = e2e::JoinPath(dir, window ? "probe.bmp" : "screen.bmp");
    ASSERT_TRUE(e2e::SaveScreenshot(window, path));
    std::string bytes;
    ASSERT_TRUE(e2e::ReadWholeFile(path, &bytes));
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window)
      GetWindowRect(window, &area);
    const size_t stride = ((area.right - area.left) * 3 + 3) & ~3u;
    EXPECT_EQ(bytes.size(), 54 + stride * (area.bottom - area.top)) << path;
  }
  EXPECT_TRUE(e2e::RemoveTree(dir));
}

TEST_F(HarnessProbe, KillsAProgramTheTestLeftRunning) {
  DWORD pid = 0;
  {
    e2e::Process left;
    ASSERT_TRUE(left.Start(exe_, e2e::FixturesDir()));
    pid = left.pid();
    ASSERT_TRUE(e2e::WaitForWindow(pid, PROBE_CAPTION, &dialog_));
  }
  EXPECT_FALSE(IsWindow(dialog_)) << "the dialog outlived its process";
  EXPECT_TRUE(e2e::TopLevelWindows(pid).empty()) << e2e::DescribeWindows(pid);
  e2e::Result none = e2e::WaitForWindow(pid, PROBE_CAPTION, nullptr, 200);
  EXPECT_FALSE(none);
  std::printf("wait for a window that never comes: %s\n", none.message());
}

TEST_F(HarnessProbe, RunsFromAScratchCopy) {
  std::string dir;
  ASSERT_TRUE(e2e::MakeScratchDir("selftest-copy", &dir));
  std::string source = e2e::JoinPath(dir, "source");
  std::string copy = e2e::JoinPath(dir, "copy\\of\\it");
  ASSERT_TRUE(e2e::CreateDirectories(e2e::JoinPath(source, "sub")));
  ASSERT_TRUE(e2e::WriteWholeFile(e2e::JoinPath(source, "sub\\data.bin"), {1, 2, 3, 0, '\xFF'}));
  ASSERT_TRUE(CopyFileA(exe_.c_str(), e2e::JoinPath(source, "probe.exe").c_str(), FALSE));
  SetFileAttributesA(e2e::JoinPath(source, "sub\\data.bin").c_str(), FILE_ATTRIBUTE_READONLY);

  ASSERT_TRUE(e2e::CopyDirectory(source, copy));
  EXPECT_TRUE(e2e::FilesEqual(e2e::JoinPath(source, "sub\\data.bin"),
                              e2e::JoinPath(copy, "sub\\data.bin")));
  EXPECT_TRUE(e2e::FilesEqual(exe_, e2e::JoinPath(copy, "probe.exe")));
  e2e::Result differ = e2e::FilesEqual(exe_, e2e::JoinPath(copy, "sub\\data.bin"));
  EXPECT_FALSE(differ);
  std::printf("different files: %s\n", differ.message());

  ASSERT_NO_FATAL_FAILURE(StartProbe(e2e::JoinPath(copy, "probe.exe"), copy));
  ASSERT_TRUE(e2e::PressEscape(thread()));
  ASSERT_NO_FATAL_FAILURE(ExpectCancelExit());

  ASSERT_TRUE(e2e::RemoveTree(dir));
  EXPECT_FALSE(e2e::DirectoryExists(dir));
  EXPECT_FALSE(e2e::FileExists(e2e::JoinPath(source, "sub\\data.bin")));
}

}  // namespace
