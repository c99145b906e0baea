#include "tests/e2e/harness.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

namespace e2e {

namespace {

// Sent messages to another process give up after this, so a hung target
// fails the test instead of hanging it.
constexpr UINT kSendTimeoutMs = 3000;

// ---- small helpers --------------------------------------------------------

std::string Hex(unsigned long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

std::string HandleName(HWND hwnd) { return Hex(reinterpret_cast<ULONG_PTR>(hwnd)); }

std::string LastErrorText() { return "error " + std::to_string(GetLastError()); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string WideToAnsi(const std::wstring& wide) {
  if (wide.empty())
    return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string ansi(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &ansi[0], size,
                      nullptr, nullptr);
  return ansi;
}

std::wstring AnsiToWide(const std::string& ansi) {
  if (ansi.empty())
    return std::wstring();
  int size =
      MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), &wide[0], size);
  return wide;
}

// Sends a message to a window of another process with a time bound.
// Wine's SendMessageTimeout returns 0 also when the answer is 0; only the
// error code tells a time-out from that.
bool SendBounded(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DWORD_PTR answer = 0;
  SetLastError(ERROR_SUCCESS);
  if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &answer) &&
      GetLastError() != ERROR_SUCCESS)
    return false;
  if (result)
    *result = static_cast<LRESULT>(answer);
  return true;
}

// Polls condition every kPollIntervalMs until it holds or timeoutMs passed.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition())
      return true;
    if (GetTickCount64() >= deadline)
      return false;
    Sleep(kPollIntervalMs);
  }
}

std::string TrimTrailingSeparators(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
    path.pop_back();
  return path;
}

std::string EnvironmentDir(const char* name) {
  const char* value = std::getenv(name);
  return value ? TrimTrailingSeparators(value) : std::string();
}

class ScopedFindHandle {
 public:
  explicit ScopedFindHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedFindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE)
      FindClose(handle_);
  }
  ScopedFindHandle(const ScopedFindHandle&) = delete;
  ScopedFindHandle& operator=(const ScopedFindHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

class ScopedFile {
 public:
  explicit ScopedFile(HANDLE handle) : handle_(handle) {}
  ~ScopedFile() {
    if (handle_ != INVALID_HANDLE_VALUE)
      CloseHandle(handle_);
  }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  HANDLE get() const { return handle_; }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ScopedWindowDC() {
    if (dc_)
      ReleaseDC(hwnd_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

class ScopedMemoryDC {
 public:
  explicit ScopedMemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~ScopedMemoryDC() {
    if (dc_)
      DeleteDC(dc_);
  }
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class ScopedGdiObject {
 public:
  explicit ScopedGdiObject(HGDIOBJ object) : object_(object) {}
  ~ScopedGdiObject() {
    if (object_)
      DeleteObject(object_);
  }
  ScopedGdiObject(const ScopedGdiObject&) = delete;
  ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
  HGDIOBJ get() const { return object_; }

 private:
  HGDIOBJ object_;
};

// Selects an object into a DC for the life of the scope.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelection() {
    if (old_)
      SelectObject(dc_, old_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;
  bool ok() const { return old_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

std::string ChildClassName(HWND hwnd) {
  char name[256] = "";
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::string DescribeControls(HWND dialog) {
  std::ostringstream out;
  for (const ControlInfo& control : ListControls(dialog))
    out << "\n  id " << control.id << " " << control.className << " " << Quoted(control.text)
        << " at (" << control.rect.left << "," << control.rect.top << ")-(" << control.rect.right
        << "," << control.rect.bottom << ")";
  return out.str();
}

bool IsStaticWithId(HWND child, int id) {
  return GetDlgCtrlID(child) == id && ChildClassName(child) == "Static";
}

}  // namespace

// ---- Test environment -----------------------------------------------------

std::string DistDir() { return EnvironmentDir("ORLO_DIST_DIR"); }

std::string FixturesDir() { return EnvironmentDir("ORLO_FIXTURES_DIR"); }

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty())
    return name;
  if (dir.back() == '\\' || dir.back() == '/')
    return dir + name;
  return dir + "\\" + name;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Result CreateDirectories(const std::string& dir) {
  std::string path = TrimTrailingSeparators(dir);
  if (path.empty() || DirectoryExists(path))
    return ::testing::AssertionSuccess();
  size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos && separator > 2) {
    Result parent = CreateDirectories(path.substr(0, separator));
    if (!parent)
      return parent;
  }
  if (!CreateDirectoryA(path.c_str(), nullptr) && !DirectoryExists(path))
    return ::testing::AssertionFailure()
           << "cannot create directory " << path << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

Result RemoveTree(const std::string& dir) {
  std::string root = TrimTrailingSeparators(dir);
  if (!DirectoryExists(root)) {
    if (FileExists(root))
      return ::testing::AssertionFailure() << root << " is a file, not a directory";
    return ::testing::AssertionSuccess();
  }
  WIN32_FIND_DATAA entry;
  {
    ScopedFindHandle find(FindFirstFileA(JoinPath(root, "*").c_str(), &entry));
    if (find.get() != INVALID_HANDLE_VALUE) {
      do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
          continue;
        std::string path = JoinPath(root, name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Result removed = RemoveTree(path);
          if (!removed)
            return removed;
        } else {
          SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          if (!DeleteFileA(path.c_str()))
            return ::testing::AssertionFailure()
                   << "cannot delete " << path << ": " << LastErrorText();
        }
      } while (FindNextFileA(find.get(), &entry));
    }
  }
  SetFileAttributesA(root.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!RemoveDirectoryA(root.c_str()))
    return ::testing::AssertionFailure()
           << "cannot remove directory " << root << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

Result MakeScratchDir(const std::string& name, std::string* path) {
  char temp[MAX_PATH] = "";
  if (!GetTempPathA(sizeof temp, temp))
    return ::testing::AssertionFailure() << "GetTempPath: " << LastErrorText();
  std::string dir = JoinPath(JoinPath(temp, "orlo-e2e"), name);
  Result removed = RemoveTree(dir);
  if (!removed)
    return removed;
  Result made = CreateDirectories(dir);
  if (!made)
    return made;
  *path = dir;
  return ::testing::AssertionSuccess();
}

Result CopyDirectory(const std::string& from, const std::string& to) {
  if (!DirectoryExists(from))
    return ::testing::AssertionFailure() << "no directory to copy: " << Quoted(from);
  Result made = CreateDirectories(to);
  if (!made)
    return made;
  WIN32_FIND_DATAA entry;
  ScopedFindHandle find(FindFirstFileA(JoinPath(from, "*").c_str(), &entry));
  if (find.get() == INVALID_HANDLE_VALUE)
    return ::testing::AssertionSuccess();
  do {
    std::string name = entry.cFileName;
    if (name == "." || name == "..")
      continue;
    std::string source = JoinPath(from, name);
    std::string target = JoinPath(to, name);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Result copied = CopyDirectory(source, target);
      if (!copied)
        return copied;
    } else if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
      return ::testing::AssertionFailure()
             << "cannot copy " << source << " to " << target << ": " << LastErrorText();
    }
  } while (FindNextFileA(find.get(), &entry));
  return ::testing::AssertionSuccess();
}

Result CopyDistTo(const std::string& to) {
  std::string dist = DistDir();
  if (dist.empty())
    return ::testing::AssertionFailure() << "ORLO_DIST_DIR is not set";
  return CopyDirectory(dist, to);
}

Result ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes) {
  ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok())
    return ::testing::AssertionFailure() << "cannot open " << path << ": " << LastErrorText();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size))
    return ::testing::AssertionFailure() << "size of " << path << ": " << LastErrorText();
  bytes->assign(static_cast<size_t>(size.QuadPart), 0);
  DWORD done = 0;
  if (!bytes->empty() &&
      (!ReadFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &done, nullptr) ||
       done != bytes->size()))
    return ::testing::AssertionFailure() << "cannot read " << path << ": " << LastErrorText()
                                         << ", " << done << " of " << bytes->size() << " bytes";
  return ::testing::AssertionSuccess();
}

