// Path helpers of the install job and the Program Manager commands. Paths
// are Windows paths in the ANSI code page; every scan steps over whole
// characters, so that the second byte of a double-byte character, which can
// be the byte of '\', is never taken for a separator.
#ifndef ORLO_PATHS_PATH_UTIL_H
#define ORLO_PATHS_PATH_UTIL_H

#include "afx/afxstr.h"

// Rewrites a path in place: every '/' becomes '\', every run of separators
// becomes one '\', and one trailing '\' is dropped. An empty path stays
// empty. "C:/ORLO//BIN/" -> "C:\ORLO\BIN", "C:\" -> "C:". A network path
// keeps the two backslashes before its server: "//SERVER/SHARE/" ->
// "\\SERVER\SHARE".
void NormalizePath(CString& strPath);

// Drops the blanks and dots at the end of each name in a path. Windows and
// Wine drop them from the last name of a path they make or open, not from
// the others: "C:\ORLO " is made as C:\ORLO, and a file in it then sought in
// "C:\ORLO \". "C:\My Apps \ORLO. " -> "C:\My Apps\ORLO". The drive ("C:")
// and the server and share of a network path are no names and stay as they
// are; a name that is "." or ".." keeps its meaning ("C:.\ORLO", "C:..").
// FALSE, with the path as it was, when a name is nothing but blanks and dots
// ("...\ORLO", ". \ORLO", "C: "): Windows reads such a name by where it
// stands, and dropped to nothing it would leave "\ORLO", the root of the
// current drive.
BOOL DropTrailingBlanksAndDots(CString& strPath);

// Creates the directory and any missing parents. TRUE when the directory
// was made or is taken to be present. The server and the share of a network
// path are not made: the levels start below \\SERVER\SHARE.
BOOL CreateDirectoryTree(CString strPath);

// Makes a path that depends on a current directory ("ORLO", "\ORLO",
// "C:ORLO", "C:..\ORLO") absolute against the current directory, with
// GetFullPathNameA. A path that starts with a drive and a separator, or is a
// network path, stays exactly as it is; so does a bare drive ("C:", which
// stands for the drive's root as "C:\" does, and is no place to install
// into). FALSE, with the path as it was, when the system cannot resolve it:
// an empty path, or one whose full form is longer than it takes (Wine: more
// than MAX_PATH). Used as it stands, such a path would be made below one
// current directory and written to below another.
BOOL MakeAbsolutePath(CString& strPath);

#endif
