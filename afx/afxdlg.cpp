// Modal and modeless dialogs on the platform's dialog manager.
#include "afx/afxwin.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::~CDialog() {
  // Destroy while the object is still a dialog, so that the window's last
  // messages reach the right handlers.
  if (m_hWnd && IsWindow(m_hWnd))
    ::DestroyWindow(m_hWnd);
}

HWND CDialog::GetOwnerHwnd() const {
  if (m_pParentWnd)
    return m_pParentWnd->m_hWnd;
  CWnd* pMain = AfxGetMainWnd();
  if (pMain && pMain != this)
    return pMain->m_hWnd;
  return NULL;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_nIDTemplate = nIDTemplate;
  m_pParentWnd = pParentWnd;
  m_bModal = FALSE;
  HWND hWnd = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate),
                                 GetOwnerHwnd(), AfxDlgProc, (LPARAM)this);
  return hWnd != NULL;
}

INT_PTR CDialog::DoModal() {
  m_bModal = TRUE;
  INT_PTR nResult = DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                    GetOwnerHwnd(), AfxDlgProc, (LPARAM)this);
  m_bModal = FALSE;
  // DialogBoxParam reports a failure as -1, or as 0 for a bad owner.
  return nResult == 0 ? -1 : nResult;
}

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  if (m_bModal)
    ::EndDialog(m_hWnd, nResult);
  else
    ShowWindow(m_hWnd, SW_HIDE);  // a modeless dialog ends by hiding
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(TRUE))
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
    return IsDialogMessageA(m_hWnd, pMsg);
  return FALSE;
}

namespace {

// Messages whose dialog-procedure result is the answer itself rather than
// a flag with the answer in DWLP_MSGRESULT.
BOOL ReturnsValueDirectly(UINT message) {
  switch (message) {
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_INITDIALOG:
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
    pDlg->Attach(hWnd);
    return pDlg->OnInitDialog();
  }
  CDialog* pDlg = static_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
  if (!pDlg)
    return FALSE;
  if (message == WM_NCDESTROY) {
    pDlg->OnNcDestroyed();
    return FALSE;
  }
  LRESULT lResult = 0;
  if (!pDlg->OnWndMsg(message, wParam, lParam, &lResult)) {
    // Commands the dialog does not handle go on to the application.
    CWinApp* pApp = AfxGetApp();
    if (message == WM_COMMAND && pApp && pApp->OnCmdMsg(LOWORD(wParam), HIWORD(wParam)))
      return TRUE;
    return FALSE;
  }
  if (ReturnsValueDirectly(message))
    return (INT_PTR)lResult;
  // An owner-drawn control does not look at the answer to its draw request:
  // returning TRUE says it was handled. Storing the answer as well would cost
  // two server round trips per draw under Wine (the dialog manager clears
  // the stored answer before every message), and the progress bar is drawn
  // for every chunk copied.
  if (message != WM_DRAWITEM)
    SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
  return TRUE;
}
