// The directory picker behind "Browse...": the platform's old-style save
// dialog on our template IDD_SELECT_DIR, with everything about files hidden.
#ifndef ORLO_DIALOGS_DIR_PICKER_DLG_H
#define ORLO_DIALOGS_DIR_PICKER_DLG_H

#include "afx/afxdlgs.h"

class CDirPickerDlg : public CFileDialog {
 public:
  // pszInitialDir: the directory to open at, or null for the platform's
  // choice. The text is used in place, so it must outlive DoModal.
  explicit CDirPickerDlg(LPCSTR pszInitialDir);

  // IDOK when the user accepted a directory; IDCANCEL on Cancel and on every
  // failure, each failure told in a message box. The process's current
  // directory, and whether the owner takes input, are as they were before.
  INT_PTR DoModal() override;

  // The accepted directory, ending in a backslash. Meaningful after IDOK.
  CString GetDirectory();

 protected:
  BOOL OnInitDialog() override;

 private:
  // The platform's dialog with the current directory saved and put back.
  INT_PTR RunKeepingCurrentDirectory();

  // The dialog answered with the full path of "dummy-filename" in a
  // directory, the whole of it in the buffer.
  BOOL HoldsWholePath() const;

  DECLARE_MESSAGE_MAP()
};

#endif
