#include "install/path_util.h"

#include "afx/afxwin.h"

void NormalizePath(CString& strPath) {
  CString strResult;
  BOOL bLastWasSeparator = FALSE;
  for (int i = 0; i < strPath.GetLength(); i++) {
    char ch = strPath[i];
    if (ch == '/')
      ch = '\\';
    if (ch != '\\') {
      strResult += ch;
      bLastWasSeparator = FALSE;
    } else if (!bLastWasSeparator) {
      strResult += ch;
      bLastWasSeparator = TRUE;
    }
  }
  if (!strResult.IsEmpty() && strResult[strResult.GetLength() - 1] == '\\')
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
    default: {
      CString strMessage;
      strMessage.Format("CreateDirectory failed, err = %d\n", (int)dwError);
      AfxMessageBox(strMessage, MB_OK, 0);
      return FALSE;
    }
  }
}

}  // namespace

BOOL CreateDirectoryTree(CString strPath) { return CreateDirectoryLevel(strPath, TRUE); }
