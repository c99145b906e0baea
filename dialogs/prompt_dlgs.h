// The three fixed question and information dialogs: nothing but a template
// and the standard OK and Cancel actions.
#ifndef ORLO_DIALOGS_PROMPT_DLGS_H
#define ORLO_DIALOGS_PROMPT_DLGS_H

#include "afx/afxwin.h"

class CWelcomeDlg : public CDialog {
 public:
  explicit CWelcomeDlg(CWnd* pParent = NULL);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  DECLARE_MESSAGE_MAP()
};

class CAppGroupDlg : public CDialog {
 public:
  explicit CAppGroupDlg(CWnd* pParent = NULL);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  DECLARE_MESSAGE_MAP()
};

class CSuccessDlg : public CDialog {
 public:
  explicit CSuccessDlg(CWnd* pParent = NULL);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  DECLARE_MESSAGE_MAP()
};

#endif
