// Install-phase benchmark: SETUP.EXE from OK in the Install Directory dialog
// until the Create Application Group question shows, against the floor
// program (tools/bench/copy_floor.c) timed the same way, and against Wine's
// xcopy, for two payloads, alternated in one run under the same Wine.
// Prints medians and ratios, and SETUP.EXE's peak memory per payload.
//
//   install_bench.exe DEMO_DIR LARGE_DIR FLOOR_EXE DEST_ROOT [ROUNDS]
//
// Each payload directory holds SETUP.EXE and the ten files; DEST_ROOT is a
// scratch directory that the benchmark fills and empties.
#include <windows.h>

#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>
#include "res/product_files.h"
#include "res/resource.h"

#include <algorithm>
#include <string>
#include <vector>

#include "tests/harness/harness.h"
#include "tools/bench/bench_util.h"

namespace {

using namespace e2e;
using bench::Median;
using bench::Now;

struct Timing {
  double ms = -1;
  SIZE_T peakWorkingSet = 0;
  SIZE_T peakPrivate = 0;
};

bool Fail(const char* what) {
  fprintf(stderr, "install_bench: %s\n", what);
  return false;
}

// SETUP.EXE: Welcome, then the destination typed and OK; timed until the
// group question; then Skip and Success close the run.
bool TimeSetup(const std::string& dist, const std::string& dest, Timing* t) {
  RemoveTree(dest);
  Process p;
  HWND welcome = nullptr, installDir = nullptr;
  if (!p.Start(JoinPath(dist, "SETUP.EXE"), dist) || !WaitForWindow(p.pid(), "Welcome", &welcome) ||
      !ClickControl(welcome, IDOK) || !WaitForWindow(p.pid(), "Install Directory", &installDir) ||
      !ReplaceText(Control(installDir, IDC_DEST_DIR), dest))
    return Fail("SETUP.EXE did not reach Install Directory");
  double start = Now();
  if (!ClickControl(installDir, IDOK))
    return Fail("no OK in Install Directory");
  HWND appGroup = bench::WaitForCaption(p.pid(), "Create Application Group", 120000);
  if (!appGroup)
    return Fail("SETUP.EXE did not reach the group question");
  t->ms = Now() - start;
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(p.handle(), &counters, sizeof counters)) {
    t->peakWorkingSet = counters.PeakWorkingSetSize;
    t->peakPrivate = counters.PeakPagefileUsage;
  }
  HWND success = nullptr;
  DWORD code = 0;
  if (!ClickControl(appGroup, IDCANCEL) || !WaitForWindow(p.pid(), "Success", &success) ||
      !ClickControl(success, IDOK) || !p.WaitForExit(&code))
    return Fail("SETUP.EXE did not end");
  return true;
}

// The floor program, timed from OK on its "Floor" box to its "Floor done" box.
bool TimeFloor(const std::string& floor, const std::string& dist, const std::string& dest,
               const char* mode, Timing* t) {
  RemoveTree(dest);
  Process p;
  MessageBoxInfo box;
  if (!p.Start(floor, dist, "\"" + dist + "\" \"" + dest + "\" " + mode) ||
      !WaitForMessageBox(p.pid(), &box) || box.caption != "Floor")
    return Fail("the floor program did not start");
  double start = Now();
  if (!ClickControl(box.hwnd, IDOK))
    return Fail("no OK on the floor's box");
  HWND done = bench::WaitForCaption(p.pid(), "Floor done", 120000);
  if (!done)
    return Fail("the floor program did not finish");
  t->ms = Now() - start;
  DWORD code = 0;
  if (!ClickControl(done, IDOK) || !p.WaitForExit(&code))
    return Fail("the floor program did not end");
  return true;
}

