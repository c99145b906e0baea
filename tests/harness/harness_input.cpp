// Input as a person gives it: clicks on buttons and list items, keys on the
// focus window, characters typed into edit boxes.
#include "tests/harness/harness.h"

#include "tests/harness/harness_internal.h"

namespace e2e {

using namespace internal;

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
         << " " << Quoted(WindowText(hwnd)) << " after " << ScaledMs(timeoutMs) << " ms";
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
  if (!PostMessageW(target, WM_KEYDOWN, vk, down))
    return ::testing::AssertionFailure() << "cannot post key " << vk << ": " << LastErrorText();
  // The key going down may close the window (Esc, Enter) before the key going
  // up is posted: seen on a loaded machine. That is the key's effect, not a
  // failure to press it.
  if (!PostMessageW(target, WM_KEYUP, vk, up) && IsWindow(target))
    return ::testing::AssertionFailure() << "cannot release key " << vk << ": " << LastErrorText();
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

}  // namespace e2e
