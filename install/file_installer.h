// The install job: where to install, which files, creating the destination
// and copying the files under the progress dialog.
#ifndef ORLO_INSTALL_FILE_INSTALLER_H
#define ORLO_INSTALL_FILE_INSTALLER_H

#include "afx/afxstr.h"
#include "install/progress_dlg.h"

class CFileInstaller {
 public:
  CFileInstaller();
  CFileInstaller(const CFileInstaller&) = delete;
  CFileInstaller& operator=(const CFileInstaller&) = delete;

  void SetDestination(const CString& strDir);
  void AddFile(const CString& strName);
  CString GetDestination() const;
  BOOL CreateDestination();
  BOOL CopyFiles();

 protected:
  // Handles every message waiting in the thread's queue; never waits.
  void PumpMessages();

  CProgressDlg m_dlgProgress;
  CString m_strDest;
  CStringList m_listFiles;

 private:
  // Handles the waiting messages, then FALSE when the user has cancelled:
  // the copy stops there.
  BOOL PumpAndContinue();
  BOOL MeasureSources(LPCSTR pszSourceDir, int* pnTotal);
  BOOL CopyOneFile(LPCSTR pszSourceDir, const CString& strName, int nTotal, BYTE* pBuffer,
                   int* pnDone);
  BOOL ReportCloseFailure(LPCSTR pszSourceDir, const CString& strName);
};

#endif