Result WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  ScopedFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok())
    return ::testing::AssertionFailure() << "cannot create " << path << ": " << LastErrorText();
  DWORD done = 0;
  if (!bytes.empty() &&
      (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) ||
       done != bytes.size()))
    return ::testing::AssertionFailure() << "cannot write " << path << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

Result FilesEqual(const std::string& a, const std::string& b) {
  std::vector<unsigned char> first, second;
  Result read = ReadWholeFile(a, &first);
  if (!read)
    return read;
  read = ReadWholeFile(b, &second);
  if (!read)
    return read;
  if (first.size() != second.size())
    return ::testing::AssertionFailure()
           << a << " has " << first.size() << " bytes, " << b << " has " << second.size();
  for (size_t i = 0; i < first.size(); ++i)
    if (first[i] != second[i])
      return ::testing::AssertionFailure()
             << a << " and " << b << " differ first at offset " << i << ": " << int(first[i])
             << " against " << int(second[i]);
  return ::testing::AssertionSuccess();
}

// ---- Processes ------------------------------------------------------------

Process::~Process() {
  Kill();
  Close();
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      pid_(std::exchange(other.pid_, 0)),
      threadId_(std::exchange(other.threadId_, 0)),
      winedebug_(std::move(other.winedebug_)),
      tracePath_(std::move(other.tracePath_)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    Close();
    process_ = std::exchange(other.process_, nullptr);
    pid_ = std::exchange(other.pid_, 0);
    threadId_ = std::exchange(other.threadId_, 0);
    winedebug_ = std::move(other.winedebug_);
    tracePath_ = std::move(other.tracePath_);
  }
  return *this;
}

void Process::Close() {
  if (process_)
    CloseHandle(process_);
  process_ = nullptr;
}

Result Process::Start(const std::string& exe, const std::string& currentDir,
                      const std::string& args) {
  if (process_)
    return ::testing::AssertionFailure() << "this Process already started pid " << pid_;
  if (!tracePath_.empty())
    return StartTraced(exe, currentDir, args);
  std::string commandLine = Quoted(exe);
  if (!args.empty())
    commandLine += " " + args;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &info))
    return ::testing::AssertionFailure()
           << "cannot start " << exe << " in " << Quoted(currentDir) << ": " << LastErrorText();
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  threadId_ = info.dwThreadId;
  return ::testing::AssertionSuccess();
}

// ---- Processes traced by Wine ---------------------------------------------
//
// Wine writes its traces to the Unix standard error of the traced process.
// A Windows parent cannot choose that descriptor: Wine gives a new Windows
// process the Unix descriptors of its standard input and output handles
// only, and leaves it the parent's standard error. So a traced program is
// started by the Wine root's Unix shell, which runs Wine's loader with
// standard error sent to standard output, the trace file. Wine gives such a
// Unix child no process handle: the program is found by its file instead.

namespace {

// This process's environment with WINEDEBUG replaced, as a CreateProcess block.
std::string EnvironmentWithWineDebug(const std::string& winedebug) {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1)
    if (_strnicmp(entry, "WINEDEBUG=", 10) != 0)
      block.append(entry).push_back('\0');
  FreeEnvironmentStringsA(strings);
  block.append("WINEDEBUG=" + winedebug).push_back('\0');
  block.push_back('\0');
  return block;
}

// The running process of the program file exe and its first thread.
bool FindProcessOf(const std::string& exe, DWORD* pid, DWORD* threadId) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return false;
  *pid = 0;
  PROCESSENTRY32 process = {};
  process.dwSize = sizeof process;
  for (BOOL more = Process32First(snapshot, &process); more && !*pid;
       more = Process32Next(snapshot, &process))
    if (_stricmp(ProcessImagePath(process.th32ProcessID).c_str(), exe.c_str()) == 0)
      *pid = process.th32ProcessID;
  *threadId = 0;
  THREADENTRY32 thread = {};
  thread.dwSize = sizeof thread;
  for (BOOL more = Thread32First(snapshot, &thread); more && *pid && !*threadId;
       more = Thread32Next(snapshot, &thread))
    if (thread.th32OwnerProcessID == *pid)
      *threadId = thread.th32ThreadID;
  CloseHandle(snapshot);
  return *threadId != 0;
}

}  // namespace

void Process::TraceNextStart(const std::string& winedebug, const std::string& tracePath) {
  winedebug_ = winedebug;
  tracePath_ = tracePath;
}

