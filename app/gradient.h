// The backdrop's vertical gradient, cut into bands of rows of one colour so
// that it is painted with one fill per colour, not one per row.
#ifndef ORLO_APP_GRADIENT_H
#define ORLO_APP_GRADIENT_H

#include <windows.h>

const int kGradientTopLevel = 236;
const int kGradientLevelSpan = 220;

// Level of row y in a client area nHeight rows high: 236 at the top, 17 at
// the bottom once there are 220 rows or more.
int GradientLevel(int y, int nHeight);

// The colour of a level: no red, a third of it green, all of it blue.
inline COLORREF GradientColour(int nLevel) { return RGB(0, nLevel / 3, nLevel); }

struct GradientBand {
  int nTop;     // first row
  int nBottom;  // one past the last row
  int nLevel;
};

// Walks the bands from the top down:
//   CGradientBands bands(h); GradientBand b; while (bands.Next(&b)) ...
class CGradientBands {
 public:
  explicit CGradientBands(int nHeight) : m_nHeight(nHeight), m_nNextTop(0) {}
  BOOL Next(GradientBand* pBand);

 private:
  int m_nHeight;
  int m_nNextTop;
};

#endif
