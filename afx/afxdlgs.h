// The common file dialog of our class library: MFC's CFileDialog, on the
// platform's old-style (Windows 3.1 look) open and save dialogs.
#ifndef ORLO_AFX_AFXDLGS_H
#define ORLO_AFX_AFXDLGS_H

#include <windows.h>

#include <cderr.h>
#include <commdlg.h>

#include "afx/afxwin.h"

class CFileDialog : public CDialog {
 public:
  // As MFC's: bOpenFileDialog picks GetOpenFileName or GetSaveFileName; a
  // filter is given as "Text (*.txt)|*.txt|All (*.*)|*.*||". The hook is
  // always installed, so OFN_ENABLEHOOK is added to dwFlags. OFN_EXPLORER is
  // never set here: the hook works on the old-style dialog.
  explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = NULL, LPCSTR lpszFileName = NULL,
                       DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       LPCSTR lpszFilter = NULL, CWnd* pParentWnd = NULL);

  // Runs the platform dialog: IDOK when the user accepted a name, IDCANCEL
  // on Cancel and on every failure (see GetCommDlgError).
  INT_PTR DoModal() override;

  // The platform's error code (CommDlgExtendedError) of the last DoModal:
  // 0 after OK or a plain Cancel, for example FNERR_BUFFERTOOSMALL.
  DWORD GetCommDlgError() const { return m_dwCommDlgError; }

  // The structure handed to the platform; callers may adjust it between
  // construction and DoModal. lpstrFile points at the object's own buffer,
  // lCustData at the object, lpfnHook at the class's hook.
  OPENFILENAMEA m_ofn;

 protected:
  // The hook of every CFileDialog: attaches the object to the dialog window
  // and runs OnInitDialog at WM_INITDIALOG, routes the other messages
  // through the message map, and detaches at WM_NCDESTROY. OK and Cancel are
  // the platform dialog's own; they never reach OnOK/OnCancel.
  static UINT_PTR CALLBACK HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  BOOL m_bOpenFileDialog;
  DWORD m_dwCommDlgError;
  CString m_strFilter;  // the filter with '|' turned into the separating zeros
  // The full path the dialog returns. One that does not fit is refused by
  // Windows (FNERR_BUFFERTOOSMALL) and cut short by Wine; callers check.
  char m_szFileName[kPathBufferSize];

  DECLARE_MESSAGE_MAP()
};

#endif
