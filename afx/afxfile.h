// CFile and CFileException. Where MFC throws a CFileException, this layer
// reports the failure by its result and keeps the cause for the caller.
#ifndef ORLO_AFX_AFXFILE_H
#define ORLO_AFX_AFXFILE_H

#include <windows.h>

class CFileException {
 public:
  enum {
    none = 0,
    generic = 1,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14
  };

  CFileException() : m_cause(none), m_lOsError(-1) {}
  CFileException(int cause, LONG lOsError) : m_cause(cause), m_lOsError(lOsError) {}

  // Maps a Win32 error code to one of the causes above.
  static int OsErrorToException(LONG lOsError);

  int m_cause;
  LONG m_lOsError;
};

class CFile {
 public:
  enum OpenFlags {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeCreate = 0x1000
  };

  CFile() : m_hFile(INVALID_HANDLE_VALUE) {}
  ~CFile();  // closes a file that is still open
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // A bare name is taken relative to the current directory. Without a share
  // flag the file is opened for exclusive access, so a second open of a file
  // that is open fails with a sharing violation. On failure pError, if given,
  // receives the cause and the Win32 error code.
  BOOL Open(LPCSTR pszFileName, UINT nOpenFlags, CFileException* pError = NULL);

  // Returns the number of bytes read, 0 at the end of the file, -1 on failure.
  int Read(void* pBuffer, UINT nCount, CFileException* pError = NULL);
  // Writes all nCount bytes; FALSE on failure (a full disk among them).
  BOOL Write(const void* pBuffer, UINT nCount, CFileException* pError = NULL);
  // FALSE on failure or for a file of 4 GiB or more.
  BOOL GetLength(DWORD* pdwLength, CFileException* pError = NULL) const;
  // Closes the file; FALSE when the system reported a failure. The handle is
  // gone either way.
  BOOL Close(CFileException* pError = NULL);

  BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
  HANDLE GetHandle() const { return m_hFile; }

 private:
  HANDLE m_hFile;
};

#endif
