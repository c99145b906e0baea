// Processes: where the programs under test are (the environment CTest and
// tools/wine-run.sh set up for the prefix) and starting, tracing and ending them.
#include "tests/harness/harness.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "tests/harness/harness_internal.h"

namespace e2e {

using namespace internal;

// ---- Waiting --------------------------------------------------------------

namespace {

DWORD ReadTimeScale() {
  char value[16] = "";
  DWORD length = GetEnvironmentVariableA("ORLO_TIME_SCALE", value, sizeof value);
  // Up to nine digits: anything longer is no sensible factor, and it fits a DWORD.
  if (length == 0 || length > 9)
    return 1;
  DWORD scale = 0;
  for (DWORD i = 0; i < length; i++) {
    if (value[i] < '0' || value[i] > '9')
      return 1;
    scale = scale * 10 + (value[i] - '0');
  }
  return scale >= 1 ? scale : 1;
}

// Dispatches this thread's messages until one of handles is signalled or
// deadline (GetTickCount64) has come.
DWORD WaitPumpingUntil(DWORD count, const HANDLE* handles, ULONGLONG deadline) {
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline)
      return WAIT_TIMEOUT;
    const ULONGLONG left = deadline - now;
    DWORD wait = MsgWaitForMultipleObjects(
        count, handles, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(left, INFINITE - 1)),
        QS_ALLINPUT);
    if (wait != WAIT_OBJECT_0 + count)
      return wait;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

ULONGLONG DeadlineAfter(DWORD timeoutMs) {
  const DWORD bound = ScaledMs(timeoutMs);
  return bound == INFINITE ? ~0ULL : GetTickCount64() + bound;
}

}  // namespace

DWORD TimeScale() {
  static const DWORD scale = ReadTimeScale();
  return scale;
}

DWORD ScaledMs(DWORD ms) {
  if (ms == INFINITE)
    return INFINITE;
  const ULONGLONG scaled = static_cast<ULONGLONG>(ms) * TimeScale();
  return static_cast<DWORD>(std::min<ULONGLONG>(scaled, INFINITE - 1));
}

DWORD WaitPumping(DWORD count, const HANDLE* handles, DWORD timeoutMs) {
  return WaitPumpingUntil(count, handles, DeadlineAfter(timeoutMs));
}

bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG deadline = DeadlineAfter(timeoutMs);
  for (;;) {
    if (condition())
      return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline)
      return false;
    WaitPumpingUntil(0, nullptr, std::min<ULONGLONG>(deadline, now + pollMs));
  }
}

// ---- Test environment -----------------------------------------------------

namespace {

std::string EnvironmentDir(const char* name) {
  const char* value = std::getenv(name);
  return value ? TrimTrailingSeparators(value) : std::string();
}

}  // namespace

std::string DistDir() { return EnvironmentDir("ORLO_DIST_DIR"); }

std::string FixturesDir() { return EnvironmentDir("ORLO_FIXTURES_DIR"); }

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
                                         << ScaledMs(kDefaultTimeoutMs) << " ms of " << commandLine;
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
  const DWORD bound = ScaledMs(timeoutMs);
  if (WaitForSingleObject(process_, bound) != WAIT_OBJECT_0)
    return ::testing::AssertionFailure() << "pid " << pid_ << " still runs after " << bound
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
  WaitForSingleObject(process_, ScaledMs(5000));
}

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

}  // namespace e2e