Result Process::StartTraced(const std::string& exe, const std::string& currentDir,
                            const std::string& args) {
  const std::string tracePath = std::exchange(tracePath_, std::string());
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  ScopedFile trace(CreateFileA(tracePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!trace.ok())
    return ::testing::AssertionFailure()
           << "cannot create " << tracePath << ": " << LastErrorText();
  std::string commandLine = "Z:\\bin\\sh -c \"exec wine64 \\\"$@\\\" 2>&1\" sh " + Quoted(exe);
  if (!args.empty())
    commandLine += " " + args;
  std::string environment = EnvironmentWithWineDebug(winedebug_);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = trace.get();
  startup.hStdError = trace.get();
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, &environment[0],
                      currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &info))
    return ::testing::AssertionFailure()
           << "cannot start " << commandLine << ": " << LastErrorText();
  if (info.hThread)
    CloseHandle(info.hThread);
  if (info.hProcess)
    CloseHandle(info.hProcess);
  if (!PollUntil([&] { return FindProcessOf(exe, &pid_, &threadId_); }, kDefaultTimeoutMs))
    return ::testing::AssertionFailure() << "no process of " << exe << " within "
                                         << kDefaultTimeoutMs << " ms of " << commandLine;
  process_ =
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, pid_);
  if (!process_)
    return ::testing::AssertionFailure() << "cannot open pid " << pid_ << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

bool Process::IsRunning() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

Result Process::WaitForExit(DWORD* exitCode, DWORD timeoutMs) {
  if (!process_)
    return ::testing::AssertionFailure() << "no process was started";
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
    return ::testing::AssertionFailure() << "pid " << pid_ << " still runs after " << timeoutMs
                                         << " ms; its windows:" << DescribeWindows(pid_);
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  if (exitCode)
    *exitCode = code;
  return ::testing::AssertionSuccess();
}

void Process::Kill() {
  if (!IsRunning())
    return;
  TerminateProcess(process_, 1);
  WaitForSingleObject(process_, 5000);
}

// ---- Top-level windows ----------------------------------------------------

namespace {

struct EnumState {
  DWORD pid;
  std::vector<WindowInfo>* windows;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
  EnumState* state = reinterpret_cast<EnumState*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (state->pid != 0 && owner != state->pid)
    return TRUE;
  WindowInfo info;
  info.hwnd = hwnd;
  info.className = ChildClassName(hwnd);
  char caption[512] = "";
  GetWindowTextA(hwnd, caption, sizeof caption);  // a top-level caption needs no message
  info.caption = caption;
  info.visible = IsWindowVisible(hwnd) != FALSE;
  state->windows->push_back(info);
  return TRUE;
}

}  // namespace

std::vector<WindowInfo> TopLevelWindows(DWORD pid) {
  std::vector<WindowInfo> windows;
  EnumState state = {pid, &windows};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
  return windows;
}

std::string DescribeWindows(DWORD pid) {
  std::ostringstream out;
  std::vector<WindowInfo> windows = TopLevelWindows(pid);
  if (windows.empty())
    out << " (none)";
  for (const WindowInfo& window : windows)
    out << "\n  " << HandleName(window.hwnd) << " " << window.className << " "
        << Quoted(window.caption) << (window.visible ? " visible" : " hidden");
  return out.str();
}

namespace {

// A handle to wait on process pid, so that a wait for its windows can stop
// when it has ended.
class ProcessWatch {
 public:
  explicit ProcessWatch(DWORD pid)
      : process_(pid ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)
                     : nullptr) {}
  ~ProcessWatch() {
    if (process_)
      CloseHandle(process_);
  }
  ProcessWatch(const ProcessWatch&) = delete;
  ProcessWatch& operator=(const ProcessWatch&) = delete;

  bool Ended() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
  }

 private:
  HANDLE process_;
};

}  // namespace

Result WaitForWindowMatching(DWORD pid, const std::function<bool(const WindowInfo&)>& match,
                             const std::string& what, HWND* found, DWORD timeoutMs) {
  ProcessWatch process(pid);
  HWND hit = nullptr;
  bool ended = false;
  bool seen = PollUntil(
      [&] {
        ended = process.Ended();  // before looking: its last windows still count
        for (const WindowInfo& window : TopLevelWindows(pid))
          if (match(window)) {
            hit = window.hwnd;
            return true;
          }
        return ended;
      },
      timeoutMs);
  if (!seen || !hit) {
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "no " << what << " of pid " << pid;
    if (ended)
      failure << ": it ended with exit code " << process.ExitCode();
    else
      failure << " within " << timeoutMs << " ms; its windows:" << DescribeWindows(pid);
    return failure;
  }
  if (found)
    *found = hit;
  return ::testing::AssertionSuccess();
}

Result WaitForWindow(DWORD pid, const std::string& caption, HWND* found, DWORD timeoutMs) {
  return WaitForWindowMatching(
      pid, [&](const WindowInfo& window) { return window.visible && window.caption == caption; },
      "visible window " + Quoted(caption), found, timeoutMs);
}

Result WaitForWindowGone(HWND hwnd, DWORD timeoutMs) {
  if (PollUntil([&] { return !IsWindow(hwnd); }, timeoutMs))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "window " << HandleName(hwnd) << " " << Quoted(WindowText(hwnd))
         << " still exists after " << timeoutMs << " ms";
}

bool IsMessageBox(HWND hwnd) {
  if (ChildClassName(hwnd) != "#32770")
    return false;
  bool hasText = false, hasIcon = false;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::string className = ChildClassName(child);
    if (className != "Static" && className != "Button")
      return false;
    hasText = hasText || IsStaticWithId(child, 0xFFFF);
    hasIcon = hasIcon || IsStaticWithId(child, 0x440);
  }
  return hasText && hasIcon;
}

MessageBoxInfo ReadMessageBox(HWND hwnd) {
  MessageBoxInfo box;
  box.hwnd = hwnd;
  box.caption = WindowText(hwnd);
  for (const ControlInfo& control : ListControls(hwnd)) {
    if (control.className == "Static" && control.id == 0xFFFF)
      box.text = control.text;
    if (control.className == "Button" && (control.style & WS_VISIBLE))
      box.buttons.push_back(control.text);
  }
  return box;
}

