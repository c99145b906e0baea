// The two dialogs after the copy, Create Application Group and Success:
// their templates as a person sees them, with the focus on the first button,
// and Esc in each (Skip, and the same as OK where there is no Cancel button).
#include "res/resource.h"
#include "tests/e2e/install_e2e_support.h"

namespace {

using namespace install_e2e;

using ClosingDialogs = InstallRun;

TEST_F(ClosingDialogs, EscSkipsTheGroupAndEndsSuccess) {
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(Under("closing")));
  HWND appGroup = nullptr;
  ASSERT_NO_FATAL_FAILURE(WaitForGroupQuestion(&appGroup));
  ASSERT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(appGroup, IDOK)));
  EXPECT_TRUE(DialogMatchesTemplate(appGroup, IDD_APP_GROUP));
  ASSERT_TRUE(PressEscape(setup_.mainThreadId()));

  HWND success = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "Success", &success)) << DescribeWindows(setup_.pid());
  EXPECT_FALSE(IsWindow(appGroup)) << "the question is closed before Success opens";
  ASSERT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(success, IDOK)));
  EXPECT_TRUE(DialogMatchesTemplate(success, IDD_SUCCESS));
  EXPECT_EQ(nullptr, Control(success, IDCANCEL)) << "Success has no Cancel button";
  ASSERT_TRUE(PressEscape(setup_.mainThreadId()));
  ExpectEnd();
  EXPECT_TRUE(TopLevelWindows(setup_.pid()).empty()) << DescribeWindows(setup_.pid());
  ExpectInstalled(Under("closing"),
                  std::vector<std::string>(std::begin(kProductFiles), std::end(kProductFiles)));
}

}  // namespace
