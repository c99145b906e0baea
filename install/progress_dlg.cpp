#include "install/progress_dlg.h"

#include "install/progress_bar.h"

BEGIN_MESSAGE_MAP(CProgressDlg, CDialog)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CProgressDlg::CProgressDlg()
    : CDialog(IDD), m_bCancelled(FALSE), m_hWndBar(NULL), m_dFraction(0.0) {}

BOOL CProgressDlg::Create() {
  // A second copy with the same job gets a fresh window; the old one must
  // not be left behind without an owner object.
  if (m_hWnd)
    DestroyWindow();
  m_hWndBar = NULL;
  return CDialog::Create(IDD, NULL);
}

void CProgressDlg::SetFileNames(LPCSTR pszName, LPCSTR pszDestination) {
  m_strCopying.Format("Copying: %s", pszName);
  m_strTo.Format("To: %s", pszDestination);
  UpdateData(FALSE);
}

void CProgressDlg::SetProgress(int nDone, int nTotal) {
  m_dFraction = ProgressFraction(m_dFraction, nDone, nTotal);
  HWND hWndBar = BarWindow();
  // A null window here would repaint every window of the desktop.
  if (hWndBar)
    InvalidateRect(hWndBar, NULL, FALSE);
}

void CProgressDlg::Finish() { OnOK(); }

void CProgressDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_COPYING, m_strCopying);
  DDX_Text(pDX, IDC_TO, m_strTo);
}

BOOL CProgressDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CenterWindow();
  return TRUE;
}

void CProgressDlg::OnCancel() {
  m_bCancelled = TRUE;
  CDialog::OnCancel();
}

void CProgressDlg::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
  if (nIDCtl == IDC_PROGRESS_BAR)
    DrawBar(*lpDrawItemStruct);
  CDialog::OnDrawItem(nIDCtl, lpDrawItemStruct);
}

// The bar is known from its first draw; before that it is taken from the
// dialog, so that an early update still repaints the bar and nothing else.
HWND CProgressDlg::BarWindow() const {
  if (m_hWndBar)
    return m_hWndBar;
  return m_hWnd ? ::GetDlgItem(m_hWnd, IDC_PROGRESS_BAR) : NULL;
}

void CProgressDlg::DrawBar(const DRAWITEMSTRUCT& item) {
  m_hWndBar = item.hwndItem;
  CDC dc(item.hDC);
  CProgressBarLayout layout = LayoutProgressBar(m_dFraction, item.rcItem);
  {
    CBrush brushRed(RGB(255, 0, 0));
    dc.FillRect(&layout.rcRed, &brushRed);
  }
  if (layout.bHasWhite) {
    CBrush brushWhite(RGB(255, 255, 255));
    dc.FillRect(&layout.rcWhite, &brushWhite);
  }

  // The label goes in the font the context carries: the control's own.
  CString strLabel = ProgressLabel(m_dFraction);
  SIZE sizeLabel = dc.GetTextExtent(strLabel, strLabel.GetLength());
  POINT ptLabel = CenterLabel(item.rcItem, sizeLabel);
  COLORREF crOldText = dc.SetTextColor(RGB(0, 0, 0));
  int nOldMode = dc.SetBkMode(TRANSPARENT);
  dc.TextOut(ptLabel.x, ptLabel.y, strLabel);
  // The context belongs to the button's painting: leave it as it came.
  dc.SetBkMode(nOldMode);
  dc.SetTextColor(crOldText);
}
