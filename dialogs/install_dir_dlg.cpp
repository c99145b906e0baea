#include "dialogs/install_dir_dlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CInstallDirDlg, CDialog)
END_MESSAGE_MAP()

CInstallDirDlg::CInstallDirDlg(CWnd* pParent) : CDialog(IDD_INSTALL_DIR, pParent) {}

void CInstallDirDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_DEST_DIR, m_strDestDir);
}
