#include "install/file_installer.h"

#include "rt/mbscmp.h"

namespace {

// Files move in chunks of this size through one buffer.
const UINT kChunkSize = 4096;
const DWORD kDirectoryBufferSize = 1024;

void ShowMessage(LPCSTR pszFormat, LPCSTR pszFirst = NULL, LPCSTR pszSecond = NULL) {
  CString strMessage;
  strMessage.Format(pszFormat, pszFirst, pszSecond);
  AfxMessageBox(strMessage, MB_OK, 0);
}

// A font file at the destination that the system still holds cannot be
// replaced; it is left as it is and the installation goes on.
BOOL IsFontInUse(const CString& strDestPath, const CFileException& error) {
  return strDestPath.Right(3) == "FON" && error.m_cause == CFileException::sharingViolation;
}

// Byte counts are 32-bit signed, as the progress display takes them; adding
// wraps around instead of being undefined.
int AddBytes(int nSum, DWORD dwCount) { return (int)((DWORD)nSum + dwCount); }

}  // namespace

CFileInstaller::CFileInstaller() : m_dlgProgress(NULL), m_listFiles(10) {}

void CFileInstaller::SetDestination(const CString& strDir) {
  m_strDest = strDir;
  NormalizePath(m_strDest);
}

void CFileInstaller::AddFile(const CString& strName) { m_listFiles.AddTail(strName); }

CString CFileInstaller::GetDestination() const { return m_strDest; }

BOOL CFileInstaller::CreateDestination() { return CreateDirectoryTree(m_strDest); }

BOOL CFileInstaller::CopyFiles() {
  m_dlgProgress.Create();
  PumpMessages();
  if (m_dlgProgress.m_bCancelled)
    return FALSE;

  // A directory that does not fit the buffer is not read at all, rather than
  // used cut short.
  char szSourceDir[kDirectoryBufferSize];
  DWORD dwLength = GetCurrentDirectoryA(kDirectoryBufferSize, szSourceDir);
  if (dwLength == 0 || dwLength >= kDirectoryBufferSize) {
    ShowMessage("Unable to get current directory");
    return FALSE;
  }

  CString strSource(szSourceDir);
  NormalizePath(strSource);
  if (_mbscmp((const unsigned char*)(LPCSTR)strSource, (const unsigned char*)(LPCSTR)m_strDest) ==
      0) {
    ShowMessage("Destination directory cannot be %s", szSourceDir);
    return FALSE;
  }

  int nTotal = 0;
  if (!MeasureSources(szSourceDir, &nTotal))
    return FALSE;

  BYTE buffer[kChunkSize];
  int nDone = 0;
  for (POSITION pos = m_listFiles.GetHeadPosition(); pos;) {
    const CString& strName = m_listFiles.GetNext(pos);
    if (!CopyOneFile(szSourceDir, strName, nTotal, buffer, &nDone))
      return FALSE;
  }

  m_dlgProgress.Finish();
  return TRUE;
}

// Adds up the lengths of all source files before anything is written, so that
// the progress refers to bytes, and a missing source stops the installation
// before any destination file is touched.
BOOL CFileInstaller::MeasureSources(LPCSTR pszSourceDir, int* pnTotal) {
  *pnTotal = 0;
  for (POSITION pos = m_listFiles.GetHeadPosition(); pos;) {
    const CString& strName = m_listFiles.GetNext(pos);
    CFile fileSource;
    if (!fileSource.Open(strName, CFile::modeRead)) {
      ShowMessage("Can't open filename: %s\\%s", pszSourceDir, strName);
      return FALSE;
    }
    DWORD dwLength = 0;
    if (!fileSource.GetLength(&dwLength)) {
      ShowMessage("Unable to get the length of file: %s\\%s", pszSourceDir, strName);
      return FALSE;
    }
    if (!fileSource.Close()) {
      ShowMessage("Unable to close file: %s\\%s", pszSourceDir, strName);
      return FALSE;
    }
    *pnTotal = AddBytes(*pnTotal, dwLength);
  }
  return TRUE;
}

// Copies one file chunk by chunk, or skips a font that is in use. FALSE ends
// the copy: the user cancelled or a message was shown. What was written
// stays.
BOOL CFileInstaller::CopyOneFile(LPCSTR pszSourceDir, const CString& strName, int nTotal,
                                 BYTE* pBuffer, int* pnDone) {
  CString strDestPath;
  strDestPath.Format("%s\\%s", (LPCSTR)m_strDest, (LPCSTR)strName);
  m_dlgProgress.SetFileNames(strName, strDestPath);
  PumpMessages();
  if (m_dlgProgress.m_bCancelled)
    return FALSE;

  CFile fileSource;
  if (!fileSource.Open(strName, CFile::modeRead)) {
    ShowMessage("Can't open filename: %s\\%s", pszSourceDir, strName);
    return FALSE;
  }
  CFile fileDest;
  CFileException error;
  if (!fileDest.Open(strDestPath, CFile::modeCreate | CFile::modeWrite, &error)) {
    if (IsFontInUse(strDestPath, error)) {
      if (!fileSource.Close())
        return ReportCloseFailure(pszSourceDir, strName);
      return TRUE;
    }
    ShowMessage("Can't open filename: %s", strDestPath);
    return FALSE;
  }

  for (;;) {
    int nRead = fileSource.Read(pBuffer, kChunkSize);
    if (nRead < 0) {
      ShowMessage("Unable to read file: %s\\%s", pszSourceDir, strName);
      return FALSE;
    }
    if (nRead == 0)
      break;
    PumpMessages();
    if (m_dlgProgress.m_bCancelled)
      return FALSE;
    if (!fileDest.Write(pBuffer, (UINT)nRead)) {
      ShowMessage("Unable to write file: %s", strDestPath);
      return FALSE;
    }
    *pnDone = AddBytes(*pnDone, (DWORD)nRead);
    m_dlgProgress.SetProgress(*pnDone, nTotal);
    PumpMessages();
    if (m_dlgProgress.m_bCancelled)
      return FALSE;
  }

  if (!fileSource.Close())
    return ReportCloseFailure(pszSourceDir, strName);
  if (!fileDest.Close()) {
    ShowMessage("Unable to close file: %s", strDestPath);
    return FALSE;
  }
  return TRUE;
}

BOOL CFileInstaller::ReportCloseFailure(LPCSTR pszSourceDir, const CString& strName) {
  ShowMessage("Unable to close file: %s\\%s", pszSourceDir, strName);
  return FALSE;
}

void CFileInstaller::PumpMessages() {
  // Every waiting message goes first to the application's pre-translation,
  // so that the progress dialog gets its keys (Esc is Cancel).
  CWinApp* pApp = AfxGetApp();
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    if (pApp && pApp->PreTranslateMessage(&msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
