#include "dialogs/install_dir_dlg.h"

#include "dialogs/dir_picker_dlg.h"

BEGIN_MESSAGE_MAP(CInstallDirDlg, CDialog)
ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
END_MESSAGE_MAP()

void CInstallDirDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_DEST_DIR, m_strDestDir);
}

void CInstallDirDlg::OnBrowse() {
  // The picker starts from the destination as last accepted, not from what
  // may have been typed since; an accepted pick replaces the typed text.
  CDirPickerDlg dlgPicker(m_strDestDir);
  // The picker's owner is the backdrop, so its modal loop leaves this dialog
  // enabled: without this, OK could be pressed behind the picker, or Browse
  // open a second one.
  EnableWindow(m_hWnd, FALSE);
  INT_PTR nResult = dlgPicker.DoModal();
  EnableWindow(m_hWnd, TRUE);
  if (nResult == IDOK) {
    m_strDestDir = dlgPicker.GetDirectory();
    UpdateData(FALSE);
  }
  SetFocus(GetDlgItem(m_hWnd, IDC_DEST_DIR));
}
