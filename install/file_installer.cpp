#include "install/file_installer.h"

CFileInstaller::CFileInstaller() : m_dlgProgress(NULL), m_listFiles(10) {}

void CFileInstaller::SetDestination(const CString& strDir) {
  m_strDest = strDir;
  NormalizePath(m_strDest);
}

void CFileInstaller::AddFile(const CString& strName) { m_listFiles.AddTail(strName); }

CString CFileInstaller::GetDestination() const { return m_strDest; }

BOOL CFileInstaller::CreateDestination() { return CreateDirectoryTree(m_strDest); }

BOOL CFileInstaller::CopyFiles() {
  // Not built yet: the copy engine arrives with the install job.
  return FALSE;
}

void CFileInstaller::PumpMessages() {}
