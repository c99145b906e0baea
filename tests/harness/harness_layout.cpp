// Dialog layout: the base units a template's font gives, and whether a dialog
// on the screen is its template: caption, styles, size and controls.
#include "tests/harness/harness.h"

#include <cstdlib>

#include "tests/harness/harness_internal.h"

namespace e2e {

using namespace internal;

namespace {

// What the system adds to every dialog window it makes from a template.
constexpr DWORD kStyleAddedBySystem = DS_3DLOOK | WS_CLIPSIBLINGS;
constexpr DWORD kExStyleAddedBySystem =
    WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

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

// A template rectangle in pixels, the way the dialog manager places a
// control: position and size are scaled separately.
RECT DialogToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy) {
  RECT rect;
  rect.left = MulDiv(x, units.x, 4);
  rect.top = MulDiv(y, units.y, 8);
  rect.right = rect.left + MulDiv(cx, units.x, 4);
  rect.bottom = rect.top + MulDiv(cy, units.y, 8);
  return rect;
}

bool Near(LONG a, LONG b) { return std::abs(a - b) <= 1; }

bool IsClass(const std::string& className, const char* name) {
  return _stricmp(className.c_str(), name) == 0;
}

bool IsIconStatic(const DialogTemplateItem& item) {
  return IsClass(item.className, "Static") && (item.style & SS_TYPEMASK) == SS_ICON;
}

// A control sits where its template rectangle says. Three kinds size
// themselves: a drop-down combo box's window is its selection field (the
// template's height is that of the dropped list), a list box without
// LBS_NOINTEGRALHEIGHT shrinks to a whole number of items, and an icon
// static takes its icon's size.
bool FitsTemplateRect(const ControlInfo& control, const DialogTemplateItem& item,
                      const RECT& expected) {
  const RECT& got = control.rect;
  const bool sameCorner = Near(got.left, expected.left) && Near(got.top, expected.top);
  if (IsIconStatic(item))
    return sameCorner;
  const bool sameTopEdges = sameCorner && Near(got.right, expected.right);
  if (IsClass(item.className, "ComboBox") && (item.style & 3) != CBS_SIMPLE)
    return sameTopEdges;
  if (IsClass(item.className, "ListBox") && !(item.style & LBS_NOINTEGRALHEIGHT))
    return sameTopEdges && got.bottom <= expected.bottom + 1 && got.bottom > got.top;
  return sameTopEdges && Near(got.bottom, expected.bottom);
}

// The text a control made from item shows: a static named by ordinal reads
// back as 0xFF and the ordinal's low byte.
std::string ShownText(const DialogTemplateItem& item) {
  if (IsIconStatic(item) && item.text.size() > 1 && item.text[0] == '#')
    return std::string("\xFF") + static_cast<char>(std::atoi(item.text.c_str() + 1));
  return item.text;
}

// The bits of a control's style that the template fixes. An edit box and a
// list box draw their WS_BORDER as WS_EX_CLIENTEDGE instead, and scroll bars
// come and go with the contents.
DWORD FixedStyle(const DialogTemplateItem& item, DWORD style) {
  style &= ~(WS_VSCROLL | WS_HSCROLL);
  if (IsClass(item.className, "Edit") || IsClass(item.className, "ListBox"))
    style &= ~WS_BORDER;
  return style;
}

}  // namespace

Result BaseUnitsOfTemplate(const DialogTemplate& dialog, DialogBaseUnits* units) {
  if (!(dialog.style & DS_SETFONT) || dialog.faceName.empty()) {
    LONG both = ::GetDialogBaseUnits();
    units->x = LOWORD(both);
    units->y = HIWORD(both);
    return ::testing::AssertionSuccess();
  }
  return BaseUnitsOfFont(dialog.faceName, dialog.pointSize, dialog.weight, dialog.italic, units);
}

namespace {

// dialog against template templateId of its program file: its client size,
// and with wholly its caption, styles and controls too.
Result CompareWithTemplate(HWND dialog, int templateId, bool wholly) {
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);
  const std::string exe = ProcessImagePath(pid);
  if (exe.empty())
    return ::testing::AssertionFailure() << "no program file for window " << HandleName(dialog);
  DialogTemplate want;
  DialogBaseUnits units;
  Result read = ReadDialogTemplate(exe, templateId, &want);
  if (read)
    read = BaseUnitsOfTemplate(want, &units);
  if (!read)
    return read;

  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << "window " << Quoted(WindowText(dialog)) << " is not template " << templateId << " of "
          << exe << " (base units " << units.x << "x" << units.y << "):";
  bool failed = false;
  auto differ = [&]() -> ::testing::AssertionResult& {
    failed = true;
    return failure << "\n  ";
  };
  RECT client = {};
  GetClientRect(dialog, &client);
  const RECT size = DialogToPixels(units, 0, 0, want.cx, want.cy);
  if (!Near(client.right, size.right) || !Near(client.bottom, size.bottom))
    differ() << "client area " << client.right << "x" << client.bottom << ", template " << want.cx
             << "x" << want.cy << " gives " << size.right << "x" << size.bottom;
  if (!wholly)
    return failed ? failure : ::testing::AssertionSuccess();

  const std::string caption = WindowText(dialog);
  if (caption != want.caption)
    differ() << "caption " << Quoted(caption) << ", template " << Quoted(want.caption);
  const DWORD style = WindowStyle(dialog) & ~kStyleAddedBySystem;
  if (style != want.style)
    differ() << "style " << Hex(style) << ", template " << Hex(want.style);
  const DWORD exStyle = WindowExStyle(dialog) & ~kExStyleAddedBySystem;
  if (exStyle != want.exStyle)
    differ() << "extended style " << Hex(exStyle) << ", template " << Hex(want.exStyle);

  const std::vector<ControlInfo> controls = ListControls(dialog);
  if (controls.size() != want.controls.size())
    differ() << controls.size() << " controls, template " << want.controls.size();
  for (size_t i = 0; i < controls.size() && i < want.controls.size(); ++i) {
    const DialogTemplateItem& item = want.controls[i];
    const ControlInfo& got = controls[i];
    const std::string name = "control " + std::to_string(i) + " (id " + std::to_string(item.id) +
                             " " + item.className + " " + Quoted(item.text) + "): ";
    if (got.id != item.id || !IsClass(got.className, item.className.c_str())) {
      differ() << name << "is id " << got.id << " " << got.className;
      continue;
    }
    const RECT expected = DialogToPixels(units, item.x, item.y, item.cx, item.cy);
    if (!FitsTemplateRect(got, item, expected))
      differ() << name << "at " << RectName(got.rect) << ", template gives " << RectName(expected);
    if (!IsClass(item.className, "Edit") && got.text != ShownText(item))
      differ() << name << "shows " << Quoted(got.text);
    if (FixedStyle(item, got.style) != FixedStyle(item, item.style))
      differ() << name << "style " << Hex(got.style) << ", template " << Hex(item.style);
  }
  return failed ? failure : ::testing::AssertionSuccess();
}

}  // namespace

Result DialogMatchesTemplate(HWND dialog, int templateId) {
  return CompareWithTemplate(dialog, templateId, true);
}

Result DialogSizeMatchesTemplate(HWND dialog, int templateId) {
  return CompareWithTemplate(dialog, templateId, false);
}

}  // namespace e2e
