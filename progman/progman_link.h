// The DDE client link to Program Manager and the program-group step.
#ifndef ORLO_PROGMAN_PROGMAN_LINK_H
#define ORLO_PROGMAN_PROGMAN_LINK_H

#include <windows.h>

#include "afx/afxstr.h"
#include "progman/dde.h"

// The one conversation of the program with Program Manager, on a DDEML
// instance that lives as long as this object: the instance is initialised
// before the conversation exists and ended after it.
class CProgmanLink {
 public:
  CProgmanLink();
  ~CProgmanLink() {}
  CProgmanLink(const CProgmanLink&) = delete;
  CProgmanLink& operator=(const CProgmanLink&) = delete;

  // Opens the conversation on service and topic "PROGMAN".
  BOOL Connect();
  void Disconnect();
  // Deletes any group of that name, then creates and shows it. TRUE when the
  // group was created and shown.
  BOOL CreateGroup(const char* pszName);
  // TRUE when Program Manager carried the command out.
  BOOL AddItem(const char* pszCmdLine, const char* pszName, const char* pszIconPath,
               const char* pszWorkingDir);

  const CDdeInstance& GetInstance() const { return m_instance; }
  const CDdeConversation& GetConversation() const { return m_conversation; }

 private:
  BOOL Send(const char* pszCommand);

  CDdeInstance m_instance;
  CDdeConversation m_conversation;
};

// The one link of the program, defined in this layer and constructed before
// the application object (see progman_link.cpp).
extern CProgmanLink theProgmanLink;

// Creates the group ORLO with its three items for a destination as the user
// typed it. FALSE when the connection, the group or the first item failed.
// The conversation is ended on every path.
BOOL InstallProgramGroup(const CString& strDest);

#endif
