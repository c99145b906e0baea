#include "install/progress_dlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CProgressDlg, CDialog)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CProgressDlg::CProgressDlg(CWnd* pParent)
    : CDialog(IDD_PROGRESS, pParent), m_bCancelled(FALSE), m_hWndBar(NULL), m_dFraction(0.0) {}

// Not built yet: the progress dialog arrives with the install job.
BOOL CProgressDlg::Create() { return FALSE; }
void CProgressDlg::SetFileNames(LPCSTR, LPCSTR) {}
void CProgressDlg::SetProgress(int, int) {}
void CProgressDlg::Finish() {}
void CProgressDlg::DoDataExchange(CDataExchange*) {}
BOOL CProgressDlg::OnInitDialog() { return CDialog::OnInitDialog(); }
void CProgressDlg::OnCancel() {
  m_bCancelled = TRUE;
  CDialog::OnCancel();
}
void CProgressDlg::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
  CDialog::OnDrawItem(nIDCtl, lpDrawItemStruct);
}
