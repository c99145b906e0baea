// Message maps and the window base class.
#include "afx/afxwin.h"

// ---------------------------------------------------------------------------
// CCmdTarget
// ---------------------------------------------------------------------------
const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY _messageEntries[] = {{0, 0, 0, NULL}};
  static const AFX_MSGMAP messageMap = {NULL, &_messageEntries[0]};
  return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const {
  for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap;
       pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : NULL) {
    for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->pfn; e++) {
      if (e->nMessage != nMessage)
        continue;
      if (nMessage == WM_COMMAND && (e->nCode != nCode || e->nID != nID))
        continue;
      return e;
    }
  }
  return NULL;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, UINT nCode) {
  const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_COMMAND, nCode, nID);
  if (!e)
    return FALSE;
  e->pfn(this, MAKEWPARAM(nID, nCode), 0);
  return TRUE;
}

// ---------------------------------------------------------------------------
// CWnd
// ---------------------------------------------------------------------------
CWnd::~CWnd() {
  if (m_hWnd && IsWindow(m_hWnd))
    ::DestroyWindow(m_hWnd);
  Detach();
}

CWnd* CWnd::s_pFirstPermanent = NULL;

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  if (!hWnd)
    return NULL;
  for (CWnd* p = s_pFirstPermanent; p; p = p->m_pNextPermanent)
    if (p->m_hWnd == hWnd)
      return p;
  return NULL;
}

void CWnd::Attach(HWND hWnd) {
  UnlinkPermanent();
  m_hWnd = hWnd;
  m_pNextPermanent = s_pFirstPermanent;
  s_pFirstPermanent = this;
}

void CWnd::Detach() {
  UnlinkPermanent();
  m_hWnd = NULL;
}

void CWnd::UnlinkPermanent() {
  for (CWnd** pp = &s_pFirstPermanent; *pp; pp = &(*pp)->m_pNextPermanent) {
    if (*pp == this) {
      *pp = m_pNextPermanent;
      break;
    }
  }
  m_pNextPermanent = NULL;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd)
    return FALSE;
  return ::DestroyWindow(m_hWnd);
}

void CWnd::OnNcDestroyed() {
  CWinApp* pApp = AfxGetApp();
  if (pApp && pApp->m_pMainWnd == this)
    pApp->m_pMainWnd = NULL;
  Detach();
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
  HWND hCenter = pAlternateOwner ? pAlternateOwner->m_hWnd : GetWindow(m_hWnd, GW_OWNER);
  RECT rcArea;
  // The rectangle is left as it was when the call fails: take the screen.
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0))
    SetRect(&rcArea, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  RECT rcCenter = rcArea;
  if (hCenter && IsWindowVisible(hCenter) && !::IsIconic(hCenter))
    GetWindowRect(hCenter, &rcCenter);

  RECT rcDlg;
  GetWindowRect(m_hWnd, &rcDlg);
  int cx = rcDlg.right - rcDlg.left;
  int cy = rcDlg.bottom - rcDlg.top;
  int x = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
  int y = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;
  // Keep the whole dialog on the screen.
  if (x + cx > rcArea.right)
    x = rcArea.right - cx;
  if (x < rcArea.left)
    x = rcArea.left;
  if (y + cy > rcArea.bottom)
    y = rcArea.bottom - cy;
  if (y < rcArea.top)
    y = rcArea.top;
  SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  UINT nCode = 0, nID = 0;
  if (message == WM_COMMAND) {
    nCode = HIWORD(wParam);
    nID = LOWORD(wParam);
  }
  const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, nCode, nID);
  if (!e)
    return FALSE;
  *pResult = e->pfn(this, wParam, lParam);
  return TRUE;
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND hCtl = GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
  if (pDX->m_bSaveAndValidate) {
    int n = GetWindowTextLengthA(hCtl);
    LPSTR pBuf = value.GetBuffer(n);
    pBuf[0] = 0;
    GetWindowTextA(hCtl, pBuf, n + 1);
    value.ReleaseBuffer();
  } else {
    SetWindowTextA(hCtl, value);
  }
}
