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
using bench::Check;
using bench::Median;
using bench::Now;
using bench::WaitForCaption;

// How long one run of a program over a payload may take.
constexpr DWORD kRunTimeoutMs = 120000;

struct Timing {
  double ms = -1;
  SIZE_T peakWorkingSet = 0;
  SIZE_T peakPrivate = 0;
};

// A payload directory: SETUP.EXE and the ten files.
struct PayloadDir {
  std::string name;  // for the report and the failure messages
  std::string dir;
  long long bytes = 0;
};

// SETUP.EXE: Welcome, then the destination typed and OK; timed until the
// group question; then Skip and Success close the run.
bool TimeSetup(const PayloadDir& payload, const std::string& dest, Timing* t) {
  const std::string run = "install_bench: SETUP.EXE, " + payload.name + ": ";
  RemoveTree(dest);
  Process p;
  HWND welcome = nullptr, installDir = nullptr, appGroup = nullptr, success = nullptr;
  if (!Check(p.Start(JoinPath(payload.dir, "SETUP.EXE"), payload.dir), run + "start") ||
      !Check(WaitForWindow(p.pid(), "Welcome", &welcome), run + "Welcome") ||
      !Check(ClickControl(welcome, IDOK), run + "Continue in Welcome") ||
      !Check(WaitForWindow(p.pid(), "Install Directory", &installDir), run + "Install Directory") ||
      !Check(ReplaceText(Control(installDir, IDC_DEST_DIR), dest), run + "typing the destination"))
    return false;
  double start = Now();
  if (!Check(ClickControl(installDir, IDOK), run + "OK in Install Directory") ||
      !Check(WaitForCaption(p.pid(), "Create Application Group", &appGroup, kRunTimeoutMs),
             run + "the copy"))
    return false;
  t->ms = Now() - start;
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(p.handle(), &counters, sizeof counters)) {
    t->peakWorkingSet = counters.PeakWorkingSetSize;
    t->peakPrivate = counters.PeakPagefileUsage;
  }
  DWORD code = 0;
  return Check(ClickControl(appGroup, IDCANCEL), run + "Skip in Create Application Group") &&
         Check(WaitForWindow(p.pid(), "Success", &success), run + "Success") &&
         Check(ClickControl(success, IDOK), run + "OK in Success") &&
         Check(p.WaitForExit(&code), run + "its end");
}

// The floor program, timed from OK on its "Floor" box to its "Floor done" box.
bool TimeFloor(const std::string& floor, const PayloadDir& payload, const std::string& dest,
               const char* mode, Timing* t) {
  const std::string run =
      "install_bench: floor (" + std::string(mode) + "), " + payload.name + ": ";
  RemoveTree(dest);
  Process p;
  HWND box = nullptr, done = nullptr;
  if (!Check(p.Start(floor, payload.dir, "\"" + payload.dir + "\" \"" + dest + "\" " + mode),
             run + "start") ||
      !Check(WaitForCaption(p.pid(), "Floor", &box, kDefaultTimeoutMs), run + "its Floor box"))
    return false;
  double start = Now();
  if (!Check(ClickControl(box, IDOK), run + "OK in Floor") ||
      !Check(WaitForCaption(p.pid(), "Floor done", &done, kRunTimeoutMs, box), run + "the copy"))
    return false;
  t->ms = Now() - start;
  DWORD code = 0;
  return Check(ClickControl(done, IDOK), run + "OK in Floor done") &&
         Check(p.WaitForExit(&code), run + "its end");
}

// Wine's xcopy, from its start to its end.
bool TimeXcopy(const PayloadDir& payload, const std::string& dest, Timing* t) {
  const std::string run = "install_bench: xcopy, " + payload.name + ": ";
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
  std::string command = "xcopy.exe /Y /Q \"" + payload.dir + "\\*.*\" \"" + dest + "\\\"";
  double start = Now();
  BOOL started =
      CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  DWORD startError = GetLastError();
  CloseHandle(nul);
  if (!started)
    return Check(::testing::AssertionFailure() << "error " << startError, run + "start");
  const DWORD bound = ScaledMs(kRunTimeoutMs);
  DWORD waited = WaitForSingleObject(pi.hProcess, bound);
  t->ms = Now() - start;
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  if (waited != WAIT_OBJECT_0)
    TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (waited != WAIT_OBJECT_0)
    return Check(::testing::AssertionFailure() << "still running after " << bound << " ms",
                 run + "its end");
  return Check(code == 0 ? ::testing::AssertionSuccess()
                         : ::testing::AssertionFailure() << "exit code " << code,
               run + "its end");
}

struct Series {
  std::vector<double> setup, floor, pumpOnly, copyOnly, xcopy;
  SIZE_T peakWorkingSet = 0, peakPrivate = 0;
};

bool RunRound(const PayloadDir& payload, const std::string& floorExe, const std::string& dest,
              Series* s) {
  Timing setup, floor, pump, copy, xcopy;
  if (!TimeFloor(floorExe, payload, dest, "full", &floor) || !TimeSetup(payload, dest, &setup) ||
      !TimeFloor(floorExe, payload, dest, "pump", &pump) ||
      !TimeFloor(floorExe, payload, dest, "copy", &copy) || !TimeXcopy(payload, dest, &xcopy))
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

// The payload's directory holds every file of the product; counts their bytes.
bool ReadPayload(const std::string& name, const std::string& dir, PayloadDir* payload) {
  static const char* const files[] = {ORLO_PRODUCT_FILES(ORLO_PRODUCT_FILE_NAME)};
  payload->name = name;
  payload->dir = dir;
  payload->bytes = 0;
  for (const char* file : files) {
    const std::string path = JoinPath(dir, file);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
      return Check(::testing::AssertionFailure()
                       << "missing " << path << " (error " << GetLastError() << ")",
                   "install_bench: " + name);
    payload->bytes += ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
  }
  return true;
}

void Report(const PayloadDir& payload, const Series& s, int rounds) {
  double chunks = (double)((payload.bytes + 4095) / 4096);
  double setup = Median(s.setup), floor = Median(s.floor), pump = Median(s.pumpOnly),
         copy = Median(s.copyOnly), xcopy = Median(s.xcopy);
  printf("%s: %lld bytes in 10 files, %.0f chunks; medians of %d rounds\n", payload.name.c_str(),
         payload.bytes, chunks, rounds);
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
  std::string floorExe = argv[3], destRoot = argv[4];
  int rounds = argc > 5 ? atoi(argv[5]) : 3;
  std::string dest = JoinPath(destRoot, "ORLO");
  PayloadDir demo, large;
  if (!ReadPayload("demonstration payload", argv[1], &demo) ||
      !ReadPayload("large payload", argv[2], &large))
    return 1;
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
  Report(demo, demoSeries, rounds);
  Report(large, largeSeries, rounds);
  printf("target: demonstration install phase under 500 ms: %s\n",
         Median(demoSeries.setup) < 500 ? "met" : "missed");
  fflush(stdout);
  return 0;
}
