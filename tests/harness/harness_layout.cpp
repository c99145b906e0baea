// Dialog layout: the base units a template's font gives, which template a
// live dialog was made from, and whether the dialog and its controls sit
// where that template puts them.
#include "tests/harness/harness.h"

#include <cstdlib>

#include "tests/harness/harness_internal.h"

namespace e2e {

using namespace internal;

// ---- Base units and finding a dialog's template ---------------------------

namespace {

// The size the dialog manager gives the client area of template dialog.
bool ClientFits(HWND window, const DialogTemplate& dialog, const DialogBaseUnits& units) {
  RECT client = {};
  GetClientRect(window, &client);
  RECT expected = DialogToPixels(units, 0, 0, dialog.cx, dialog.cy);
  return std::abs(client.right - expected.right) <= 1 &&
         std::abs(client.bottom - expected.bottom) <= 1;
}

}  // namespace

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

// ---- Checking a dialog against its template -------------------------------

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

}  // namespace

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

}  // namespace e2e