Result WaitForMessageBox(DWORD pid, MessageBoxInfo* box, DWORD timeoutMs,
                         const std::vector<HWND>& ignore) {
  HWND found = nullptr;
  Result seen = WaitForWindowMatching(
      pid,
      [&](const WindowInfo& window) {
        for (HWND ignored : ignore)
          if (window.hwnd == ignored)
            return false;
        return window.visible && IsMessageBox(window.hwnd);
      },
      "message box", &found, timeoutMs);
  if (!seen)
    return seen;
  if (box)
    *box = ReadMessageBox(found);
  return ::testing::AssertionSuccess();
}

// ---- Dialog controls and their geometry -----------------------------------

namespace {

bool WithinOnePixel(const RECT& a, const RECT& b) {
  return std::abs(a.left - b.left) <= 1 && std::abs(a.top - b.top) <= 1 &&
         std::abs(a.right - b.right) <= 1 && std::abs(a.bottom - b.bottom) <= 1;
}

// A control sits where its template rectangle says. Two classes size
// themselves: a drop-down combo box's window is its selection field (the
// template's height is that of the dropped list), and a list box without
// LBS_NOINTEGRALHEIGHT shrinks to a whole number of items.
bool FitsTemplateRect(const ControlInfo& control, const RECT& expected) {
  const bool sameTopEdges = std::abs(control.rect.left - expected.left) <= 1 &&
                            std::abs(control.rect.top - expected.top) <= 1 &&
                            std::abs(control.rect.right - expected.right) <= 1;
  if (_stricmp(control.className.c_str(), "ComboBox") == 0 && (control.style & 3) != CBS_SIMPLE)
    return sameTopEdges;
  if (_stricmp(control.className.c_str(), "ListBox") == 0 &&
      !(control.style & LBS_NOINTEGRALHEIGHT))
    return sameTopEdges && control.rect.bottom <= expected.bottom + 1 &&
           control.rect.bottom > control.rect.top;
  return WithinOnePixel(control.rect, expected);
}

std::string RectName(const RECT& rect) {
  std::ostringstream out;
  out << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom << ")";
  return out.str();
}

}  // namespace

std::vector<ControlInfo> ListControls(HWND dialog) {
  std::vector<ControlInfo> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ControlInfo control;
    control.hwnd = child;
    control.id = static_cast<int>(GetWindowLongPtrA(child, GWLP_ID) & 0xFFFF);
    control.className = ChildClassName(child);
    control.text = WindowText(child);
    control.style = WindowStyle(child);
    control.exStyle = WindowExStyle(child);
    GetWindowRect(child, &control.rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&control.rect), 2);
    controls.push_back(control);
  }
  return controls;
}

Result FindControl(HWND dialog, int id, ControlInfo* control) {
  for (const ControlInfo& candidate : ListControls(dialog))
    if (candidate.id == (id & 0xFFFF)) {
      *control = candidate;
      return ::testing::AssertionSuccess();
    }
  return ::testing::AssertionFailure()
         << "dialog " << Quoted(WindowText(dialog)) << " has no control " << id
         << "; it has:" << DescribeControls(dialog);
}

HWND Control(HWND dialog, int id) {
  ControlInfo control;
  return FindControl(dialog, id, &control) ? control.hwnd : nullptr;
}

namespace {

// Reads the parts of a DLGTEMPLATE(EX) and its items.
class TemplateReader {
 public:
  TemplateReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  size_t offset() const { return offset_; }

  unsigned Word() { return Bytes(2) ? data_[offset_ - 2] | (data_[offset_ - 1] << 8) : 0; }
  int Short() { return static_cast<short>(Word()); }
  DWORD Dword() {
    DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
  }
  unsigned Byte() { return Bytes(1) ? data_[offset_ - 1] : 0; }
  void AlignToDword() { offset_ = (offset_ + 3) & ~size_t(3); }
  void Skip(size_t count) { Bytes(count); }

  // A NUL-terminated UTF-16 string.
  std::wstring String() {
    std::wstring text;
    for (unsigned c = Word(); ok_ && c; c = Word())
      text += static_cast<wchar_t>(c);
    return text;
  }
  // A name or an ordinal (0xFFFF, n): the ordinal as "#n", nothing as "".
  std::wstring NameOrOrdinal(unsigned* ordinal) {
    *ordinal = 0;
    unsigned first = Word();
    if (first == 0)
      return std::wstring();
    if (first == 0xFFFF) {
      *ordinal = Word();
      return L"#" + std::to_wstring(*ordinal);
    }
    offset_ -= 2;
    return String();
  }

 private:
  bool Bytes(size_t count) {
    if (!ok_ || offset_ + count > size_)
      return ok_ = false;
    offset_ += count;
    return true;
  }

