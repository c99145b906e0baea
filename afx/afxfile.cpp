#include "afx/afxfile.h"

namespace {

void SetError(CFileException* pError, LONG lOsError) {
  if (pError) {
    pError->m_lOsError = lOsError;
    pError->m_cause = CFileException::OsErrorToException(lOsError);
  }
}

DWORD ShareModeOf(UINT nOpenFlags) {
  switch (nOpenFlags & 0x70) {
    case CFile::shareDenyWrite:
      return FILE_SHARE_READ;
    case CFile::shareDenyRead:
      return FILE_SHARE_WRITE;
    case CFile::shareDenyNone:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:  // compatibility mode and exclusive: nobody else may open it
      return 0;
  }
}

DWORD AccessOf(UINT nOpenFlags) {
  switch (nOpenFlags & 3) {
    case CFile::modeWrite:
      return GENERIC_WRITE;
    case CFile::modeReadWrite:
      return GENERIC_READ | GENERIC_WRITE;
    default:
      return GENERIC_READ;
  }
}

}  // namespace

int CFileException::OsErrorToException(LONG lOsError) {
  switch (lOsError) {
    case NO_ERROR:
      return none;
    case ERROR_FILE_NOT_FOUND:
      return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_FILENAME_EXCED_RANGE:
      return badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
      return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return accessDenied;
    case ERROR_INVALID_HANDLE:
      return invalidFile;
    case ERROR_CURRENT_DIRECTORY:
      return removeCurrentDir;
    case ERROR_NO_MORE_FILES:
      return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
      return badSeek;
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_CRC:
      return hardIO;
    case ERROR_SHARING_VIOLATION:
      return sharingViolation;
    case ERROR_LOCK_VIOLATION:
      return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return diskFull;
    case ERROR_HANDLE_EOF:
      return endOfFile;
    default:
      return generic;
  }
}

CFile::~CFile() {
  if (IsOpen())
    Close();
}

BOOL CFile::Open(LPCSTR pszFileName, UINT nOpenFlags, CFileException* pError) {
  if (IsOpen())
    Close();
  DWORD dwCreation = (nOpenFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE h = CreateFileA(pszFileName, AccessOf(nOpenFlags), ShareModeOf(nOpenFlags), NULL,
                         dwCreation, FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE) {
    SetError(pError, (LONG)GetLastError());
    return FALSE;
  }
  m_hFile = h;
  return TRUE;
}

int CFile::Read(void* pBuffer, UINT nCount, CFileException* pError) {
  DWORD dwRead = 0;
  if (!ReadFile(m_hFile, pBuffer, nCount, &dwRead, NULL)) {
    SetError(pError, (LONG)GetLastError());
    return -1;
  }
  return (int)dwRead;
}

BOOL CFile::Write(const void* pBuffer, UINT nCount, CFileException* pError) {
  DWORD dwWritten = 0;
  if (!WriteFile(m_hFile, pBuffer, nCount, &dwWritten, NULL)) {
    SetError(pError, (LONG)GetLastError());
    return FALSE;
  }
  if (dwWritten != nCount) {  // a short write means the disk is full
    SetError(pError, ERROR_DISK_FULL);
    return FALSE;
  }
  return TRUE;
}

BOOL CFile::GetLength(DWORD* pdwLength, CFileException* pError) const {
  DWORD dwHigh = 0;
  SetLastError(NO_ERROR);
  DWORD dwLow = GetFileSize(m_hFile, &dwHigh);
  if (dwLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    SetError(pError, (LONG)GetLastError());
    return FALSE;
  }
  if (dwHigh != 0) {
    SetError(pError, ERROR_FILE_TOO_LARGE);
    return FALSE;
  }
  *pdwLength = dwLow;
  return TRUE;
}

BOOL CFile::Close(CFileException* pError) {
  if (!IsOpen())
    return TRUE;
  BOOL bOk = CloseHandle(m_hFile);
  if (!bOk)
    SetError(pError, (LONG)GetLastError());
  m_hFile = INVALID_HANDLE_VALUE;
  return bOk;
}
