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
  CProgmanLink(const CProgmanLink&) = delete;
  CProgmanLink& operator=(const CProgmanLink&) = delete;

  // Opens the conversation on service and topic "PROGMAN".
  BOOL Connect();
  void Disconnect();
  // Deletes any group of that name, then creates and shows it. TRUE when the
  // group was created and shown.
  BOOL CreateGroup(LPCSTR pszName);
  // TRUE when Program Manager carried the command out.
  BOOL AddItem(LPCSTR pszCmdLine, LPCSTR pszName, LPCSTR pszIconPath, LPCSTR pszWorkingDir);

  const CDdeInstance& GetInstance() const { return m_instance; }
  const CDdeConversation& GetConversation() const { return m_conversation; }

 private:
  BOOL Send(LPCSTR pszCommand);

  CDdeInstance m_instance;
  CDdeConversation m_conversation;
};

// The context given to every connect to Program Manager: its size, and zero
// for everything else.
extern const CONVCONTEXT kProgmanConvContext;

// The one link of the program, defined in this layer and constructed before
// the application object (see progman_link.cpp).
extern CProgmanLink theProgmanLink;

// Creates the group ORLO with its three items for the destination that the
// files went to, as the setup sequence holds it: made absolute but not
// normalized (a trailing or doubled separator may remain; the commands
// normalize what they send). FALSE when the connection, the group or the
// first item failed. The conversation is ended on every path.
BOOL InstallProgramGroup(const CString& strDest);

#endif
