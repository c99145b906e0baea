#include "dialogs/dir_picker_dlg.h"

#include <string.h>

#include "res/resource.h"

namespace {

// The old-style dialog's own control ids.
const int kStcFileType = 1089;   // stc2
const int kStcFileName = 1090;   // stc3
const int kEdtFileName = 1152;   // edt1
const int kLstFiles = 1120;      // lst1
const int kCmbFileTypes = 1136;  // cmb1

// The name the dialog is made to accept; the directory is what comes before.
const char kDummyFileName[] = "dummy-filename";

const DWORD kCurrentDirBufferSize = 1024;

const DWORD kPickerFlags =
    OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_SHOWHELP | OFN_ENABLETEMPLATE;

}  // namespace

BEGIN_MESSAGE_MAP(CDirPickerDlg, CFileDialog)
END_MESSAGE_MAP()

CDirPickerDlg::CDirPickerDlg(LPCSTR pszInitialDir)
    : CFileDialog(FALSE, NULL, NULL, kPickerFlags, NULL, AfxGetMainWnd()) {
  // Always the old-style dialog: our template carries its control ids.
  m_ofn.Flags &= ~OFN_EXPLORER;
  m_ofn.hInstance = AfxGetInstanceHandle();
  m_ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_SELECT_DIR);
  if (pszInitialDir)
    m_ofn.lpstrInitialDir = pszInitialDir;
}

INT_PTR CDirPickerDlg::DoModal() {
  // The dialog moves the process's current directory as the user browses
  // and leaves it wherever the user stopped: keep it and put it back. A
  // directory that does not fit the buffer counts as unreadable, rather than
  // being put back cut short.
  char szSavedDir[kCurrentDirBufferSize];
  DWORD nLength = GetCurrentDirectoryA(kCurrentDirBufferSize, szSavedDir);
  if (nLength == 0 || nLength >= kCurrentDirBufferSize) {
    AfxMessageBox("Unable to get current directory", MB_OK, 0);
    return IDCANCEL;
  }

  INT_PTR nResult = CFileDialog::DoModal();

  if (!SetCurrentDirectoryA(szSavedDir)) {
    AfxMessageBox("Unable to set current directory", MB_OK, 0);
    return IDCANCEL;
  }
  // A path longer than the file-name buffer: Windows refuses it with
  // FNERR_BUFFERTOOSMALL, Wine hands back the front of it. Either way there
  // is no directory to give.
  bool bTooLong = nResult == IDOK ? !HoldsWholePath() : GetCommDlgError() == FNERR_BUFFERTOOSMALL;
  if (bTooLong) {
    AfxMessageBox("The directory path is too long", MB_OK, 0);
    return IDCANCEL;
  }
  return nResult;
}

BOOL CDirPickerDlg::HoldsWholePath() const {
  const char* pszPath = m_ofn.lpstrFile;
  const void* pEnd = memchr(pszPath, 0, m_ofn.nMaxFile);
  if (!pEnd)
    return FALSE;
  size_t nLength = static_cast<const char*>(pEnd) - pszPath;
  return m_ofn.nFileOffset < nLength && strcmp(pszPath + m_ofn.nFileOffset, kDummyFileName) == 0;
}

BOOL CDirPickerDlg::OnInitDialog() {
  CenterWindow();
  const int kHiddenControls[] = {kStcFileType, kStcFileName, kEdtFileName, kLstFiles,
                                 kCmbFileTypes};
  for (int nID : kHiddenControls)
    ShowWindow(GetDlgItem(m_hWnd, nID), SW_HIDE);
  // On OK the dialog joins this name to the open directory.
  SetDlgItemTextA(m_hWnd, kEdtFileName, kDummyFileName);
  CFileDialog::OnInitDialog();
  return FALSE;
}

CString CDirPickerDlg::GetDirectory() {
  // Cut the path where the file name begins; the cut stays in the buffer.
  if (m_ofn.nFileOffset >= m_ofn.nMaxFile)
    return CString();
  m_ofn.lpstrFile[m_ofn.nFileOffset] = 0;
  return CString(m_ofn.lpstrFile);
}
