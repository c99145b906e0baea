// The progress bar: the share after an update, the split, the two fills, the
// label, and the owner-drawn painting itself into a memory bitmap.
#include <gtest/gtest.h>

#include <algorithm>

#include "install/progress_bar.h"
#include "install/progress_dlg.h"
#include "res/resource.h"

namespace {

TEST(ProgressFraction, FollowsDoneOverTotal) {
  EXPECT_DOUBLE_EQ(0.125, ProgressFraction(0.0, 1, 8));
  EXPECT_DOUBLE_EQ(0.5, ProgressFraction(0.9, 4096, 8192));
  EXPECT_EQ(1.0, ProgressFraction(0.3, 8, 8)) << "done == total is exactly complete";
  EXPECT_EQ(1.0, ProgressFraction(0.3, 0, 0)) << "nothing of nothing is complete";
  EXPECT_EQ(0.3, ProgressFraction(0.3, 5, 0)) << "total 0 leaves the share";
  EXPECT_EQ(0.3, ProgressFraction(0.3, 5, -7)) << "a negative total leaves the share";
  EXPECT_DOUBLE_EQ(1.5, ProgressFraction(0.0, 12, 8)) << "not clamped";
}

TEST(ProgressBarLayout, OneOfEightIsThirteenPercent) {
  EXPECT_EQ(13, ProgressPercent(0.125));
  EXPECT_EQ(" 13% ", std::string((LPCSTR)ProgressLabel(0.125)));
  EXPECT_EQ(" 0% ", std::string((LPCSTR)ProgressLabel(0.0)));
  EXPECT_EQ(" 100% ", std::string((LPCSTR)ProgressLabel(1.0)));
  EXPECT_EQ(" 99% ", std::string((LPCSTR)ProgressLabel(0.994)));
}

TEST(ProgressBarLayout, HalfOf263SplitsAt132) {
  RECT rc = {0, 0, 263, 21};
  CProgressBarLayout layout = LayoutProgressBar(0.5, rc);
  EXPECT_EQ(132, layout.nSplit);
  EXPECT_EQ(0, layout.rcRed.left);
  EXPECT_EQ(132, layout.rcRed.right) << "red covers x 0 to 131";
  EXPECT_EQ(21, layout.rcRed.bottom);
  ASSERT_TRUE(layout.bHasWhite);
  EXPECT_EQ(133, layout.rcWhite.left) << "x 132 belongs to neither part";
  EXPECT_EQ(263, layout.rcWhite.right);
}

TEST(ProgressBarLayout, EmptyAndFullBars) {
  RECT rc = {0, 0, 263, 21};
  CProgressBarLayout empty = LayoutProgressBar(0.0, rc);
  EXPECT_EQ(0, empty.nSplit);
  EXPECT_TRUE(IsRectEmpty(&empty.rcRed)) << "no red at 0%";
  ASSERT_TRUE(empty.bHasWhite);
  EXPECT_EQ(1, empty.rcWhite.left);

  CProgressBarLayout full = LayoutProgressBar(1.0, rc);
  EXPECT_EQ(263, full.nSplit);
  EXPECT_EQ(263, full.rcRed.right);
  EXPECT_FALSE(full.bHasWhite);

  CProgressBarLayout almost = LayoutProgressBar(261.6 / 263, rc);
  EXPECT_EQ(262, almost.nSplit);
  EXPECT_FALSE(almost.bHasWhite) << "a white part needs right > split + 1";

  CProgressBarLayout beyond = LayoutProgressBar(1e12, rc);
  EXPECT_EQ(INT_MAX, beyond.nSplit) << "a share far beyond 1 saturates";
  EXPECT_FALSE(beyond.bHasWhite);
}

TEST(ProgressBarLayout, LabelIsCentredWithTruncatingDivision) {
  RECT rc = {0, 0, 263, 21};
  SIZE size = {37, 13};
  POINT pt = CenterLabel(rc, size);
  EXPECT_EQ(113, pt.x);
  EXPECT_EQ(4, pt.y);
  SIZE wide = {300, 30};
  pt = CenterLabel(rc, wide);
  EXPECT_EQ(-18, pt.x) << "toward zero";
  EXPECT_EQ(-4, pt.y);
}

// Reaches the dialog's protected parts without a window.
class ProgressDlgProbe : public CProgressDlg {
 public:
  double Fraction() const { return m_dFraction; }
  HWND BarHandle() const { return m_hWndBar; }
  void Draw(DRAWITEMSTRUCT* pItem) { OnDrawItem(pItem->CtlID, pItem); }
};

TEST(ProgressDlgSetProgress, StoresTheShareWithoutAWindow) {
  ProgressDlgProbe dlg;
  EXPECT_EQ(0.0, dlg.Fraction());
  EXPECT_FALSE(dlg.m_bCancelled);
  dlg.SetProgress(1, 8);
  EXPECT_DOUBLE_EQ(0.125, dlg.Fraction());
  dlg.SetProgress(3, 0);
  EXPECT_DOUBLE_EQ(0.125, dlg.Fraction()) << "total 0, done different: unchanged";
  dlg.SetProgress(0, 0);
  EXPECT_EQ(1.0, dlg.Fraction());
}

// A 263 x 21 bitmap filled with a marker colour, for the bar to paint on.
class BarCanvas {
 public:
  static constexpr COLORREF kMarker = RGB(0, 128, 0);
  BarCanvas() {
    HDC hScreen = GetDC(NULL);
    hDC_ = CreateCompatibleDC(hScreen);
    hBitmap_ = CreateCompatibleBitmap(hScreen, 263, 21);
    ReleaseDC(NULL, hScreen);
    hOld_ = SelectObject(hDC_, hBitmap_);
    RECT rc = {0, 0, 263, 21};
    HBRUSH hMarker = CreateSolidBrush(kMarker);
    FillRect(hDC_, &rc, hMarker);
    DeleteObject(hMarker);
  }
  ~BarCanvas() {
    SelectObject(hDC_, hOld_);
    DeleteObject(hBitmap_);
    DeleteDC(hDC_);
  }
  HDC dc() const { return hDC_; }
  COLORREF At(int x, int y) const { return GetPixel(hDC_, x, y); }