  const unsigned char* data_;
  size_t size_;
  size_t offset_ = 0;
  bool ok_ = true;
};

// The class of a control whose template names it by ordinal.
std::string PredefinedClass(unsigned ordinal) {
  switch (ordinal) {
    case 0x80:
      return "Button";
    case 0x81:
      return "Edit";
    case 0x82:
      return "Static";
    case 0x83:
      return "ListBox";
    case 0x84:
      return "ScrollBar";
    case 0x85:
      return "ComboBox";
  }
  return "#" + std::to_string(ordinal);
}

DialogTemplateItem ReadDialogTemplateItem(TemplateReader& in, bool extended) {
  DialogTemplateItem control;
  in.AlignToDword();
  if (extended) {
    in.Dword();  // help id
    control.exStyle = in.Dword();
    control.style = in.Dword();
  } else {
    control.style = in.Dword();
    control.exStyle = in.Dword();
  }
  control.x = in.Short();
  control.y = in.Short();
  control.cx = in.Short();
  control.cy = in.Short();
  control.id = static_cast<int>((extended ? in.Dword() : in.Word()) & 0xFFFF);
  unsigned ordinal = 0;
  std::wstring className = in.NameOrOrdinal(&ordinal);
  control.className = ordinal ? PredefinedClass(ordinal) : WideToAnsi(className);
  control.text = WideToAnsi(in.NameOrOrdinal(&ordinal));
  in.Skip(in.Word());  // creation data
  return control;
}

Result ParseDialogTemplate(const unsigned char* data, size_t size, DialogTemplate* dialog) {
  TemplateReader in(data, size);
  const bool extended =
      size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
  if (extended) {
    in.Dword();  // version and signature
    in.Dword();  // help id
    dialog->exStyle = in.Dword();
    dialog->style = in.Dword();
  } else {
    dialog->style = in.Dword();
    dialog->exStyle = in.Dword();
  }
  unsigned count = in.Word();
  dialog->x = in.Short();
  dialog->y = in.Short();
  dialog->cx = in.Short();
  dialog->cy = in.Short();
  unsigned ordinal = 0;
  in.NameOrOrdinal(&ordinal);  // menu
  in.NameOrOrdinal(&ordinal);  // class
  dialog->caption = WideToAnsi(in.String());
  if (dialog->style & DS_SETFONT) {
    dialog->pointSize = static_cast<int>(in.Word());
    if (extended) {
      dialog->weight = static_cast<int>(in.Word());
      dialog->italic = in.Byte() != 0;
      in.Byte();  // character set: the dialog manager asks for DEFAULT_CHARSET anyway
    }
    dialog->faceName = WideToAnsi(in.String());
  }
  for (unsigned i = 0; i < count && in.ok(); ++i)
    dialog->controls.push_back(ReadDialogTemplateItem(in, extended));
  if (!in.ok())
    return ::testing::AssertionFailure()
           << "dialog template " << dialog->resourceId << " is cut short";
  return ::testing::AssertionSuccess();
}

class ScopedDataModule {
 public:
  explicit ScopedDataModule(const std::string& path)
      : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~ScopedDataModule() {
    if (module_)
      FreeLibrary(module_);
  }
  ScopedDataModule(const ScopedDataModule&) = delete;
  ScopedDataModule& operator=(const ScopedDataModule&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

BOOL CALLBACK CollectDialogId(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
  if (IS_INTRESOURCE(name))
    reinterpret_cast<std::vector<int>*>(param)->push_back(
        static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
  return TRUE;
}

Result LoadDialogTemplate(HMODULE module, int id, DialogTemplate* dialog) {
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data)
    return ::testing::AssertionFailure() << "no dialog template " << id << ": " << LastErrorText();
  *dialog = DialogTemplate();
  dialog->resourceId = id;
  return ParseDialogTemplate(static_cast<const unsigned char*>(data),
                             SizeofResource(module, resource), dialog);
}

// The size the dialog manager gives the client area of template dialog.
bool ClientFits(HWND window, const DialogTemplate& dialog, const DialogBaseUnits& units) {
  RECT client = {};
  GetClientRect(window, &client);
  RECT expected = DialogToPixels(units, 0, 0, dialog.cx, dialog.cy);
  return std::abs(client.right - expected.right) <= 1 &&
         std::abs(client.bottom - expected.bottom) <= 1;
}

}  // namespace

std::string ProcessImagePath(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process)
    return std::string();
  char path[MAX_PATH] = "";
  DWORD size = sizeof path;
  if (!QueryFullProcessImageNameA(process, 0, path, &size))
    path[0] = '\0';
  CloseHandle(process);
  return path;
}

Result ReadDialogTemplates(const std::string& exePath, std::vector<DialogTemplate>* templates) {
  ScopedDataModule module(exePath);
  if (!module.get())
    return ::testing::AssertionFailure() << "cannot load " << exePath << ": " << LastErrorText();
  std::vector<int> ids;
  EnumResourceNamesA(module.get(), MAKEINTRESOURCEA(5) /* RT_DIALOG */, CollectDialogId,
                     reinterpret_cast<LONG_PTR>(&ids));
  templates->clear();
  for (int id : ids) {
    DialogTemplate dialog;
    Result loaded = LoadDialogTemplate(module.get(), id, &dialog);
    if (!loaded)
      return loaded;
    templates->push_back(dialog);
  }
  return ::testing::AssertionSuccess();
}

Result ReadDialogTemplate(const std::string& exePath, int id, DialogTemplate* dialog) {
  ScopedDataModule module(exePath);
  if (!module.get())
    return ::testing::AssertionFailure() << "cannot load " << exePath << ": " << LastErrorText();
  return LoadDialogTemplate(module.get(), id, dialog);
}

Result BaseUnitsOfFont(const std::string& faceName, int pointSize, int weight, bool italic,
                       DialogBaseUnits* units) {
  ScopedWindowDC screen(nullptr);
  HFONT created = nullptr;
  if (pointSize == 0x7FFF) {  // "the message box font"
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    created = CreateFontIndirectA(&metrics.lfMessageFont);
  } else {
    // As the dialog manager makes a template's font.
    int pixels = MulDiv(pointSize, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    created = CreateFontA(-pixels, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                          PROOF_QUALITY, FF_DONTCARE, faceName.c_str());
  }
  ScopedGdiObject font(created);
  ScopedSelection selected(screen.get(), font.get());
  if (!font.get() || !selected.ok())
    return ::testing::AssertionFailure()
           << "cannot make font " << Quoted(faceName) << " " << pointSize;
  // GdiGetCharDimensions: the average width of the 52 letters, rounded, and
  // the font's height.
  static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size = {};
  TEXTMETRICA metrics = {};
  if (!GetTextExtentPoint32A(screen.get(), letters, 52, &size) ||
      !GetTextMetricsA(screen.get(), &metrics))
    return ::testing::AssertionFailure()
           << "cannot measure font " << Quoted(faceName) << ": " << LastErrorText();
  units->x = (size.cx / 26 + 1) / 2;
  units->y = metrics.tmHeight;
  return ::testing::AssertionSuccess();
}

Result BaseUnitsOfTemplate(const DialogTemplate& dialog, DialogBaseUnits* units) {
  if (!(dialog.style & DS_SETFONT) || dialog.faceName.empty()) {
    LONG both = ::GetDialogBaseUnits();
    units->x = LOWORD(both);
    units->y = HIWORD(both);
    return ::testing::AssertionSuccess();
  }
  return BaseUnitsOfFont(dialog.faceName, dialog.pointSize, dialog.weight, dialog.italic, units);
}

Result FindDialogTemplate(HWND dialog, DialogTemplate* found, DialogBaseUnits* units) {
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);
  std::string exe = ProcessImagePath(pid);
  if (exe.empty())
    return ::testing::AssertionFailure() << "no program file for window " << HandleName(dialog);
  std::vector<DialogTemplate> templates;
  Result read = ReadDialogTemplates(exe, &templates);
  if (!read)
    return read;
  // A template of the same caption first; any template of the right size next.
  std::string caption = WindowText(dialog);
  for (bool sameCaption : {true, false})
    for (const DialogTemplate& candidate : templates) {
      if ((candidate.caption == caption) != sameCaption)
        continue;
      DialogBaseUnits candidateUnits;
      if (!BaseUnitsOfTemplate(candidate, &candidateUnits) ||
          !ClientFits(dialog, candidate, candidateUnits))
        continue;
      if (found)
        *found = candidate;
      if (units)
        *units = candidateUnits;
      return ::testing::AssertionSuccess();
    }
  RECT client = {};
  GetClientRect(dialog, &client);
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << "no dialog template of " << exe << " makes window " << Quoted(caption)
          << " of client size " << client.right << "x" << client.bottom << "; templates:";
  for (const DialogTemplate& candidate : templates)
    failure << " " << candidate.resourceId << " " << Quoted(candidate.caption) << " "
            << candidate.cx << "x" << candidate.cy << " " << candidate.faceName << " "
            << candidate.pointSize << ";";
  return failure;
}

Result GetDialogBaseUnits(HWND dialog, DialogBaseUnits* units) {
  return FindDialogTemplate(dialog, nullptr, units);
}

Result ControlsMatchTemplate(HWND dialog) {
  DialogTemplate dialogTemplate;
  DialogBaseUnits units;
  Result found = FindDialogTemplate(dialog, &dialogTemplate, &units);
  if (!found)
    return found;
  std::vector<ControlInfo> controls = ListControls(dialog);
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  bool failed = controls.size() != dialogTemplate.controls.size();
  if (failed)
    failure << "dialog " << Quoted(dialogTemplate.caption) << " has " << controls.size()
            << " controls, template " << dialogTemplate.resourceId << " "
            << dialogTemplate.controls.size() << ";";
  for (size_t i = 0; i < controls.size() && i < dialogTemplate.controls.size(); ++i) {
    const DialogTemplateItem& want = dialogTemplate.controls[i];
    const ControlInfo& got = controls[i];
    RECT expected = DialogToPixels(units, want.x, want.y, want.cx, want.cy);
    if (got.id == want.id && _stricmp(got.className.c_str(), want.className.c_str()) == 0 &&
        FitsTemplateRect(got, expected))
      continue;
    failed = true;
    failure << "\n  control " << i << ": id " << got.id << " " << got.className << " at "
            << RectName(got.rect) << ", template id " << want.id << " " << want.className << " "
            << Quoted(want.text) << " at " << RectName(expected);
  }
  return failed ? failure : ::testing::AssertionSuccess();
}

RECT DialogToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy) {
  // Position and size are scaled separately, as for a control being created.
  RECT rect;
  rect.left = MulDiv(x, units.x, 4);
  rect.top = MulDiv(y, units.y, 8);
  rect.right = rect.left + MulDiv(cx, units.x, 4);
  rect.bottom = rect.top + MulDiv(cy, units.y, 8);
  return rect;
}

