// Path helpers of the install job. Paths are Windows paths handled byte by
// byte.
#ifndef ORLO_INSTALL_PATH_UTIL_H
#define ORLO_INSTALL_PATH_UTIL_H

#include "afx/afxstr.h"

// Rewrites a path in place: every '/' becomes '\', every run of separators
// becomes one '\', and one trailing '\' is dropped. An empty path stays
// empty. "C:/ORLO//BIN/" -> "C:\ORLO\BIN", "C:\" -> "C:".
void NormalizePath(CString& strPath);

// Creates the directory and any missing parents. TRUE when the directory
// was made or is taken to be present.
BOOL CreateDirectoryTree(CString strPath);

#endif
