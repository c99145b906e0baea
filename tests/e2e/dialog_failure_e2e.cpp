// A dialog of the question sequence that cannot open: the run ends there, as
// on Cancel, and nothing is installed. The dialog is made to fail by a CBT
// hook of the whole desktop that refuses its window.
#include <windows.h>

#include <string>

#include "tests/harness/harness.h"

namespace {

using namespace e2e;

const char kDefaultDestination[] = "C:\\ORLO";

struct RefusedDialog {
  const char* caption;
  const char* before;  // the dialog a person answers first, or nullptr
};

void PrintTo(const RefusedDialog& dialog, std::ostream* os) { *os << dialog.caption; }

class DialogThatCannotOpen : public ::testing::TestWithParam<RefusedDialog> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(DistDir().empty()) << "ORLO_DIST_DIR is not set";
    ASSERT_TRUE(RemoveTree(kDefaultDestination));
    std::string dll = JoinPath(FixturesDir(), "refuse_window_hook.dll");
    module_ = LoadLibraryA(dll.c_str());
    ASSERT_NE(nullptr, module_) << "cannot load " << dll << ", error " << GetLastError();
    HOOKPROC proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(module_, "RefuseWindowProc")));
    ASSERT_NE(nullptr, proc) << "no RefuseWindowProc in " << dll;
    // SETUP.EXE inherits the variable; the hook refuses the window it names.
    SetEnvironmentVariableA("ORLO_REFUSE_WINDOW", GetParam().caption);
    hook_ = SetWindowsHookExA(WH_CBT, proc, module_, 0);
    ASSERT_NE(nullptr, hook_) << "SetWindowsHookEx, error " << GetLastError();
  }
  void TearDown() override {
    setup_.Kill();
    if (hook_)
      UnhookWindowsHookEx(hook_);
    SetEnvironmentVariableA("ORLO_REFUSE_WINDOW", nullptr);
    if (module_)
      FreeLibrary(module_);
    RemoveTree(kDefaultDestination);
  }

  Process setup_;
  HMODULE module_ = nullptr;
  HHOOK hook_ = nullptr;
};

TEST_P(DialogThatCannotOpen, EndsTheRunWithNothingInstalled) {
  ASSERT_TRUE(setup_.Start(JoinPath(DistDir(), "SETUP.EXE"), DistDir()));
  if (GetParam().before) {
    HWND before = nullptr;
    ASSERT_TRUE(WaitForWindow(setup_.pid(), GetParam().before, &before))
        << DescribeWindows(setup_.pid());
    ASSERT_TRUE(ClickControl(before, IDOK));
  }
  // A message box or a further dialog would wait for an answer.
  DWORD exitCode = 1234;
  ASSERT_TRUE(setup_.WaitForExit(&exitCode)) << DescribeWindows(setup_.pid());
  EXPECT_EQ(0u, exitCode);
  EXPECT_FALSE(DirectoryExists(kDefaultDestination)) << "the default destination was made";
}

const RefusedDialog kRefusedDialogs[] = {
    {"Welcome", nullptr},
    {"Install Directory", "Welcome"},
};

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogThatCannotOpen, ::testing::ValuesIn(kRefusedDialogs),
                         [](const ::testing::TestParamInfo<RefusedDialog>& info) {
                           return info.param.before ? std::string("InstallDirectory")
                                                    : std::string("Welcome");
                         });

}  // namespace
