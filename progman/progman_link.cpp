#include "progman/progman_link.h"

#include "progman/group_commands.h"

namespace {

const char kProgman[] = "PROGMAN";
const char kGroupName[] = "ORLO";

}  // namespace

// The program's one link. It is constructed before every object of static
// storage of default priority, the application object among them, whichever
// file defines that, and so destroyed after them: its DDE instance exists
// for the program's whole life.
CProgmanLink theProgmanLink __attribute__((init_priority(200)));

CProgmanLink::CProgmanLink() : m_instance(), m_conversation(m_instance) {}

BOOL CProgmanLink::Connect() {
  // Program Manager uses the same name for its service and its topic.
  return m_conversation.Connect(kProgman, kProgman, &kProgmanConvContext);
}

void CProgmanLink::Disconnect() { m_conversation.Disconnect(); }

BOOL CProgmanLink::Send(const char* pszCommand) {
  // The transaction takes the data handle over; nothing is left to free.
  CDdeDataHandle data(m_instance, pszCommand);
  DWORD dwStatus = 0;
  return m_conversation.Execute(data, &dwStatus) != NULL;
}

BOOL CProgmanLink::CreateGroup(const char* pszName) {
  // A group of that name need not exist, so the delete may fail.
  Send(DeleteGroupCommand(pszName));
  if (!Send(CreateGroupCommand(pszName)))
    return FALSE;
  return Send(ShowGroupCommand(pszName));
}

BOOL CProgmanLink::AddItem(const char* pszCmdLine, const char* pszName, const char* pszIconPath,
                           const char* pszWorkingDir) {
  return Send(AddItemCommand(pszCmdLine, pszName, pszIconPath, pszWorkingDir));
}

BOOL InstallProgramGroup(const CString& strDest) {
  BOOL bOk = theProgmanLink.Connect();
  if (bOk)
    bOk = theProgmanLink.CreateGroup(kGroupName);
  if (bOk) {
    CString strProgram = ProductProgramPath(strDest);
    bOk = theProgmanLink.AddItem(strProgram, "ORLO", strProgram, strDest);
  }
  // Once the program itself is in the group, the README and the help file
  // are added too; their failure does not fail the group.
  if (bOk)
    theProgmanLink.AddItem("NOTEPAD README.TXT", "README", "NOTEPAD.EXE", strDest);
  if (bOk)
    theProgmanLink.AddItem("WINHELP ORLO.HLP", "ORLO Help", "WINHELP.EXE", strDest);
  theProgmanLink.Disconnect();
  return bOk;
}
