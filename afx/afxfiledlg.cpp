// CFileDialog: the platform's old-style file dialogs with our hook, through
// which a derived class initialises the dialog like any CDialog.
#include <string.h>

#include "afx/afxdlgs.h"
#include "rt/system_library.h"

BEGIN_MESSAGE_MAP(CFileDialog, CDialog)
END_MESSAGE_MAP()

namespace {

// Copies at most nSize - 1 bytes and always terminates.
void CopyTerminated(char* pszDest, LPCSTR pszSource, size_t nSize) {
  size_t n = strlen(pszSource);
  if (n >= nSize)
    n = nSize - 1;
  memcpy(pszDest, pszSource, n);
  pszDest[n] = 0;
}

// The common dialogs are loaded when a file dialog first opens, not when the
// program starts: comdlg32 brings a chain of other libraries with it, which
// made the first dialog of every run appear a third later, and most runs
// never open a file dialog.
struct CommonDialogs {
  typedef BOOL(WINAPI* PFN_FILE_DIALOG)(LPOPENFILENAMEA);
  typedef DWORD(WINAPI* PFN_EXTENDED_ERROR)();
  PFN_FILE_DIALOG pfnGetOpenFileName;
  PFN_FILE_DIALOG pfnGetSaveFileName;
  PFN_EXTENDED_ERROR pfnCommDlgExtendedError;
};

// GetProcAddress's FARPROC says nothing of the real signature. Going through
// void* states that we know it, and keeps the compiler's calling-convention
// warning alive for every other function-pointer cast in the program.
template <typename PFN>
BOOL LoadProc(HMODULE hModule, LPCSTR pszName, PFN* ppfn) {
  *ppfn = reinterpret_cast<PFN>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
  return *ppfn != NULL;
}

const CommonDialogs* LoadCommonDialogs() {
  static CommonDialogs s_functions;
  static BOOL s_bLoaded = FALSE;
  if (!s_bLoaded) {
    HMODULE hModule = LoadSystemLibrary("comdlg32.dll");
    if (!hModule)
      return NULL;
    if (!LoadProc(hModule, "GetOpenFileNameA", &s_functions.pfnGetOpenFileName) ||
        !LoadProc(hModule, "GetSaveFileNameA", &s_functions.pfnGetSaveFileName) ||
        !LoadProc(hModule, "CommDlgExtendedError", &s_functions.pfnCommDlgExtendedError))
      return NULL;
    s_bLoaded = TRUE;  // the library stays loaded for the rest of the run
  }
  return &s_functions;
}

BOOL IsOkOrCancel(UINT message, WPARAM wParam) {
  return message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL);
}

}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName,
                         DWORD dwFlags, LPCSTR lpszFilter, CWnd* pParentWnd)
    : CDialog(0, pParentWnd), m_bOpenFileDialog(bOpenFileDialog), m_dwCommDlgError(0) {
  memset(&m_ofn, 0, sizeof(m_ofn));
  m_szFileName[0] = 0;
  if (lpszFileName)
    CopyTerminated(m_szFileName, lpszFileName, sizeof(m_szFileName));

  // The size that every 32-bit Windows accepts: the fields added in Windows
  // 2000 (places bar, FlagsEx) are not used, and older systems refuse a
  // structure larger than they know.
  m_ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = kPathBufferSize;
  m_ofn.lpstrDefExt = lpszDefExt;
  m_ofn.Flags = dwFlags | OFN_ENABLEHOOK;
  m_ofn.lpfnHook = HookProc;
  m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
  m_ofn.hInstance = AfxGetInstanceHandle();

  if (lpszFilter) {
    // "a|b|c|d||" becomes "a\0b\0c\0d\0\0", the platform's list of pairs.
    m_strFilter = lpszFilter;
    int nLength = m_strFilter.GetLength();
    LPSTR pch = m_strFilter.GetBuffer(nLength);
    for (int i = 0; i < nLength; i++) {
      if (pch[i] == '|')
        pch[i] = 0;
    }
    m_strFilter.ReleaseBuffer(nLength);
    m_ofn.lpstrFilter = m_strFilter;
  }
}

INT_PTR CFileDialog::DoModal() {
  const CommonDialogs* pDialogs = LoadCommonDialogs();
  if (!pDialogs) {
    m_dwCommDlgError = CDERR_INITIALIZATION;
    return IDCANCEL;
  }
  m_ofn.hwndOwner = GetOwnerHwnd();
  m_bModal = TRUE;
  BOOL bAccepted = m_bOpenFileDialog ? pDialogs->pfnGetOpenFileName(&m_ofn)
                                     : pDialogs->pfnGetSaveFileName(&m_ofn);
  m_dwCommDlgError = bAccepted ? 0 : pDialogs->pfnCommDlgExtendedError();
  m_bModal = FALSE;
  // The window is gone; normally WM_NCDESTROY has detached us already.
  Detach();
  return bAccepted ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const OPENFILENAMEA* pofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
    CFileDialog* pDlg = reinterpret_cast<CFileDialog*>(pofn->lCustData);
    pDlg->Attach(hWnd);
    return pDlg->OnInitDialog();
  }
  CFileDialog* pDlg = static_cast<CFileDialog*>(CWnd::FromHandlePermanent(hWnd));
  if (!pDlg)
    return 0;
  if (message == WM_NCDESTROY) {
    pDlg->OnNcDestroyed();
    return 0;
  }
  // The platform dialog validates the name on OK and ends itself; CDialog's
  // OnOK and OnCancel would end it behind its back.
  if (IsOkOrCancel(message, wParam))
    return 0;
  LRESULT lResult = 0;
  if (!pDlg->OnWndMsg(message, wParam, lParam, &lResult))
    return 0;
  return lResult ? (UINT_PTR)lResult : TRUE;
}