// Wine's xcopy, from its start to its end.
bool TimeXcopy(const std::string& dist, const std::string& dest, Timing* t) {
  RemoveTree(dest);
  CreateDirectories(dest);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = nul;
  PROCESS_INFORMATION pi = {};
  std::string command = "xcopy.exe /Y /Q \"" + dist + "\\*.*\" \"" + dest + "\\\"";
  double start = Now();
  BOOL started =
      CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  if (started) {
    WaitForSingleObject(pi.hProcess, 120000);
    t->ms = Now() - start;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(nul);
  return started || Fail("xcopy did not start");
}

struct Series {
  std::vector<double> setup, floor, pumpOnly, copyOnly, xcopy;
  SIZE_T peakWorkingSet = 0, peakPrivate = 0;
};

bool RunRound(const std::string& dist, const std::string& floorExe, const std::string& dest,
              Series* s) {
  Timing setup, floor, pump, copy, xcopy;
  if (!TimeFloor(floorExe, dist, dest, "full", &floor) || !TimeSetup(dist, dest, &setup) ||
      !TimeFloor(floorExe, dist, dest, "pump", &pump) ||
      !TimeFloor(floorExe, dist, dest, "copy", &copy) || !TimeXcopy(dist, dest, &xcopy))
    return false;
  s->setup.push_back(setup.ms);
  s->floor.push_back(floor.ms);
  s->pumpOnly.push_back(pump.ms);
  s->copyOnly.push_back(copy.ms);
  s->xcopy.push_back(xcopy.ms);
  s->peakWorkingSet = std::max(s->peakWorkingSet, setup.peakWorkingSet);
  s->peakPrivate = std::max(s->peakPrivate, setup.peakPrivate);
  return true;
}

long long PayloadBytes(const std::string& dist) {
  static const char* const files[] = {ORLO_PRODUCT_FILES(ORLO_PRODUCT_FILE_NAME)};
  long long total = 0;
  for (const char* name : files) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(JoinPath(dist, name).c_str(), GetFileExInfoStandard, &data))
      total += ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
  }
  return total;
}

void Report(const char* title, const std::string& dist, const Series& s, int rounds) {
  long long bytes = PayloadBytes(dist);
  double chunks = (double)((bytes + 4095) / 4096);
  double setup = Median(s.setup), floor = Median(s.floor), pump = Median(s.pumpOnly),
         copy = Median(s.copyOnly), xcopy = Median(s.xcopy);
  printf("%s: %lld bytes in 10 files, %.0f chunks; medians of %d rounds\n", title, bytes, chunks,
         rounds);
  printf("  SETUP.EXE install phase        %9.1f ms  %6.1f us/chunk\n", setup,
         setup * 1000 / chunks);
  printf("  floor: read+write+2 pumps+paint %8.1f ms  %6.1f us/chunk\n", floor,
         floor * 1000 / chunks);
  printf("  floor without the repaint       %8.1f ms  %6.1f us/chunk\n", pump,
         pump * 1000 / chunks);
  printf("  floor without pumps and repaint %8.1f ms  %6.1f us/chunk\n", copy,
         copy * 1000 / chunks);
  printf("  Wine xcopy (process included)   %8.1f ms\n", xcopy);
  printf("  ratio SETUP.EXE / floor: %.2fx (target at most 1.10x)\n", setup / floor);
  printf("  ratio SETUP.EXE / xcopy: %.2fx\n", setup / xcopy);
  printf("  SETUP.EXE peak working set %.1f MiB, peak private bytes %.1f MiB\n",
         s.peakWorkingSet / 1048576.0, s.peakPrivate / 1048576.0);
  printf("  floor ms for the script: %.1f\n", floor);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: install_bench DEMO_DIR LARGE_DIR FLOOR_EXE DEST_ROOT [ROUNDS]\n");
    return 2;
  }
  std::string demo = argv[1], large = argv[2], floorExe = argv[3], destRoot = argv[4];
  int rounds = argc > 5 ? atoi(argv[5]) : 3;
  std::string dest = JoinPath(destRoot, "ORLO");
  Series demoSeries, largeSeries, warmUp;
  // One warm-up round on the small payload, then the payloads alternate, so
  // that whatever the machine does meanwhile falls on all programs alike.
  if (!RunRound(demo, floorExe, dest, &warmUp))
    return 1;
  for (int i = 0; i < rounds; i++) {
    if (!RunRound(demo, floorExe, dest, &demoSeries) ||
        !RunRound(large, floorExe, dest, &largeSeries))
      return 1;
  }
  RemoveTree(dest);
  Report("demonstration payload", demo, demoSeries, rounds);
  Report("large payload", large, largeSeries, rounds);
  printf("target: demonstration install phase under 500 ms: %s\n",
         Median(demoSeries.setup) < 500 ? "met" : "missed");
  fflush(stdout);
  return 0;
}
