// Helpers of the installer's unit tests: a scratch directory on the real file
// system, file faults made through the Wine host, and a watcher that answers
// the message boxes the code under test shows, recording their texts.
#ifndef ORLO_TESTS_UNIT_INSTALL_TEST_SUPPORT_H
#define ORLO_TESTS_UNIT_INSTALL_TEST_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <iostream>
#include <string>
#include <vector>

#include "tests/harness/harness.h"

namespace install_test {

// A fresh directory of the harness's scratch space named name and this
// process's id (a program may run twice at once, once per code page),
// removed with everything in it when the object goes. Without it the
// program stops at once: a test that went on with an empty path would
// write at the root of the current drive.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name) {
    ::testing::AssertionResult made =
        e2e::MakeScratchDir(name + "-" + std::to_string(GetCurrentProcessId()), &path_);
    if (!made) {
      std::cerr << "ScratchDir: no scratch directory " << name << ": " << made.message()
                << std::endl;
      ExitProcess(1);
    }
  }
  ~ScratchDir() { e2e::RemoveTree(path_); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Checks that this run of a test program has the ANSI code page that
// ORLO_EXPECT_ACP names (CTest starts some programs once per code page);
// skips when the run names none. Printed either way, so a log tells which
// code page the other tests of the run saw.
inline void ExpectTheCodePageOfThisRun() {
  char value[16] = "";
  DWORD n = GetEnvironmentVariableA("ORLO_EXPECT_ACP", value, sizeof value);
  UINT expected = n > 0 && n < sizeof value ? (UINT)strtoul(value, NULL, 10) : 0;
  if (expected == 0)
    GTEST_SKIP() << "the run names no code page; GetACP() = " << GetACP();
  std::cout << "GetACP() = " << GetACP() << "\n";
  EXPECT_EQ(expected, GetACP());
}

// The Unix name of a Windows path, from Wine; empty when not under Wine.
inline std::string UnixPathOf(const std::string& windowsPath) {
  typedef char*(CDECL * UnixNameFn)(LPCWSTR);
  UnixNameFn pfnUnixName = (UnixNameFn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                             "wine_get_unix_file_name");
  if (!pfnUnixName)
    return "";
  wchar_t wszPath[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wszPath, MAX_PATH);
  char* pszUnix = pfnUnixName(wszPath);
  if (!pszUnix)
    return "";
  std::string unixPath = pszUnix;
  HeapFree(GetProcessHeap(), 0, pszUnix);
  return unixPath;
}

// The Unix name of the prefix's dosdevices directory, where Wine keeps a link
// per drive letter and unc/ for network servers; empty when not under Wine.
// Wine names the C: drive by its link there: ".../dosdevices/c:/".
inline std::string DosDevicesUnixPath() {
  std::string drive = UnixPathOf("C:\\");
  return drive.size() > 3 ? drive.substr(0, drive.size() - 3) : "";
}

// Starts a Unix program through Wine's start.exe. It runs on its own: the
// caller waits for its effect. No shell: arguments must not need quoting.
inline bool StartUnixProgram(const std::string& commandLine) {
  std::string command = "start.exe /unix " + commandLine;
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
    return false;
  WaitForSingleObject(pi.hProcess, e2e::ScaledMs(10000));
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

inline bool IsListed(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE hFind = FindFirstFileA(path.c_str(), &fd);
  if (hFind == INVALID_HANDLE_VALUE)
    return false;
  FindClose(hFind);
  return true;
}

// windowsPath as a Unix symbolic link to unixTarget (for example /dev/full,
// a device on which every write fails with "disk full") for as long as the
// object lives. Wine gives no attributes for a device and does not delete
// one, so the link is watched through the directory listing and removed
// with rm.
class UnixSymlink {
 public:
  UnixSymlink(const std::string& unixTarget, const std::string& windowsPath)
      : path_(windowsPath), unixPath_(UnixPathOf(windowsPath)) {
    made_ = !unixPath_.empty() && StartUnixProgram("/bin/ln -sf " + unixTarget + " " + unixPath_) &&
            e2e::PollUntil([&] { return IsListed(path_); });
  }
  ~UnixSymlink() {
    if (!unixPath_.empty() && StartUnixProgram("/bin/rm -f " + unixPath_))
      e2e::PollUntil([&] { return !IsListed(path_); });
  }
  UnixSymlink(const UnixSymlink&) = delete;
  UnixSymlink& operator=(const UnixSymlink&) = delete;

  bool made() const { return made_; }

 private:
  std::string path_;
  std::string unixPath_;
  bool made_ = false;
};

inline bool CanOpenForWriting(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                         OPEN_EXISTING, 0, NULL);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(h);
  return true;
}

// A file that nobody may write. The read-only attribute alone does not stop
// a process running as root, which these tests may well be, so the file is
// also made immutable (chattr +i) for as long as the object lives. In the
// emulated machine of tools/x86-vm.sh the prefix lies on 9p, which keeps no
// such flag; the file is mounted read-only onto itself there instead.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path) : path_(path), unixPath_(UnixPathOf(path)) {
    const bool onNineP = GetEnvironmentVariableA("ORLO_IN_VM", NULL, 0) != 0;
    lock_ = onNineP ? "/bin/mount --bind -o ro " + unixPath_ + " " : "/usr/bin/chattr +i ";
    unlock_ = onNineP ? "/bin/umount " : "/usr/bin/chattr -i ";
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    if (CanOpenForWriting(path_) && StartUnixProgram(lock_ + unixPath_))
      e2e::PollUntil([&] { return !CanOpenForWriting(path_); });
  }
  ~ReadOnlyFile() {
    if (!CanOpenForWriting(path_) && StartUnixProgram(unlock_ + unixPath_))
      e2e::PollUntil([&] {
        return SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL) && CanOpenForWriting(path_);
      });
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool IsReadOnly() const { return !CanOpenForWriting(path_); }

 private:
  std::string path_;
  std::string unixPath_;
  std::string lock_;
  std::string unlock_;
};

// Answers (with OK) every message box shown by the thread that constructed
// the object, and records the texts in order. A CBT hook on that thread sees
// each box as it is activated. (A watcher thread that enumerated this
// thread's windows every few milliseconds made Wine 10's server spin for
// good now and then, while dialogs came and went.)
class MessageBoxCatcher {
 public:
  MessageBoxCatcher() {
    s_current = this;
    hook_ = SetWindowsHookExA(WH_CBT, &MessageBoxCatcher::OnCbt, NULL, GetCurrentThreadId());
  }
  ~MessageBoxCatcher() {
    if (hook_)
      UnhookWindowsHookEx(hook_);
    s_current = nullptr;
  }
  MessageBoxCatcher(const MessageBoxCatcher&) = delete;
  MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

  std::vector<std::string> Texts() const { return texts_; }

 private:
  // A message box is a dialog with the text static 0xFFFF.
  static LRESULT CALLBACK OnCbt(int nCode, WPARAM wParam, LPARAM lParam) {
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    char szClass[32] = "";
    if (nCode == HCBT_ACTIVATE && s_current && GetClassNameA(hWnd, szClass, sizeof(szClass)) &&
        std::string(szClass) == "#32770" && GetDlgItem(hWnd, 0xFFFF)) {
      char szText[1024] = "";
      GetDlgItemTextA(hWnd, 0xFFFF, szText, sizeof(szText));
      s_current->texts_.push_back(szText);
      PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
  }

  static inline MessageBoxCatcher* s_current = nullptr;
  HHOOK hook_ = NULL;
  std::vector<std::string> texts_;
};

}  // namespace install_test

#endif