Result ControlMatchesTemplate(HWND dialog, int id, int x, int y, int cx, int cy) {
  DialogBaseUnits units;
  Result measured = GetDialogBaseUnits(dialog, &units);
  if (!measured)
    return measured;
  ControlInfo control;
  Result found = FindControl(dialog, id, &control);
  if (!found)
    return found;
  RECT expected = DialogToPixels(units, x, y, cx, cy);
  if (!FitsTemplateRect(control, expected))
    return ::testing::AssertionFailure()
           << "control " << id << " " << Quoted(control.text) << " is at " << RectName(control.rect)
           << ", template " << x << "," << y << "," << cx << "," << cy << " gives "
           << RectName(expected) << " (base units " << units.x << "x" << units.y << ")";
  return ::testing::AssertionSuccess();
}

Result ClientMatchesTemplate(HWND dialog, int cx, int cy) {
  DialogBaseUnits units;
  Result measured = GetDialogBaseUnits(dialog, &units);
  if (!measured)
    return measured;
  RECT client = {};
  GetClientRect(dialog, &client);
  RECT expected = DialogToPixels(units, 0, 0, cx, cy);
  if (!WithinOnePixel(client, expected))
    return ::testing::AssertionFailure()
           << "client area of " << Quoted(WindowText(dialog)) << " is " << RectName(client)
           << ", template " << cx << "x" << cy << " gives " << RectName(expected);
  return ::testing::AssertionSuccess();
}

// ---- Input ----------------------------------------------------------------

namespace {

// What keeps a person from clicking window: gone, hidden, disabled, or on a
// window disabled by a modal one in front. Empty when it can be clicked.
std::string WhyNotClickable(HWND window) {
  if (!IsWindow(window))
    return "there is no window " + HandleName(window);
  std::string name = ClassName(window) + " " + Quoted(WindowText(window));
  if (!IsWindowVisible(window))
    return name + " is hidden";
  if (!IsWindowEnabled(window))
    return name + " is disabled";
  HWND root = GetAncestor(window, GA_ROOT);
  if (root && !IsWindowEnabled(root))
    return name + " is on disabled window " + Quoted(WindowText(root)) +
           " (a modal window is in front of it?)";
  return std::string();
}

}  // namespace

