// The DDE client link to Program Manager and the program-group step.
#ifndef ORLO_PROGMAN_PROGMAN_LINK_H
#define ORLO_PROGMAN_PROGMAN_LINK_H

#include <windows.h>

#include <ddeml.h>

#include "afx/afxstr.h"

class CProgmanLink {
public:
  CProgmanLink();
  ~CProgmanLink();
  CProgmanLink(const CProgmanLink&) = delete;
  CProgmanLink& operator=(const CProgmanLink&) = delete;

  BOOL Connect();
  void Disconnect();
  BOOL CreateGroup(const char* pszName);
  BOOL AddItem(const char* pszCmdLine, const char* pszName, const char* pszIconPath,
               const char* pszWorkingDir);
};

// The one link of the program; defined with the application object.
extern CProgmanLink theProgmanLink;

// Creates the group ORLO with its three items for a destination as the user
// typed it. FALSE when the connection, the group or the first item failed.
BOOL InstallProgramGroup(const CString& strDest);

#endif
