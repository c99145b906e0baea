// Timing helpers shared by the benchmark drivers.
#pragma once

#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/harness/harness.h"

namespace bench {

// Milliseconds on the performance counter.
inline double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return (double)c.QuadPart * 1000.0 / (double)f.QuadPart;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Waits for a visible top-level window of pid captioned caption, looking
// every millisecond: the harness's 25 ms would blur a timing. A message box
// that shows instead, other than ignore (one just clicked and not yet gone),
// is the program reporting a failure: the wait ends there and says its
// caption and text. A time-out lists the windows of pid, as the harness's
// waits do.
inline e2e::Result WaitForCaption(DWORD pid, const std::string& caption, HWND* found,
                                  DWORD timeoutMs, HWND ignore = nullptr) {
  // Whether a window is a message box is settled by the time it shows; ask
  // once per window, not every millisecond while the program under
  // measurement competes for the same Wine server.
  std::vector<HWND> notBoxes = {ignore};
  auto isOtherMessageBox = [&](HWND hwnd) {
    if (std::find(notBoxes.begin(), notBoxes.end(), hwnd) != notBoxes.end())
      return false;
    if (e2e::IsMessageBox(hwnd))
      return true;
    notBoxes.push_back(hwnd);
    return false;
  };
  HWND hit = nullptr;
  bool captioned = false;
  e2e::Result seen = e2e::WaitForWindowMatching(
      pid,
      [&](const e2e::WindowInfo& w) {
        captioned = w.caption == caption;
        return w.visible && (captioned || isOtherMessageBox(w.hwnd));
      },
      "visible window \"" + caption + "\"", &hit, timeoutMs, 1);
  if (!seen)
    return seen;
  if (!captioned) {
    const e2e::MessageBoxInfo box = e2e::ReadMessageBox(hit);
    return ::testing::AssertionFailure()
           << "pid " << pid << " shows message box \"" << box.caption << "\" saying \"" << box.text
           << "\" instead of \"" << caption << "\"";
  }
  *found = hit;
  return ::testing::AssertionSuccess();
}

// True when result holds; else prints which step failed and what was seen.
inline bool Check(const e2e::Result& result, const std::string& step) {
  if (result)
    return true;
  fprintf(stderr, "%s: %s\n", step.c_str(), result.message());
  return false;
}

}  // namespace bench
