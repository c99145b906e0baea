// The modeless "Installing..." dialog shown while the files are copied.
#ifndef ORLO_INSTALL_PROGRESS_DLG_H
#define ORLO_INSTALL_PROGRESS_DLG_H

#include "afx/afxwin.h"
#include "res/resource.h"

class CProgressDlg : public CDialog {
 public:
  enum { IDD = IDD_PROGRESS };
  // Made without a parent: the class library gives it the main window.
  CProgressDlg();

  BOOL Create();
  void SetFileNames(LPCSTR pszName, LPCSTR pszDestination);
  void SetProgress(int nDone, int nTotal);
  void Finish();

  BOOL m_bCancelled;  // set by Cancel, never cleared; the copy reads it

 protected:
  HWND m_hWndBar;
  double m_dFraction;
  CString m_strCopying;
  CString m_strTo;

  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnCancel() override;
  void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);

 private:
  void DrawBar(const DRAWITEMSTRUCT& item);
  HWND BarWindow() const;

  DECLARE_MESSAGE_MAP()
};

#endif