Result Click(HWND button) {
  std::string why = WhyNotClickable(button);
  if (!why.empty())
    return ::testing::AssertionFailure() << "cannot click: " << why;
  if (!PostMessageW(button, BM_CLICK, 0, 0))
    return ::testing::AssertionFailure()
           << "cannot post a click to " << Quoted(WindowText(button)) << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

Result ClickControl(HWND dialog, int id) {
  ControlInfo control;
  Result found = FindControl(dialog, id, &control);
  if (!found)
    return found;
  return Click(control.hwnd);
}

Result TypeText(HWND edit, const std::string& text) {
  if (!IsWindow(edit))
    return ::testing::AssertionFailure() << "no window " << HandleName(edit) << " to type into";
  for (wchar_t character : AnsiToWide(text))
    if (!PostMessageW(edit, WM_CHAR, character, 1))
      return ::testing::AssertionFailure() << "cannot post WM_CHAR: " << LastErrorText();
  return ::testing::AssertionSuccess();
}

Result ReplaceText(HWND edit, const std::string& text, DWORD timeoutMs) {
  if (!IsWindow(edit))
    return ::testing::AssertionFailure() << "no window " << HandleName(edit) << " to type into";
  if (!PostMessageW(edit, EM_SETSEL, 0, -1))
    return ::testing::AssertionFailure() << "cannot post EM_SETSEL: " << LastErrorText();
  // Typing over a selection replaces it; with nothing to type, delete it.
  Result typed = text.empty() ? Result(PostMessageW(edit, WM_CHAR, VK_BACK, 1) != FALSE)
                              : TypeText(edit, text);
  if (!typed)
    return typed;
  return WaitForWindowText(edit, text, timeoutMs);
}

Result SetText(HWND hwnd, const std::string& text) {
  std::wstring wide = AnsiToWide(text);
  LRESULT done = 0;
  if (!SendBounded(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), &done) || !done)
    return ::testing::AssertionFailure()
           << "window " << HandleName(hwnd) << " did not take text " << Quoted(text);
  return ::testing::AssertionSuccess();
}

HWND FocusWindow(DWORD threadId) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(threadId, &info))
    return nullptr;
  return info.hwndFocus;
}

Result WaitForFocus(DWORD threadId, HWND hwnd, DWORD timeoutMs) {
  if (PollUntil([&] { return FocusWindow(threadId) == hwnd; }, timeoutMs))
    return ::testing::AssertionSuccess();
  HWND focus = FocusWindow(threadId);
  return ::testing::AssertionFailure()
         << "focus of thread " << threadId << " is on " << HandleName(focus) << " "
         << ClassName(focus) << " " << Quoted(WindowText(focus)) << ", not on " << HandleName(hwnd)
         << " " << Quoted(WindowText(hwnd)) << " after " << timeoutMs << " ms";
}

Result PressKey(DWORD threadId, UINT vk) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(threadId, &info))
    return ::testing::AssertionFailure()
           << "thread " << threadId << " has no GUI: " << LastErrorText();
  HWND target = info.hwndFocus ? info.hwndFocus : info.hwndActive;
  if (!target)
    return ::testing::AssertionFailure()
           << "thread " << threadId << " has no focus or active window";
  UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  LPARAM up = down | (1u << 30) | (1u << 31);
  if (!PostMessageW(target, WM_KEYDOWN, vk, down) || !PostMessageW(target, WM_KEYUP, vk, up))
    return ::testing::AssertionFailure() << "cannot post key " << vk << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

Result ClickListItem(HWND listBox, int index, bool doubleClick) {
  std::string why = WhyNotClickable(listBox);
  if (!why.empty())
    return ::testing::AssertionFailure() << "cannot click: " << why;
  RECT item = {};
  LRESULT found = LB_ERR;
  if (!SendBounded(listBox, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item), &found) ||
      found == LB_ERR)
    return ::testing::AssertionFailure()
           << "list " << HandleName(listBox) << " has no item " << index;
  RECT client = {};
  GetClientRect(listBox, &client);
  const POINT middle = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  if (!PtInRect(&client, middle))
    return ::testing::AssertionFailure()
           << "item " << index << " of list " << HandleName(listBox) << " is scrolled out of sight";
  const LPARAM at = MAKELPARAM(middle.x, middle.y);
  bool posted = PostMessageW(listBox, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
                PostMessageW(listBox, WM_LBUTTONUP, 0, at);
  if (doubleClick)
    posted = posted && PostMessageW(listBox, WM_LBUTTONDBLCLK, MK_LBUTTON, at) &&
             PostMessageW(listBox, WM_LBUTTONUP, 0, at);
  if (!posted)
    return ::testing::AssertionFailure() << "cannot post a click: " << LastErrorText();
  return ::testing::AssertionSuccess();
}

Result PressEnter(DWORD threadId) { return PressKey(threadId, VK_RETURN); }

Result PressEscape(DWORD threadId) { return PressKey(threadId, VK_ESCAPE); }

Result PressTab(DWORD threadId) { return PressKey(threadId, VK_TAB); }

Result SendClose(HWND hwnd) {
  if (!PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0))
    return ::testing::AssertionFailure()
           << "cannot post SC_CLOSE to " << HandleName(hwnd) << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

// ---- Reading windows ------------------------------------------------------

std::string WindowText(HWND hwnd) {
  if (!hwnd)
    return std::string();
  LRESULT length = 0;
  if (!SendBounded(hwnd, WM_GETTEXTLENGTH, 0, 0, &length))
    return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  if (!SendBounded(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied))
    return std::string();
  text.resize(static_cast<size_t>(copied));
  return WideToAnsi(text);
}

Result WaitForWindowText(HWND hwnd, const std::string& text, DWORD timeoutMs) {
  if (PollUntil([&] { return WindowText(hwnd) == text; }, timeoutMs))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "window " << HandleName(hwnd) << " shows " << Quoted(WindowText(hwnd)) << ", not "
         << Quoted(text) << ", after " << timeoutMs << " ms";
}

std::vector<std::string> ListBoxItems(HWND listBox) {
  std::vector<std::string> items;
  LRESULT count = 0;
  if (!SendBounded(listBox, LB_GETCOUNT, 0, 0, &count) || count < 0)
    return items;
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = 0;
    if (!SendBounded(listBox, LB_GETTEXTLEN, i, 0, &length) || length < 0)
      break;
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    if (!SendBounded(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&item[0]), &length) ||
        length < 0)
      break;
    item.resize(static_cast<size_t>(length));
    items.push_back(WideToAnsi(item));
  }
  return items;
}

std::vector<std::string> ComboBoxItems(HWND comboBox) {
  std::vector<std::string> items;
  LRESULT count = 0;
  if (!SendBounded(comboBox, CB_GETCOUNT, 0, 0, &count) || count < 0)
    return items;
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = 0;
    if (!SendBounded(comboBox, CB_GETLBTEXTLEN, i, 0, &length) || length < 0)
      break;
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    if (!SendBounded(comboBox, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]), &length) ||
        length < 0)
      break;
    item.resize(static_cast<size_t>(length));
    items.push_back(WideToAnsi(item));
  }
  return items;
}

