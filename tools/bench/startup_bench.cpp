// Start-up time of SETUP.EXE against the smallest dialog program of ours,
// measured side by side in one run under the same Wine: from CreateProcess
// until the first dialog is visible. Prints the medians and their ratio.
//
//   startup_bench.exe DIST_DIR MIN_DIALOG_EXE [ROUNDS]
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/harness/harness.h"
#include "tools/bench/bench_util.h"

namespace {

using namespace e2e;
using bench::Median;
using bench::Now;

// Milliseconds from the start of exe to a visible window captioned caption,
// or a negative number, said why, when it did not show within ten seconds
// (times the harness's time scale).
double TimeToWindow(const std::string& exe, const std::string& dir, const std::string& caption) {
  const std::string run = "startup_bench: " + exe + ": ";
  Process p;
  HWND shown = nullptr;
  double start = Now();
  if (!bench::Check(p.Start(exe, dir), run + "start") ||
      !bench::Check(bench::WaitForCaption(p.pid(), caption, &shown, 10000), run + caption))
    return -1;
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: startup_bench DIST_DIR MIN_DIALOG_EXE [ROUNDS]\n");
    return 2;
  }
  std::string dist = argv[1];
  std::string minimal = argv[2];
  int rounds = argc > 3 ? atoi(argv[3]) : 15;
  std::vector<double> setupTimes, minimalTimes;
  // Alternate the two, so that whatever the machine does meanwhile falls on
  // both alike; the first round of each only warms up.
  for (int i = 0; i <= rounds; i++) {
    double m = TimeToWindow(minimal, dist, "Minimal");
    double s = TimeToWindow(JoinPath(dist, "SETUP.EXE"), dist, "Welcome");
    if (m < 0 || s < 0)
      return 1;
    if (i > 0) {
      minimalTimes.push_back(m);
      setupTimes.push_back(s);
    }
  }
  double ms = Median(setupTimes), mm = Median(minimalTimes);
  printf("start to first dialog, median of %d rounds under the same Wine:\n", rounds);
  printf("  minimal dialog program  %7.1f ms\n", mm);
  printf("  SETUP.EXE (Welcome)     %7.1f ms\n", ms);
  printf("  ratio SETUP.EXE / minimal: %.2fx (target at most 1.20x)\n", ms / mm);
  fflush(stdout);
  return 0;
}
