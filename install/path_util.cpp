#include "install/path_util.h"

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

BOOL CreateDirectoryTree(CString strPath) {
  // Not built yet: directory creation arrives with the install job.
  return FALSE;
}
