// Finding windows: the top-level windows of a process, message boxes, and
// the controls of a dialog.
#include "tests/harness/harness.h"

#include <cstdlib>
#include <sstream>

#include "tests/harness/harness_internal.h"

namespace e2e {

using namespace internal;

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
  info.className = ClassName(hwnd);
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
  for (const WindowInfo& window : windows) {
    out << "\n  " << HandleName(window.hwnd) << " " << window.className << " "
        << Quoted(window.caption) << (window.visible ? " visible" : " hidden");
    // What a message box says is what the program told the user.
    if (window.visible && IsMessageBox(window.hwnd))
      out << " saying " << Quoted(ReadMessageBox(window.hwnd).text);
  }
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
                             const std::string& what, HWND* found, DWORD timeoutMs, DWORD pollMs) {
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
      timeoutMs, pollMs);
  if (!seen || !hit) {
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "no " << what << " of pid " << pid;
    if (ended)
      failure << ": it ended with exit code " << process.ExitCode();
    else
      failure << " within " << ScaledMs(timeoutMs) << " ms; its windows:" << DescribeWindows(pid);
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
         << " still exists after " << ScaledMs(timeoutMs) << " ms";
}

Result CentredOver(HWND window, HWND owner) {
  HWND actual = GetWindow(window, GW_OWNER);
  if (actual != owner)
    return ::testing::AssertionFailure()
           << "window " << Quoted(WindowText(window)) << " is owned by " << HandleName(actual)
           << " " << Quoted(WindowText(actual)) << ", not by " << Quoted(WindowText(owner));
  RECT inner = {}, outer = {};
  GetWindowRect(window, &inner);
  GetWindowRect(owner, &outer);
  // Twice the offset of the centres, in whole pixels.
  const int dx = (inner.left + inner.right) - (outer.left + outer.right);
  const int dy = (inner.top + inner.bottom) - (outer.top + outer.bottom);
  if (std::abs(dx) > 2 || std::abs(dy) > 2)
    return ::testing::AssertionFailure()
           << "window " << Quoted(WindowText(window)) << " at " << RectName(inner)
           << " is not centred over " << Quoted(WindowText(owner)) << " at " << RectName(outer)
           << ": its centre lies " << dx / 2.0 << " px right and " << dy / 2.0 << " px below";
  return ::testing::AssertionSuccess();
}

std::vector<HWND> GroupWindows(const std::string& group) {
  std::vector<HWND> found;
  for (const WindowInfo& window : TopLevelWindows(0))
    if (window.className == "ExplorerWClass" && window.caption == group)
      found.push_back(window.hwnd);
  return found;
}

std::vector<HWND> WaitForGroupWindows(const std::string& group, DWORD timeoutMs) {
  if (PollUntil([&] { return !GroupWindows(group).empty(); }, timeoutMs))
    PollUntil([&] { return GroupWindows(group).size() >= 2; }, 3000);
  return GroupWindows(group);
}

void CloseGroupWindows(const std::string& group) {
  for (HWND hwnd : GroupWindows(group)) {
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    WaitForWindowGone(hwnd, 5000);
  }
}

// ---- Message boxes --------------------------------------------------------

namespace {

bool IsStaticWithId(HWND child, int id) {
  return GetDlgCtrlID(child) == id && ClassName(child) == "Static";
}

}  // namespace

bool IsMessageBox(HWND hwnd) {
  if (ClassName(hwnd) != "#32770")
    return false;
  bool hasText = false, hasIcon = false;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::string className = ClassName(child);
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

// ---- Dialog controls ------------------------------------------------------

namespace {

std::string DescribeControls(HWND dialog) {
  std::ostringstream out;
  for (const ControlInfo& control : ListControls(dialog))
    out << "\n  id " << control.id << " " << control.className << " " << Quoted(control.text)
        << " at (" << control.rect.left << "," << control.rect.top << ")-(" << control.rect.right
        << "," << control.rect.bottom << ")";
  return out.str();
}

}  // namespace

std::vector<ControlInfo> ListControls(HWND dialog) {
  std::vector<ControlInfo> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ControlInfo control;
    control.hwnd = child;
    control.id = static_cast<int>(GetWindowLongPtrA(child, GWLP_ID) & 0xFFFF);
    control.className = ClassName(child);
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

}  // namespace e2e
