// The progress bar's arithmetic: how far the bar is filled, where its parts
// lie and what its label says. No window is needed, so these are checked
// directly by the unit tests and the dialog only paints what they give.
#ifndef ORLO_INSTALL_PROGRESS_BAR_H
#define ORLO_INSTALL_PROGRESS_BAR_H

#include <windows.h>

#include "afx/afxstr.h"

// The share of the work done after an update with done and total bytes,
// starting from dCurrent. done == total is complete (also 0 of 0); a total of
// 0 or less that differs from done leaves the share as it was. Not clamped.
double ProgressFraction(double dCurrent, int nDone, int nTotal);

// fraction * nWidth + 0.5, truncated toward zero: the first column that is
// not red. Kept within the range of int for shares far beyond 1.
int ProgressSplit(double dFraction, int nWidth);

// fraction * 100 + 0.5, truncated toward zero.
int ProgressPercent(double dFraction);

// The label written across the bar: " 13% ", one blank on each side.
CString ProgressLabel(double dFraction);

// Where the bar's two fills go inside the item rectangle rcItem (whose left
// and top are 0). The red part runs from the left edge up to the split,
// excluding it; the white part from one column after the split to the right
// edge, and only when that leaves at least one column. The column at the
// split itself belongs to neither.
struct CProgressBarLayout {
  int nSplit;
  RECT rcRed;
  BOOL bHasWhite;
  RECT rcWhite;
};
CProgressBarLayout LayoutProgressBar(double dFraction, const RECT& rcItem);

// Top-left corner of a label of size sizeLabel centred in rcItem (integer
// division, truncated toward zero).
POINT CenterLabel(const RECT& rcItem, SIZE sizeLabel);

#endif
