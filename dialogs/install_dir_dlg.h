// The Install Directory dialog: the destination, typed or picked.
#ifndef ORLO_DIALOGS_INSTALL_DIR_DLG_H
#define ORLO_DIALOGS_INSTALL_DIR_DLG_H

#include "afx/afxwin.h"
#include "res/resource.h"

class CInstallDirDlg : public CDialog {
 public:
  enum { IDD = IDD_INSTALL_DIR };
  explicit CInstallDirDlg(CWnd* pParent = NULL) : CDialog(IDD, pParent) {}

  CString m_strDestDir;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

  // "Browse...": lets the user pick the destination in the directory picker.
  void OnBrowse();

  DECLARE_MESSAGE_MAP()
};

#endif
