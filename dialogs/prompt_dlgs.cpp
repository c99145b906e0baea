#include "dialogs/prompt_dlgs.h"

#include "res/resource.h"

CWelcomeDlg::CWelcomeDlg(CWnd* pParent) : CDialog(IDD_WELCOME, pParent) {}
void CWelcomeDlg::DoDataExchange(CDataExchange*) {}
BEGIN_MESSAGE_MAP(CWelcomeDlg, CDialog)
END_MESSAGE_MAP()

CAppGroupDlg::CAppGroupDlg(CWnd* pParent) : CDialog(IDD_APP_GROUP, pParent) {}
void CAppGroupDlg::DoDataExchange(CDataExchange*) {}
BEGIN_MESSAGE_MAP(CAppGroupDlg, CDialog)
END_MESSAGE_MAP()

CSuccessDlg::CSuccessDlg(CWnd* pParent) : CDialog(IDD_SUCCESS, pParent) {}
void CSuccessDlg::DoDataExchange(CDataExchange*) {}
BEGIN_MESSAGE_MAP(CSuccessDlg, CDialog)
END_MESSAGE_MAP()
