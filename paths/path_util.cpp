#include "paths/path_util.h"

#include "afx/afxwin.h"

namespace {

BOOL IsSeparator(char ch) { return ch == '\\' || ch == '/'; }

// Two separators and then a server's name.
BOOL IsNetworkPath(const CString& strPath) {
  return strPath.GetLength() > 2 && IsSeparator(strPath[0]) && IsSeparator(strPath[1]) &&
         !IsSeparator(strPath[2]);
}

// A drive letter and a colon at the start: "C:", "C:ORLO", "C:\ORLO".
BOOL StartsWithDrive(const CString& strPath) {
  char ch = strPath.GetLength() >= 2 ? strPath[0] : '\0';
  return ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')) && strPath[1] == ':';
}

// "C:" and nothing else: a drive, not that drive's current directory.
BOOL IsBareDrive(const CString& strPath) {
  return strPath.GetLength() == 2 && StartsWithDrive(strPath);
}

BOOL IsAbsolutePath(const CString& strPath) {
  BOOL bDriveAndSeparator = strPath.GetLength() > 2 && strPath[1] == ':' && IsSeparator(strPath[2]);
  return bDriveAndSeparator || IsNetworkPath(strPath);
}

// Where the first separator at or after nFrom stands; the length if there
// is none.
int FindSeparator(const CString& strPath, int nFrom) {
  int i = nFrom;
  while (i < strPath.GetLength() && !IsSeparator(strPath[i]))
    i += AfxCharLength((LPCSTR)strPath + i);
  return i;
}

// The length of "\\SERVER\SHARE" at the start of a network path; 0 for any
// other path.
int ShareLength(const CString& strPath) {
  if (!IsNetworkPath(strPath))
    return 0;
  int nServerEnd = FindSeparator(strPath, 2);
  if (nServerEnd == strPath.GetLength())
    return nServerEnd;
  return FindSeparator(strPath, nServerEnd + 1);
}

// The length of what stands before a path's first name: "C:" of a drive,
// "\\SERVER\SHARE" of a network path; 0 for any other path.
int PrefixLength(const CString& strPath) {
  int nShare = ShareLength(strPath);
  if (nShare > 0)
    return nShare;
  return StartsWithDrive(strPath) ? 2 : 0;
}

BOOL IsBlankOrDot(char ch) { return ch == ' ' || ch == '.'; }

// One component without the blanks and dots at its end; "." and ".." keep
// their meaning.
CString WithoutTrailingBlanksAndDots(const CString& strComponent) {
  if (strComponent == "." || strComponent == "..")
    return strComponent;
  int nKeep = 0;
  for (int i = 0; i < strComponent.GetLength();) {
    int nLength = AfxCharLength((LPCSTR)strComponent + i);
    if (nLength > 1 || !IsBlankOrDot(strComponent[i]))
      nKeep = i + nLength;
    i += nLength;
  }
  return strComponent.Left(nKeep);
}

}  // namespace

BOOL DropTrailingBlanksAndDots(CString& strPath) {
  int nStart = PrefixLength(strPath);
  CString strResult = strPath.Left(nStart);
  for (;;) {
    int nEnd = FindSeparator(strPath, nStart);
    CString strName = strPath.Mid(nStart, nEnd - nStart);
    CString strKept = WithoutTrailingBlanksAndDots(strName);
    // Nothing left of a name that was there: the system reads such a name
    // by where it stands, and no reading is sure to be the one meant.
    if (strKept.GetLength() == 0 && strName.GetLength() > 0)
      return FALSE;
    strResult += strKept;
    if (nEnd == strPath.GetLength())
      break;
    strResult += strPath[nEnd];
    nStart = nEnd + 1;
  }
  strPath = strResult;
  return TRUE;
}

void NormalizePath(CString& strPath) {
  // The two backslashes that open a network path are no run to collapse:
  // with one of them gone, the path would name a directory on the current
  // drive.
  BOOL bNetwork = IsNetworkPath(strPath);
  CString strResult(bNetwork ? "\\\\" : "");
  BOOL bLastWasSeparator = FALSE;
  for (int i = bNetwork ? 2 : 0; i < strPath.GetLength();) {
    LPCSTR pch = (LPCSTR)strPath + i;
    int nLength = AfxCharLength(pch);
    if (nLength == 1 && IsSeparator(*pch)) {
      if (!bLastWasSeparator)
        strResult += '\\';
      bLastWasSeparator = TRUE;
    } else {
      strResult += CString(pch, nLength);
      bLastWasSeparator = FALSE;
    }
    i += nLength;
  }
  if (bLastWasSeparator)
    strResult = strResult.Left(strResult.GetLength() - 1);
  strPath = strResult;
}

namespace {

// One level of the tree. bMayRetry is cleared for the second attempt at a
// level: when the parent was accepted (already exists, access denied) without
// really being a directory, the path keeps failing with "path not found", and
// asking for the parent again would go on for ever.
BOOL CreateDirectoryLevel(const CString& strPath, BOOL bMayRetry) {
  int nSlash = strPath.ReverseFind('\\');
  if (nSlash < ShareLength(strPath))
    nSlash = -1;  // a network share itself is no level to make
  if (nSlash < 0)
    return CreateDirectoryA(strPath, NULL);

  if (CreateDirectoryA(strPath, NULL))
    return TRUE;
  DWORD dwError = GetLastError();
  switch (dwError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      if (!bMayRetry)
        return FALSE;
      if (!CreateDirectoryLevel(strPath.Left(nSlash), TRUE))
        return FALSE;
      return CreateDirectoryLevel(strPath, FALSE);
    case ERROR_ACCESS_DENIED:
    case ERROR_ALREADY_EXISTS:
      return TRUE;  // taken to be present; the copy finds out otherwise
    default:
      ShowMessage("CreateDirectory failed, err = %d\n", (int)dwError);
      return FALSE;
  }
}

}  // namespace

BOOL CreateDirectoryTree(CString strPath) { return CreateDirectoryLevel(strPath, TRUE); }

BOOL MakeAbsolutePath(CString& strPath) {
  if (IsAbsolutePath(strPath) || IsBareDrive(strPath))
    return TRUE;
  DWORD dwSize = GetFullPathNameA(strPath, 0, NULL, NULL);
  if (dwSize == 0)
    return FALSE;
  CString strFull;
  DWORD dwLength = GetFullPathNameA(strPath, dwSize, strFull.GetBuffer((int)dwSize), NULL);
  BOOL bResolved = dwLength > 0 && dwLength < dwSize;
  strFull.ReleaseBuffer(bResolved ? (int)dwLength : 0);
  if (bResolved)
    strPath = strFull;
  return bResolved;
}
