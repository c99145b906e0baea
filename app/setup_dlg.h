// The backdrop: a full-screen window behind every dialog of the setup, with
// a blue gradient and the maker's name and the product's title.
#ifndef ORLO_APP_SETUP_DLG_H
#define ORLO_APP_SETUP_DLG_H

#include "afx/afxwin.h"
#include "res/resource.h"

class CSetupDlg : public CDialog {
 public:
  enum { IDD = IDD_SETUP_DIALOG };
  // The backdrop has no parent: it is the application's main window.
  CSetupDlg();

  BOOL Create();

 protected:
  HICON m_hIcon;

  BOOL OnInitDialog() override;
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  BOOL OnEraseBkgnd(CDC* pDC);

  DECLARE_MESSAGE_MAP()

 private:
  void PaintIcon();
  void PaintTitles();
};

#endif
