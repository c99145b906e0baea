// The three fixed question and information dialogs: nothing but a template
// and the standard OK and Cancel actions.
#ifndef ORLO_DIALOGS_PROMPT_DLGS_H
#define ORLO_DIALOGS_PROMPT_DLGS_H

#include "afx/afxwin.h"
#include "res/resource.h"

class CWelcomeDlg : public CDialog {
 public:
  enum { IDD = IDD_WELCOME };
  explicit CWelcomeDlg(CWnd* pParent = NULL) : CDialog(IDD, pParent) {}
};

class CAppGroupDlg : public CDialog {
 public:
  enum { IDD = IDD_APP_GROUP };
  explicit CAppGroupDlg(CWnd* pParent = NULL) : CDialog(IDD, pParent) {}
};

class CSuccessDlg : public CDialog {
 public:
  enum { IDD = IDD_SUCCESS };
  explicit CSuccessDlg(CWnd* pParent = NULL) : CDialog(IDD, pParent) {}
};

#endif
