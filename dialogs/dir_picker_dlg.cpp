#include "dialogs/dir_picker_dlg.h"

#include <dlgs.h>
#include <string.h>

#include "res/resource.h"

namespace {

// The name the dialog is made to accept; the directory is what comes before.
const char kDummyFileName[] = "dummy-filename";

const DWORD kPickerFlags =
    OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_SHOWHELP | OFN_ENABLETEMPLATE;

}  // namespace

BEGIN_MESSAGE_MAP(CDirPickerDlg, CFileDialog)
END_MESSAGE_MAP()

CDirPickerDlg::CDirPickerDlg(LPCSTR pszInitialDir)
    : CFileDialog(FALSE, NULL, NULL, kPickerFlags, NULL, AfxGetMainWnd()) {
  m_ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_SELECT_DIR);
  if (pszInitialDir)
    m_ofn.lpstrInitialDir = pszInitialDir;
}

INT_PTR CDirPickerDlg::DoModal() {
  // The platform's dialog enables its owner when it ends, and so do the
  // picker's message boxes, which the same window owns; also when it was
  // disabled before. The backdrop, under the modal Install Directory, would
  // then take clicks and keys behind that dialog. Whichever way the picker
  // ends, its owner gets back the state it had.
  HWND hOwner = GetOwnerHwnd();
  BOOL bOwnerEnabled = hOwner && IsWindowEnabled(hOwner);
  INT_PTR nResult = RunKeepingCurrentDirectory();
  if (hOwner)
    EnableWindow(hOwner, bOwnerEnabled);
  return nResult;
}

INT_PTR CDirPickerDlg::RunKeepingCurrentDirectory() {
  // The dialog moves the process's current directory as the user browses
  // and leaves it wherever the user stopped: keep it and put it back. A
  // directory that does not fit the buffer counts as unreadable, rather than
  // being put back cut short.
  char szSavedDir[kPathBufferSize];
  DWORD nLength = GetCurrentDirectoryA(kPathBufferSize, szSavedDir);
  if (nLength == 0 || nLength >= kPathBufferSize) {
    ShowMessage("Unable to get current directory");
    return IDCANCEL;
  }

  INT_PTR nResult = CFileDialog::DoModal();

  if (!SetCurrentDirectoryA(szSavedDir)) {
    ShowMessage("Unable to set current directory");
    return IDCANCEL;
  }
  // A path longer than the file-name buffer: Windows refuses it with
  // FNERR_BUFFERTOOSMALL, Wine hands back the front of it. Either way there
  // is no directory to give.
  BOOL bTooLong = nResult == IDOK ? !HoldsWholePath() : GetCommDlgError() == FNERR_BUFFERTOOSMALL;
  if (bTooLong) {
    ShowMessage("The directory path is too long");
    return IDCANCEL;
  }
  return nResult;
}

BOOL CDirPickerDlg::HoldsWholePath() const {
  LPCSTR pszPath = m_ofn.lpstrFile;
  const void* pEnd = memchr(pszPath, 0, m_ofn.nMaxFile);
  if (!pEnd)
    return FALSE;
  size_t nLength = (LPCSTR)pEnd - pszPath;
  return m_ofn.nFileOffset < nLength && strcmp(pszPath + m_ofn.nFileOffset, kDummyFileName) == 0;
}

BOOL CDirPickerDlg::OnInitDialog() {
  CenterWindow();
  // Everything about files: the file-type and file-name labels, the name,
  // the file list and the file types.
  static const int kHiddenControls[] = {stc2, stc3, edt1, lst1, cmb1};
  for (int nID : kHiddenControls)
    ShowWindow(GetDlgItem(m_hWnd, nID), SW_HIDE);
  // On OK the dialog joins this name to the open directory.
  SetDlgItemTextA(m_hWnd, edt1, kDummyFileName);
  CFileDialog::OnInitDialog();
  // Deliberately FALSE, as the picker has always answered: the dialog
  // manager then does not give the focus to the first control itself.
  return FALSE;
}

CString CDirPickerDlg::GetDirectory() {
  // Cut the path where the file name begins; the cut stays in the buffer.
  if (m_ofn.nFileOffset >= m_ofn.nMaxFile)
    return CString();
  m_ofn.lpstrFile[m_ofn.nFileOffset] = 0;
  return CString(m_ofn.lpstrFile);
}