 private:
  HDC hDC_;
  HBITMAP hBitmap_;
  HGDIOBJ hOld_;
};

DRAWITEMSTRUCT BarItem(HDC hDC) {
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_BUTTON;
  item.CtlID = IDC_PROGRESS_BAR;
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = (HWND)(ULONG_PTR)0x1234;  // only recorded, never used here
  item.hDC = hDC;
  SetRect(&item.rcItem, 0, 0, 263, 21);
  return item;
}

TEST(ProgressDlgDrawing, PaintsRedUpToTheSplitWhiteAfterItAndLeavesTheSplitColumn) {
  ProgressDlgProbe dlg;
  dlg.SetProgress(1, 2);
  BarCanvas canvas;
  DRAWITEMSTRUCT item = BarItem(canvas.dc());
  COLORREF crTextBefore = GetTextColor(canvas.dc());
  int nModeBefore = GetBkMode(canvas.dc());
  dlg.Draw(&item);

  EXPECT_EQ((HWND)(ULONG_PTR)0x1234, dlg.BarHandle()) << "the bar is recorded from its draw";
  // Row 0 is above the label: the fills alone.
  EXPECT_EQ(RGB(255, 0, 0), canvas.At(0, 0));
  EXPECT_EQ(RGB(255, 0, 0), canvas.At(131, 0));
  EXPECT_EQ(BarCanvas::kMarker, canvas.At(132, 0)) << "split column keeps what was there";
  EXPECT_EQ(RGB(255, 255, 255), canvas.At(133, 0));
  EXPECT_EQ(RGB(255, 255, 255), canvas.At(262, 0));

  // The label " 50% " is black, drawn transparently around the middle.
  int nBlack = 0, nLeft = 263, nRight = -1;
  for (int y = 0; y < 21; y++)
    for (int x = 0; x < 263; x++)
      if (canvas.At(x, y) == RGB(0, 0, 0)) {
        nBlack++;
        nLeft = std::min(nLeft, x);
        nRight = std::max(nRight, x);
      }
  EXPECT_GT(nBlack, 10) << "label pixels";
  EXPECT_NEAR(131, (nLeft + nRight) / 2, 3) << "label centred: " << nLeft << ".." << nRight;
  EXPECT_EQ(crTextBefore, GetTextColor(canvas.dc())) << "context handed back as it came";
  EXPECT_EQ(nModeBefore, GetBkMode(canvas.dc()));
}

TEST(ProgressDlgDrawing, BeforeAnyUpdateTheBarIsWhiteFromColumnOne) {
  ProgressDlgProbe dlg;
  BarCanvas canvas;
  DRAWITEMSTRUCT item = BarItem(canvas.dc());
  dlg.Draw(&item);
  EXPECT_EQ(BarCanvas::kMarker, canvas.At(0, 0)) << "no red at 0%";
  EXPECT_EQ(RGB(255, 255, 255), canvas.At(1, 0));
  EXPECT_EQ(RGB(255, 255, 255), canvas.At(262, 20));
}

TEST(ProgressDlgDrawing, CompleteBarIsAllRed) {
  ProgressDlgProbe dlg;
  dlg.SetProgress(8, 8);
  BarCanvas canvas;
  DRAWITEMSTRUCT item = BarItem(canvas.dc());
  dlg.Draw(&item);
  for (int x = 0; x < 263; x++)
    ASSERT_EQ(RGB(255, 0, 0), canvas.At(x, 0)) << "x " << x;
}

TEST(ProgressDlgDrawing, OtherItemsAreNotPainted) {
  ProgressDlgProbe dlg;
  BarCanvas canvas;
  DRAWITEMSTRUCT item = BarItem(canvas.dc());
  item.CtlID = IDCANCEL;
  dlg.Draw(&item);
  EXPECT_EQ(BarCanvas::kMarker, canvas.At(100, 0));
  EXPECT_EQ(nullptr, dlg.BarHandle());
}

}  // namespace
