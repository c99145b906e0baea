// Timing helpers shared by the benchmark drivers.
#pragma once

#include <windows.h>

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

// A visible top-level window of pid captioned caption, nullptr if none shows
// within timeoutMs. Looked for every millisecond: the harness's waits look
// every 25 ms, too coarse for a timing.
inline HWND WaitForCaption(DWORD pid, const std::string& caption, double timeoutMs) {
  const double start = Now();
  while (Now() - start < timeoutMs) {
    for (const e2e::WindowInfo& w : e2e::TopLevelWindows(pid))
      if (w.visible && w.caption == caption)
        return w.hwnd;
    Sleep(1);
  }
  return nullptr;
}

}  // namespace bench
