#include "app/gradient.h"

namespace {

// Floor of a / b for 0 <= a < 2^53 and b > 0. 220 * y overflows an int once
// y passes 9.7 million; a double holds it exactly, and a correctly rounded
// quotient of two such integers never rounds across an integer, so
// truncating it is exact. Unlike 64-bit integers, this needs none of
// libgcc's division helpers in the 32-bit program.
int FloorOfQuotient(double a, int b) { return (int)(a / b); }

}  // namespace

int GradientLevel(int y, int nHeight) {
  return kGradientTopLevel - FloorOfQuotient((double)kGradientLevelSpan * y, nHeight);
}

BOOL CGradientBands::Next(GradientBand* pBand) {
  if (m_nHeight <= 0 || m_nNextTop >= m_nHeight)
    return FALSE;
  // Rows whose step 220*y/H is k run up to the first row with step k + 1,
  // which is ceil((k + 1) * H / 220).
  int nStep = FloorOfQuotient((double)kGradientLevelSpan * m_nNextTop, m_nHeight);
  int nEnd =
      FloorOfQuotient((double)(nStep + 1) * m_nHeight + kGradientLevelSpan - 1, kGradientLevelSpan);
  pBand->nTop = m_nNextTop;
  pBand->nBottom = nEnd < m_nHeight ? nEnd : m_nHeight;
  pBand->nLevel = kGradientTopLevel - nStep;
  m_nNextTop = pBand->nBottom;
  return TRUE;
}
