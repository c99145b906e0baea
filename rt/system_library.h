// Loads a DLL of the system's by its full path in the system directory. A
// bare name is looked for in the program's own directory first wherever the
// system neither lists it among its known DLLs nor was told otherwise
// (rt/entry.cpp), and SETUP.EXE's directory may be anybody's.
#ifndef ORLO_RT_SYSTEM_LIBRARY_H
#define ORLO_RT_SYSTEM_LIBRARY_H

#include <windows.h>

// pszName: a file name of at most 14 characters. NULL when the system
// directory cannot be had or the DLL not loaded (GetLastError says why).
inline HMODULE LoadSystemLibrary(LPCSTR pszName) {
  char szPath[MAX_PATH + 16];
  // 0 is a failure, MAX_PATH or more the size the path would need.
  UINT n = GetSystemDirectoryA(szPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return NULL;
  szPath[n] = '\\';
  lstrcpynA(szPath + n + 1, pszName, 15);
  return LoadLibraryA(szPath);
}

#endif
