// A whole installation by the real SETUP.EXE: the typed destination is
// created and normalized, the ten files arrive byte for byte, the progress
// dialog shows each file and ends at 100%, then the group question and
// Success; before the copy, the fonts at the destination leave the font table.
#include "tests/e2e/install_e2e_support.h"

#include <fstream>

namespace {

using namespace install_e2e;

using FullInstall = InstallRun;

// Wine's relay trace covers only these functions while the object lives:
// a traced program reads the list from the registry when it starts.
class RelayOnly {
 public:
  explicit RelayOnly(const std::string& functions) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr);
    RegSetValueExA(key_, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(functions.c_str()),
                   static_cast<DWORD>(functions.size() + 1));
  }
  ~RelayOnly() {
    RegDeleteValueA(key_, kValue);
    RegCloseKey(key_);
  }
  RelayOnly(const RelayOnly&) = delete;
  RelayOnly& operator=(const RelayOnly&) = delete;

 private:
  static constexpr const char* kKey = "Software\\Wine\\Debug";
  static constexpr const char* kValue = "RelayInclude";
  HKEY key_ = nullptr;
};

// One call in a relay trace whose first argument is a string, such as
//   0024:Call gdi32.RemoveFontResourceA(0040a044 "C:\\ORLO\\tesk.fon") ret=00401604
struct TracedCall {
  std::string function;
  std::string text;
};

// Reads the string that starts after the opening quote at quote; the trace
// doubles every backslash and escapes quotes.
std::string TracedString(const std::string& line, size_t quote) {
  std::string text;
  for (size_t i = quote + 1; i < line.size() && line[i] != '"'; i++)
    text.push_back(line[i] == '\\' && i + 1 < line.size() ? line[++i] : line[i]);
  return text;
}

// The calls with a string first argument in a relay trace, in order.
Result ReadTracedCalls(const std::string& tracePath, std::vector<TracedCall>* calls) {
  std::ifstream trace(tracePath);
  if (!trace)
    return ::testing::AssertionFailure() << "cannot read " << tracePath;
  for (std::string line; std::getline(trace, line);) {
    size_t call = line.find(":Call ");
    size_t open = line.find('(', call);
    size_t quote = line.find(' ', open);
    if (call == std::string::npos || open == std::string::npos || quote == std::string::npos ||
        line.compare(quote, 2, " \"") != 0)
      continue;
    size_t dot = line.rfind('.', open);
    calls->push_back({line.substr(dot + 1, open - dot - 1), TracedString(line, quote + 1)});
  }
  return ::testing::AssertionSuccess() << calls->size() << " calls";
}

bool IsInDirectory(const std::string& path, const std::string& dir) {
  return path.size() > dir.size() && _strnicmp(path.c_str(), dir.c_str(), dir.size()) == 0 &&
         path[dir.size()] == '\\';
}

TEST_F(FullInstall, TypedDestinationWithMissingParentsGetsEveryFile) {
  // Forward slashes, a doubled separator and a trailing backslash; only the
  // root exists.
  const std::string typed = std::string(kDestRoot) + "/missing//parents\\ORLO\\";
  const std::string dest = Under("missing\\parents\\ORLO");
  // The demonstration payload is copied in a fraction of a second; one
  // larger file keeps a file's texts on the screen long enough to be read
  // as a pair.
  ASSERT_TRUE(WriteWholeFile(Dist("MFC30.DLL"), Payload("MFC30.DLL", 8 << 20)));
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(typed));
  ASSERT_NO_FATAL_FAILURE(WaitForProgressDialog());

  // Watch the texts while the copy runs: as often as it can, so no pause.
  HWND copying = Control(progress_, IDC_COPYING);
  HWND to = Control(progress_, IDC_TO);
  std::vector<std::string> seen;
  HWND appGroup = nullptr;
  const DWORD bound = ScaledMs(kCopyTimeoutMs);
  const ULONGLONG deadline = GetTickCount64() + bound;
  while (!appGroup) {
    if (IsWindowVisible(progress_)) {
      std::string text = WindowText(copying) + " | " + WindowText(to);
      if (IsWindowVisible(progress_) && (seen.empty() || seen.back() != text))
        seen.push_back(text);
    }
    for (const WindowInfo& window : TopLevelWindows(setup_.pid()))
      if (window.visible && window.caption == "Create Application Group")
        appGroup = window.hwnd;
    ASSERT_TRUE(setup_.IsRunning()) << "ended before the group question";
    ASSERT_LT(GetTickCount64(), deadline) << "no group question within " << bound << " ms";
  }
  ASSERT_FALSE(seen.empty());
  int named = 0;
  for (const std::string& text : seen) {
    for (const char* name : kProductFiles)
      if (text == std::string("Copying: ") + name + " | To: " + JoinPath(dest, name))
        named++;
  }
  std::string all;
  for (const std::string& text : seen)
    all += "\n  " + text;
  EXPECT_GE(named, 1) << "texts seen while the dialog was up:" << all;

  // The dialog ended through OK: hidden, still holding the last file's texts.
  EXPECT_FALSE(IsWindowVisible(progress_));
  EXPECT_EQ("Copying: TESKDB.FON", WindowText(copying));
  EXPECT_EQ("To: " + JoinPath(dest, "TESKDB.FON"), WindowText(to));

  // The bar ended complete: red all across, label " 100% " in the middle.
  BarReading bar;
  ASSERT_TRUE(ReadEndedBar(progress_, &bar));
  EXPECT_EQ(0, bar.white) << "white pixels in the middle row of a complete bar";
  EXPECT_EQ(RGB(255, 0, 0), bar.first);
  EXPECT_EQ(RGB(255, 0, 0), bar.last);
  int labelBox = LabelWidth(" 100% ");
  int blank = LabelWidth(" ");
  int inkMin = LabelWidth("100%") - 3;
  int inkOf99 = LabelWidth("99%");
  int boxLeft = (bar.width - labelBox) / 2;
  EXPECT_GE(bar.inkLeft, boxLeft + blank - 2)
      << "ink from " << bar.inkLeft << " to " << bar.inkRight;
  EXPECT_LE(bar.inkRight, boxLeft + labelBox - blank + 1) << "ink from " << bar.inkLeft;
  EXPECT_GE(bar.inkRight - bar.inkLeft + 1, inkMin) << "narrower than 100%";
  EXPECT_GT(bar.inkRight - bar.inkLeft + 1, inkOf99 + 1) << "no wider than 99%";

  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());
  ExpectInstalled(dest,
                  std::vector<std::string>(std::begin(kProductFiles), std::end(kProductFiles)));
}

