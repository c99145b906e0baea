#include "app/gradient.h"

int GradientLevel(int y, int nHeight) {
  return kGradientTopLevel - (int)((long long)kGradientLevelSpan * y / nHeight);
}

BOOL CGradientBands::Next(GradientBand* pBand) {
  if (m_nHeight <= 0 || m_nNextTop >= m_nHeight)
    return FALSE;
  // Rows whose step 220*y/H is k run up to the first row with step k + 1,
  // which is ceil((k + 1) * H / 220).
  long long nStep = (long long)kGradientLevelSpan * m_nNextTop / m_nHeight;
  long long nEnd = ((nStep + 1) * m_nHeight + kGradientLevelSpan - 1) / kGradientLevelSpan;
  pBand->nTop = m_nNextTop;
  pBand->nBottom = nEnd < m_nHeight ? (int)nEnd : m_nHeight;
  pBand->nLevel = kGradientTopLevel - (int)nStep;
  m_nNextTop = pBand->nBottom;
  return TRUE;
}
