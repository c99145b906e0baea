// Helpers of the installer's unit tests: a scratch directory on the real file
// system, file faults made through the Wine host, and a watcher that answers
// the message boxes the code under test shows, recording their texts.
#ifndef ORLO_TESTS_UNIT_INSTALL_TEST_SUPPORT_H
#define ORLO_TESTS_UNIT_INSTALL_TEST_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <iostream>
#include <sstream>
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

// Whether this program runs in the emulated machine of tools/x86-vm.sh,
// whose prefix lies on 9p: it keeps no immutable flag, so a file is made
// read-only by a read-only mount onto itself there.
inline bool PrefixOnNineP() { return GetEnvironmentVariableA("ORLO_IN_VM", NULL, 0) != 0; }

// A file that nobody may write. The read-only attribute alone does not stop
// a process running as root, which these tests may well be, so the file is
// also made immutable (chattr +i), or mounted read-only onto itself on 9p,
// for as long as the object lives. Undoing it fails the test that made it,
// naming the file; RemoveTreeOfFaults clears what a killed test left.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path) : path_(path), unixPath_(UnixPathOf(path)) {
    const std::string lock =
        PrefixOnNineP() ? "/bin/mount --bind -o ro " + unixPath_ + " " : "/usr/bin/chattr +i ";
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    if (CanOpenForWriting(path_) && StartUnixProgram(lock + unixPath_))
      e2e::PollUntil([&] { return !CanOpenForWriting(path_); });
  }
  ~ReadOnlyFile() {
    // A plain umount fails ("target is busy") while any process has the file
    // open, even for a moment, and nothing undid it then: this wait used to
    // set the file's attributes, which opens it, while the umount ran. The
    // mount is detached lazily (-l), which is never busy, and the wait does
    // not open the file until it is writable again.
    const std::string unlock = PrefixOnNineP() ? "/bin/umount -l " : "/usr/bin/chattr -i ";
    if (!CanOpenForWriting(path_) && !(StartUnixProgram(unlock + unixPath_) &&
                                       e2e::PollUntil([&] { return CanOpenForWriting(path_); })))
      ADD_FAILURE() << "ReadOnlyFile: " << path_ << " is still read-only "
                    << e2e::ScaledMs(e2e::kDefaultTimeoutMs) << " ms after " << unlock << unixPath_;
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool IsReadOnly() const { return !CanOpenForWriting(path_); }

 private:
  std::string path_;
  std::string unixPath_;
};

// The whole of a file that tells no size, as /proc's files do.
inline std::string ReadToTheEnd(const std::string& path) {
  std::string bytes;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (h == INVALID_HANDLE_VALUE)
    return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(h, chunk, sizeof chunk, &got, NULL) && got > 0)
    bytes.append(chunk, got);
  CloseHandle(h);
  return bytes;
}

// The Unix mount points whose Windows names lie below dir: read-only mounts
// that a ReadOnlyFile left when its test was killed. Paths with blanks
// (which /proc escapes) do not occur: the checkout's path has none.
inline std::vector<std::string> MountPointsBelow(const std::string& dir) {
  typedef WCHAR*(CDECL * DosNameFn)(LPCSTR);
  DosNameFn pfnDosName =
      (DosNameFn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
  std::vector<std::string> below;
  char full[MAX_PATH] = "";
  if (!pfnDosName || !GetFullPathNameA(dir.c_str(), sizeof full, full, NULL))
    return below;
  const std::string under = e2e::JoinPath(full, "");
  std::istringstream lines(ReadToTheEnd("Z:\\proc\\self\\mounts"));
  std::string device, mountPoint, rest;
  while (lines >> device >> mountPoint && std::getline(lines, rest)) {
    WCHAR* dos = pfnDosName(mountPoint.c_str());
    char name[MAX_PATH] = "";
    if (dos && WideCharToMultiByte(CP_ACP, 0, dos, -1, name, sizeof name, NULL, NULL) &&
        strlen(name) > under.size() &&
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, (int)under.size(), under.c_str(),
                       (int)under.size()) == CSTR_EQUAL)
      below.push_back(mountPoint);
    HeapFree(GetProcessHeap(), 0, dos);
  }
  return below;
}

// Removes dir, first clearing what a ReadOnlyFile or a UnixSymlink left in
// it when its test was killed at its time limit, or failed to undo it:
// read-only mounts, immutable flags, links to devices that Wine does not
// delete, and read-only attributes (RemoveTree clears those). Waits for the
// removal with the usual bound; the failure names what stayed.
inline ::testing::AssertionResult RemoveTreeOfFaults(const std::string& dir) {
  ::testing::AssertionResult removed = e2e::RemoveTree(dir);
  if (removed)
    return removed;
  std::cout << "RemoveTreeOfFaults: clearing a fault an earlier test left: " << removed.message()
            << "\n";
  const std::string unixDir = UnixPathOf(dir);
  if (PrefixOnNineP()) {
    for (const std::string& mountPoint : MountPointsBelow(dir))
      StartUnixProgram("/bin/umount -l " + mountPoint);
  } else {
    StartUnixProgram("/usr/bin/chattr -R -i " + unixDir);
  }
  StartUnixProgram("/usr/bin/find " + unixDir + " -type l -delete");
  if (e2e::PollUntil([&] { return bool(removed = e2e::RemoveTree(dir)); }))
    return removed;
  return removed << " (still, " << e2e::ScaledMs(e2e::kDefaultTimeoutMs)
                 << " ms after clearing the faults below it)";
}

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