TEST_F(FullInstall, ProgressDialogIsCentredOverTheBackdropWithTheFocusOnCancel) {
  // A large first file keeps the dialog up long enough to look at it.
  ASSERT_TRUE(WriteWholeFile(Dist("ORLO.EXE"), Payload("ORLO.EXE", 8 << 20)));
  const std::string dest = Under("centred");
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest));
  ASSERT_NO_FATAL_FAILURE(WaitForCopying("ORLO.EXE"));
  EXPECT_EQ("To: " + JoinPath(dest, "ORLO.EXE"), WindowText(Control(progress_, IDC_TO)));
  EXPECT_TRUE(IsWindowVisible(progress_));

  HWND backdrop = nullptr;
  ASSERT_TRUE(WaitForWindow(setup_.pid(), "ORLO 1.1 Setup", &backdrop));
  EXPECT_TRUE(CentredOver(progress_, backdrop));
  EXPECT_TRUE(WaitForFocus(setup_.mainThreadId(), Control(progress_, IDCANCEL)))
      << "the focus is on Cancel";

  // Let it finish; the result is the same files.
  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());
  ExpectInstalled(dest,
                  std::vector<std::string>(std::begin(kProductFiles), std::end(kProductFiles)));
}

// Wine keeps a font table per process: a removal there is seen by no other process (measured:
// a font added by one program, removed by a second, still shows in a third). So the removal is
// read from Wine's relay trace of SETUP.EXE.
TEST_F(FullInstall, FontsAtTheDestinationLeaveTheFontTableBeforeTheCopyOpensAFile) {
  const std::string dest = Under("fonts");
  const std::string trace = Dist("relay.log");
  RelayOnly relay("RemoveFontResourceA;CreateFileA");
  setup_.TraceNextStart("+relay", trace);
  ASSERT_NO_FATAL_FAILURE(StartAndEnter(dest + "\\"));
  ASSERT_NO_FATAL_FAILURE(SkipGroupAndFinish());

  std::vector<TracedCall> calls;
  ASSERT_TRUE(ReadTracedCalls(trace, &calls));
  std::vector<std::string> removedBeforeCopy;
  bool copying = false;
  std::string seen;
  for (const TracedCall& call : calls) {
    bool removal = call.function == "RemoveFontResourceA";
    copying = call.function == "CreateFileA" && IsInDirectory(call.text, dest);
    if (removal || copying)
      seen += "\n  " + call.function + " " + call.text;
    if (copying)
      break;
    if (removal)
      removedBeforeCopy.push_back(call.text);
  }
  EXPECT_TRUE(copying) << "no file opened in " << dest << "; traced:" << seen;
  const std::vector<std::string> fonts = {JoinPath(dest, "tesk.fon"), JoinPath(dest, "teskw.fon"),
                                          JoinPath(dest, "teskdt.fon"),
                                          JoinPath(dest, "teskdb.fon")};
  EXPECT_EQ(fonts, removedBeforeCopy)
      << "font removals up to the first file opened in " << dest << ":" << seen;
}

}  // namespace
