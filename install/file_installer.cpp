#include "install/file_installer.h"

#include "paths/path_util.h"
#include "rt/mbscmp.h"

namespace {

// Files move in chunks of this size through one buffer.
const UINT kChunkSize = 4096;

// Others may read a source while we do (a second user installing from the
// same directory, a virus scanner); nobody may write it. A destination that
// is really the source therefore still fails to open for writing.
const UINT kSourceOpenFlags = CFile::modeRead | CFile::shareDenyWrite;

// A font file at the destination that the system still holds cannot be
// replaced; it is left as it is and the installation goes on.
// Only an upper-case "FON" counts, as the product's file names have it.
BOOL IsFontInUse(const CString& strDestPath, const CFileException& error) {
  return strDestPath.Right(3) == "FON" && error.m_cause == CFileException::sharingViolation;
}

// Byte counts are 32-bit signed, as the progress display takes them; adding
// wraps around instead of being undefined.
int AddBytes(int nSum, DWORD dwCount) { return (int)((DWORD)nSum + dwCount); }

}  // namespace

CFileInstaller::CFileInstaller() : m_listFiles(10) {}

void CFileInstaller::SetDestination(const CString& strDir) {
  m_strDest = strDir;
  NormalizePath(m_strDest);
}

void CFileInstaller::AddFile(const CString& strName) { m_listFiles.AddTail(strName); }

CString CFileInstaller::GetDestination() const { return m_strDest; }

BOOL CFileInstaller::CreateDestination() { return CreateDirectoryTree(m_strDest); }

BOOL CFileInstaller::CopyFiles() {
  // Without its window the copy runs all the same, unwatched: every call on
  // the dialog then fails harmlessly, and failures still reach the user by
  // message box.
  m_dlgProgress.Create();
  if (!PumpAndContinue())
    return FALSE;

  // A directory that does not fit the buffer is not read at all, rather than
  // used cut short.
  char szSourceDir[kPathBufferSize];
  DWORD dwLength = GetCurrentDirectoryA(kPathBufferSize, szSourceDir);
  if (dwLength == 0 || dwLength >= kPathBufferSize) {
    ShowMessage("Unable to get current directory");
    return FALSE;
  }

  // Compared case-sensitively, as the program always has: the same
  // directory in another case is not caught here, and the copy then fails
  // on opening the first destination, which the open source holds.
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
    if (!fileSource.Open(strName, kSourceOpenFlags)) {
      ShowMessage("Can't open filename: %s\\%s", pszSourceDir, (LPCSTR)strName);
      return FALSE;
    }
    DWORD dwLength = 0;
    if (!fileSource.GetLength(&dwLength)) {
      ShowMessage("Unable to get the length of file: %s\\%s", pszSourceDir, (LPCSTR)strName);
      return FALSE;
    }
    if (!fileSource.Close())
      return ReportCloseFailure(pszSourceDir, strName);
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
  if (!PumpAndContinue())
    return FALSE;

  CFile fileSource;
  if (!fileSource.Open(strName, kSourceOpenFlags)) {
    ShowMessage("Can't open filename: %s\\%s", pszSourceDir, (LPCSTR)strName);
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
    ShowMessage("Can't open filename: %s", (LPCSTR)strDestPath);
    return FALSE;
  }

  for (;;) {
    int nRead = fileSource.Read(pBuffer, kChunkSize);
    if (nRead < 0) {
      ShowMessage("Unable to read file: %s\\%s", pszSourceDir, (LPCSTR)strName);
      return FALSE;
    }
    if (nRead == 0)
      break;
    if (!PumpAndContinue())
      return FALSE;
    if (!fileDest.Write(pBuffer, (UINT)nRead)) {
      ShowMessage("Unable to write file: %s", (LPCSTR)strDestPath);
      return FALSE;
    }
    *pnDone = AddBytes(*pnDone, (DWORD)nRead);
    m_dlgProgress.SetProgress(*pnDone, nTotal);
    if (!PumpAndContinue())
      return FALSE;
  }

  if (!fileSource.Close())
    return ReportCloseFailure(pszSourceDir, strName);
  if (!fileDest.Close()) {
    ShowMessage("Unable to close file: %s", (LPCSTR)strDestPath);
    return FALSE;
  }
  return TRUE;
}

BOOL CFileInstaller::ReportCloseFailure(LPCSTR pszSourceDir, const CString& strName) {
  ShowMessage("Unable to close file: %s\\%s", pszSourceDir, (LPCSTR)strName);
  return FALSE;
}

BOOL CFileInstaller::PumpAndContinue() {
  PumpMessages();
  return !m_dlgProgress.m_bCancelled;
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
