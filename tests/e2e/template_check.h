// Checking a dialog on the screen against its template as the resource
// script gives it: controls in tab order with ids, classes, texts, styles
// and rectangles.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/harness/harness.h"

namespace e2e {

// One control of a template as the resource script gives it.
struct TemplateControl {
  int id;
  const char* className;
  const char* text;
  DWORD style;  // beyond WS_CHILD | WS_VISIBLE
  int x, y, cx, cy;
  bool sizedByContent = false;  // an icon static takes the icon's size
};

inline constexpr DWORD kPromptDialogStyle =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
inline constexpr DWORD kStaticStyle = SS_LEFT | WS_GROUP;
// The dialog manager gives every dialog of a 4.0 program the 3D look, and
// the window manager clips siblings of top-level windows.
inline constexpr DWORD kAddedBySystem = DS_3DLOOK | WS_CLIPSIBLINGS;

// The dialog's controls, in tab order, are exactly the template's.
inline void ExpectControlsMatch(HWND dialog, const std::vector<TemplateControl>& expected) {
  DialogBaseUnits units;
  ASSERT_TRUE(GetDialogBaseUnits(dialog, &units));
  std::vector<ControlInfo> controls = ListControls(dialog);
  ASSERT_EQ(expected.size(), controls.size());
  for (size_t i = 0; i < expected.size(); i++) {
    const TemplateControl& want = expected[i];
    const ControlInfo& got = controls[i];
    SCOPED_TRACE("control " + std::to_string(i) + " \"" + want.text + "\"");
    EXPECT_EQ(want.id, got.id);
    EXPECT_STRCASEEQ(want.className, got.className.c_str());
    EXPECT_EQ(want.text, got.text);
    EXPECT_EQ(WS_CHILD | WS_VISIBLE | want.style, got.style)
        << std::hex << "got 0x" << got.style << " want 0x" << (WS_CHILD | WS_VISIBLE | want.style);
    RECT r = DialogToPixels(units, want.x, want.y, want.cx, want.cy);
    EXPECT_NEAR(r.left, got.rect.left, 1);
    EXPECT_NEAR(r.top, got.rect.top, 1);
    if (want.sizedByContent)
      continue;
    EXPECT_NEAR(r.right, got.rect.right, 1);
    EXPECT_NEAR(r.bottom, got.rect.bottom, 1);
  }
}

}  // namespace e2e
