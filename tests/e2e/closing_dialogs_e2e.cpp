// The two dialogs after the copy, Create Application Group and Success:
// their templates as a person sees them, and Esc in each (Skip, and the same
// as OK where there is no Cancel button).
#include "tests/e2e/install_e2e_support.h"
#include "tests/e2e/template_check.h"

namespace {

using namespace install_e2e;

const std::vector<TemplateControl> kAppGroupControls = {
    {IDOK, "Button", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 19, 46, 50, 14},
    {IDCANCEL, "Button", "Skip", BS_PUSHBUTTON | WS_TABSTOP, 132, 47, 50, 14},
    {0xFFFF, "Static",
     "Do you want Setup to create an application group for ORLO? If you skip this step, you "
     "will need to add ORLO to the program manager manually.",
     kStaticStyle, 5, 7, 188, 24},
};

const std::vector<TemplateControl> kSuccessControls = {
    {IDOK, "Button", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 157, 69, 50, 14},
    {0xFFFF, "Static", "Setup of ORLO is complete.", kStaticStyle, 5, 5, 90, 8},
    // Named by ordinal: the static's text is 0xFFFF and the icon id, 128.
    {0xFFFF, "Static", "\xFF\x80", SS_ICON, 189, 4, 18, 20, true},
};

// A prompt dialog as its template has it, with the focus on its first button.
void ExpectPromptDialog(HWND dialog, DWORD threadId, int cx, int cy,
                        const std::vector<TemplateControl>& controls) {
  EXPECT_EQ(kPromptDialogStyle, WindowStyle(dialog) & ~kAddedBySystem)
      << std::hex << "style 0x" << WindowStyle(dialog) << ": no system menu, no close box";
  EXPECT_TRUE(ClientMatchesTemplate(dialog, cx, cy));
  EXPECT_TRUE(WaitForFocus(threadId, Control(dialog, IDOK))) << "focus on the first button";
  ExpectControlsMatch(dialog, controls);
}

using ClosingDialogs = InstallRun;

TEST_F(ClosingDialogs, EscSkipsTheGroupAndEndsSuccess) {
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(Under("closing")));
  HWND appGroup = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Create Application Group", &appGroup, 60000))
      << DescribeWindows(setup_.pid());
  ASSERT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(appGroup, IDOK)));
  ExpectPromptDialog(appGroup, setup_.mainThreadId(), 200, 65, kAppGroupControls);
  ASSERT_TRUE(PressEscape(setup_.mainThreadId()));

  HWND success = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Success", &success)) << DescribeWindows(setup_.pid());
  EXPECT_FALSE(IsWindow(appGroup)) << "the question is closed before Success opens";
  ASSERT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(success, IDOK)));
  ExpectPromptDialog(success, setup_.mainThreadId(), 211, 88, kSuccessControls);
  EXPECT_EQ(nullptr, Control(success, IDCANCEL)) << "Success has no Cancel button";
  ASSERT_TRUE(PressEscape(setup_.mainThreadId()));
  ExpectEnd();
  EXPECT_TRUE(TopLevelWindows(setup_.pid()).empty()) << DescribeWindows(setup_.pid());
  ExpectInstalled(Under("closing"),
                  std::vector<std::string>(std::begin(kProductFiles), std::end(kProductFiles)));
}

}  // namespace