int ListBoxSelection(HWND listBox) {
  LRESULT selection = LB_ERR;
  SendBounded(listBox, LB_GETCURSEL, 0, 0, &selection);
  return static_cast<int>(selection);
}

DWORD WindowStyle(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

DWORD WindowExStyle(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)); }

std::string ClassName(HWND hwnd) { return hwnd ? ChildClassName(hwnd) : std::string(); }

bool IsVisibleAndEnabled(HWND hwnd) { return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

// ---- Pixels ---------------------------------------------------------------

namespace {

// The visible top-level window in front of root that covers a screen point.
HWND CoveringWindow(HWND root, POINT point) {
  for (HWND window = GetTopWindow(nullptr); window && window != root;
       window = GetWindow(window, GW_HWNDNEXT)) {
    RECT rect = {};
    if (IsWindowVisible(window) && GetWindowRect(window, &rect) && PtInRect(&rect, point))
      return window;
  }
  return nullptr;
}

}  // namespace

namespace {

DWORD WINAPI PaintNow(LPVOID window) {
  RedrawWindow(static_cast<HWND>(window), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return 0;
}

}  // namespace

Result PaintPending(HWND hwnd, DWORD timeoutMs) {
  // RDW_UPDATENOW sends WM_PAINT to the thread that owns the window, like
  // SendMessage, and returns once it has painted. From a thread of our own,
  // so that a program that does not answer cannot hold the test.
  HWND root = GetAncestor(hwnd, GA_ROOT);
  HANDLE thread = CreateThread(nullptr, 0, PaintNow, root, 0, nullptr);
  if (!thread)
    return ::testing::AssertionFailure() << "cannot start a thread: " << LastErrorText();
  DWORD wait = WaitForSingleObject(thread, timeoutMs);
  CloseHandle(thread);
  if (wait == WAIT_OBJECT_0)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "window " << HandleName(root) << " " << Quoted(WindowText(root))
         << " did not paint within " << timeoutMs << " ms";
}

Result ReadPixel(HWND hwnd, int x, int y, COLORREF* colour) {
  // A window just shown or changed may not have painted yet: its pixels are
  // then black. Read what the program has drawn, not what it is about to.
  Result painted = PaintPending(hwnd);
  if (!painted)
    return painted;
  POINT point = {x, y};
  ClientToScreen(hwnd, &point);
  // Wine answers black for a covered pixel of another window: say so instead.
  if (HWND cover = CoveringWindow(GetAncestor(hwnd, GA_ROOT), point))
    return ::testing::AssertionFailure()
           << "pixel (" << x << "," << y << ") of " << HandleName(hwnd) << " "
           << Quoted(WindowText(hwnd)) << " is covered by window " << HandleName(cover) << " "
           << ClassName(cover) << " " << Quoted(WindowText(cover));
  ScopedWindowDC dc(hwnd);
  if (!dc.get())
    return ::testing::AssertionFailure() << "no DC for window " << HandleName(hwnd);
  COLORREF pixel = GetPixel(dc.get(), x, y);
  if (pixel == CLR_INVALID) {
    RECT clip = {};
    int kind = GetClipBox(dc.get(), &clip);
    COLORREF onScreen = CLR_INVALID;
    ReadScreenPixel(point.x, point.y, &onScreen);
    return ::testing::AssertionFailure()
           << "pixel (" << x << "," << y << ") of " << HandleName(hwnd) << " "
           << Quoted(WindowText(hwnd)) << " cannot be read: the window "
           << (IsWindowVisible(hwnd) ? "is visible" : "is hidden") << ", its DC shows "
           << (kind == NULLREGION ? "nothing" : RectName(clip)) << ", the screen there is "
           << ColourName(onScreen);
  }
  *colour = pixel;
  return ::testing::AssertionSuccess();
}

Result ReadScreenPixel(int x, int y, COLORREF* colour) {
  ScopedWindowDC screen(nullptr);
  COLORREF pixel = screen.get() ? GetPixel(screen.get(), x, y) : CLR_INVALID;
  if (pixel == CLR_INVALID)
    return ::testing::AssertionFailure() << "screen pixel (" << x << "," << y << ") cannot be read";
  *colour = pixel;
  return ::testing::AssertionSuccess();
}

std::string ColourName(COLORREF colour) {
  char name[16];
  std::snprintf(name, sizeof name, "#%02x%02x%02x", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return name;
}

namespace {

// A 24-bit bottom-up BMP file of the pixels of bitmap.
Result WriteBmp(HDC dc, HBITMAP bitmap, int width, int height, const std::string& path) {
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = ((width * 3) + 3) & ~3u;
  header.biSizeImage = stride * height;
  std::vector<unsigned char> pixels(header.biSizeImage);
  if (!GetDIBits(dc, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                 DIB_RGB_COLORS))
    return ::testing::AssertionFailure() << "GetDIBits failed: " << LastErrorText();
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::vector<unsigned char> bytes(reinterpret_cast<unsigned char*>(&file),
                                   reinterpret_cast<unsigned char*>(&file) + sizeof file);
  bytes.insert(bytes.end(), reinterpret_cast<unsigned char*>(&header),
               reinterpret_cast<unsigned char*>(&header) + sizeof header);
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  return WriteWholeFile(path, bytes);
}

}  // namespace

Result SaveScreenshot(HWND hwnd, const std::string& bmpPath) {
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (hwnd && !GetWindowRect(hwnd, &area))
    return ::testing::AssertionFailure()
           << "no window " << HandleName(hwnd) << " to take a picture of";
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0)
    return ::testing::AssertionFailure() << "empty area " << RectName(area);
  ScopedWindowDC screen(nullptr);
  ScopedMemoryDC memory(screen.get());
  ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!memory.get() || !bitmap.get())
    return ::testing::AssertionFailure() << "no bitmap: " << LastErrorText();
  {
    ScopedSelection selected(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY))
      return ::testing::AssertionFailure() << "BitBlt from the screen failed: " << LastErrorText();
  }
  return WriteBmp(memory.get(), static_cast<HBITMAP>(bitmap.get()), width, height, bmpPath);
}

}  // namespace e2e
