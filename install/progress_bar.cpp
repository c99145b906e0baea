#include "install/progress_bar.h"

#include <limits.h>

namespace {

// (int)d for any d: values outside int's range saturate instead of being
// undefined.
int TruncateToInt(double d) {
  if (d >= (double)INT_MAX)
    return INT_MAX;
  if (d <= (double)INT_MIN)
    return INT_MIN;
  return (int)d;
}

}  // namespace

double ProgressFraction(double dCurrent, int nDone, int nTotal) {
  if (nDone == nTotal)
    return 1.0;
  if (nTotal > 0)
    return (double)nDone / (double)nTotal;
  return dCurrent;
}

int ProgressSplit(double dFraction, int nWidth) {
  return TruncateToInt(dFraction * (double)nWidth + 0.5);
}

int ProgressPercent(double dFraction) { return TruncateToInt(dFraction * 100.0 + 0.5); }

CString ProgressLabel(double dFraction) {
  CString strLabel;
  strLabel.Format(" %d%% ", ProgressPercent(dFraction));
  return strLabel;
}

CProgressBarLayout LayoutProgressBar(double dFraction, const RECT& rcItem) {
  CProgressBarLayout layout;
  layout.nSplit = ProgressSplit(dFraction, rcItem.right);
  SetRect(&layout.rcRed, rcItem.left, rcItem.top, layout.nSplit, rcItem.bottom);
  layout.bHasWhite = rcItem.right - 1 > layout.nSplit;  // right > split + 1, without overflow
  if (layout.bHasWhite)
    SetRect(&layout.rcWhite, layout.nSplit + 1, rcItem.top, rcItem.right, rcItem.bottom);
  else
    SetRectEmpty(&layout.rcWhite);
  return layout;
}

POINT CenterLabel(const RECT& rcItem, SIZE sizeLabel) {
  POINT pt;
  pt.x = (rcItem.right - sizeLabel.cx) / 2;
  pt.y = (rcItem.bottom - sizeLabel.cy) / 2;
  return pt;
}
