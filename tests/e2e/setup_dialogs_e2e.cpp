// The start of a run as a person sees it: the backdrop, the Welcome dialog
// and the Install Directory dialog, the ways out of them, and what is left
// when the program ends.
#include <windows.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/harness/harness.h"

namespace {

using namespace e2e;

class SetupRun : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree("C:\\ORLO");
    ASSERT_FALSE(DistDir().empty()) << "ORLO_DIST_DIR is not set";
    ASSERT_TRUE(setup_.Start(JoinPath(DistDir(), "SETUP.EXE"), DistDir()));
    ASSERT_TRUE(WaitForWindow(setup_.pid(), "Welcome", &welcome_)) << DescribeWindows(setup_.pid());
  }
  void TearDown() override {
    setup_.Kill();
    RemoveTree("C:\\ORLO");
  }

  // Continue on Welcome; the Install Directory dialog opens.
  void GoToInstallDirectory() {
    ASSERT_TRUE(ClickControl(welcome_, IDOK));
    ASSERT_TRUE(WaitForWindow(setup_.pid(), "Install Directory", &installDir_))
        << DescribeWindows(setup_.pid());
  }

  // The program ends by itself: no message box on the way, the class
  // library's exit code, no window left and no destination made.
  void ExpectQuietEnd() {
    DWORD exitCode = 1234;
    ASSERT_TRUE(setup_.WaitForExit(&exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(TopLevelWindows(setup_.pid()).empty()) << DescribeWindows(setup_.pid());
    EXPECT_FALSE(DirectoryExists("C:\\ORLO")) << "nothing is installed on the way out";
  }

  Process setup_;
  HWND welcome_ = nullptr;
  HWND installDir_ = nullptr;
};

TEST_F(SetupRun, CancelOnWelcomeEndsQuietly) {
  ASSERT_TRUE(ClickControl(welcome_, IDCANCEL));
  ExpectQuietEnd();
}

TEST_F(SetupRun, EscOnWelcomeEndsQuietly) {
  ASSERT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(welcome_, IDOK)));
  ASSERT_TRUE(PressEscape(setup_.mainThreadId()));
  ExpectQuietEnd();
}

TEST_F(SetupRun, WelcomeIsItsTemplate) {
  EXPECT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(welcome_, IDOK)))
      << "the focus starts on Continue";
  EXPECT_TRUE(DialogMatchesTemplate(welcome_, IDD_WELCOME));
}

TEST_F(SetupRun, EnterOnWelcomeOpensInstallDirectoryAtTheDefault) {
  ASSERT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(welcome_, IDOK)));
  ASSERT_TRUE(PressEnter(setup_.mainThreadId()));
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Install Directory", &installDir_))
      << DescribeWindows(setup_.pid());
  EXPECT_FALSE(IsWindow(welcome_)) << "Welcome is closed before the next dialog opens";
  // Wine's Windows directory is C:\windows, so the default is on C:.
  EXPECT_EQ("C:\\ORLO\\", WindowText(Control(installDir_, IDC_DEST_DIR)));
  EXPECT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(installDir_, IDC_DEST_DIR)));
}

TEST_F(SetupRun, InstallDirectoryIsItsTemplate) {
  GoToInstallDirectory();
  ASSERT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(installDir_, IDC_DEST_DIR)));
  EXPECT_TRUE(DialogMatchesTemplate(installDir_, IDD_INSTALL_DIR));
}

TEST_F(SetupRun, ExitOnInstallDirectoryEndsQuietly) {
  GoToInstallDirectory();
  ASSERT_TRUE(ReplaceText(Control(installDir_, IDC_DEST_DIR), "C:\\ORLO\\typed\\but\\not\\made"));
  ASSERT_TRUE(ClickControl(installDir_, IDCANCEL));
  ExpectQuietEnd();
  EXPECT_FALSE(DirectoryExists("C:\\ORLO\\typed"));
}

TEST_F(SetupRun, EscOnInstallDirectoryEndsQuietly) {
  GoToInstallDirectory();
  ASSERT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(installDir_, IDC_DEST_DIR)));
  ASSERT_TRUE(PressEscape(setup_.mainThreadId()));
  ExpectQuietEnd();
}

TEST_F(SetupRun, BackdropCoversTheScreenWithTheGradient) {
  HWND backdrop = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "ORLO 1.1 Setup", &backdrop))
      << DescribeWindows(setup_.pid());
  RECT window;
  GetWindowRect(backdrop, &window);
  EXPECT_EQ(0, window.left);
  EXPECT_EQ(0, window.top);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), window.right) << "width";
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), window.bottom) << "height";
  DWORD style = WindowStyle(backdrop);
  EXPECT_EQ(0u, style & (WS_MAXIMIZEBOX | DS_MODALFRAME)) << std::hex << "style 0x" << style;
  EXPECT_EQ((DWORD)(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
            style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX))
      << std::hex << "style 0x" << style;
  EXPECT_FALSE(IsWindowEnabled(backdrop)) << "the modal Welcome disables its owner";

  RECT client;
  GetClientRect(backdrop, &client);
  int h = client.bottom;
  ASSERT_GT(h, 220);
  // The right edge is clear of the dialogs and the titles.
  int x = client.right - 3;
  COLORREF top = 0, bottom = 0;
  ASSERT_TRUE(ReadPixel(backdrop, x, 0, &top));
  ASSERT_TRUE(ReadPixel(backdrop, x, h - 1, &bottom));
  EXPECT_EQ(ColourName(RGB(0, 78, 236)), ColourName(top));
  int level = 236 - 220 * (h - 1) / h;
  EXPECT_EQ(ColourName(RGB(0, level / 3, level)), ColourName(bottom)) << "client height " << h;
  COLORREF middle = 0;
  ASSERT_TRUE(ReadPixel(backdrop, x, h / 2, &middle));
  int midLevel = 236 - 220 * (h / 2) / h;
  EXPECT_EQ(ColourName(RGB(0, midLevel / 3, midLevel)), ColourName(middle));
}

}  // namespace
