#include "progman/progman_link.h"

#include "progman/group_commands.h"
#include "res/product_files.h"

namespace {

const char kProgman[] = "PROGMAN";

static_assert(sizeof(CONVCONTEXT) == 36,
              "Program Manager expects the 36-byte conversation context");

}  // namespace

// Constant-initialised, so it is in place before any static constructor runs.
const CONVCONTEXT kProgmanConvContext = {
    sizeof(CONVCONTEXT), 0, 0, 0, 0, 0, {0, SecurityAnonymous, 0, 0},
};

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

BOOL CProgmanLink::Send(LPCSTR pszCommand) {
  // The transaction takes the data handle over; nothing is left to free.
  CDdeDataHandle data(m_instance, pszCommand);
  return m_conversation.Execute(data, NULL) != NULL;
}

BOOL CProgmanLink::CreateGroup(LPCSTR pszName) {
  // A group of that name need not exist, so the delete may fail.
  Send(DeleteGroupCommand(pszName));
  if (!Send(CreateGroupCommand(pszName)))
    return FALSE;
  return Send(ShowGroupCommand(pszName));
}

BOOL CProgmanLink::AddItem(LPCSTR pszCmdLine, LPCSTR pszName, LPCSTR pszIconPath,
                           LPCSTR pszWorkingDir) {
  return Send(AddItemCommand(pszCmdLine, pszName, pszIconPath, pszWorkingDir));
}

BOOL InstallProgramGroup(const CString& strDest) {
  BOOL bOk = theProgmanLink.Connect();
  if (bOk)
    bOk = theProgmanLink.CreateGroup(ORLO_GROUP_NAME);
  if (bOk) {
    CString strProgram = ProductProgramPath(strDest);
    bOk = theProgmanLink.AddItem(strProgram, ORLO_PROGRAM_ITEM, strProgram, strDest);
  }
  // Once the program itself is in the group, the README and the help file
  // are added too; their failure does not fail the group.
  if (bOk)
    theProgmanLink.AddItem("NOTEPAD " ORLO_README_FILE, ORLO_README_ITEM, "NOTEPAD.EXE", strDest);
  if (bOk)
    theProgmanLink.AddItem("WINHELP " ORLO_HELP_FILE, ORLO_HELP_ITEM, "WINHELP.EXE", strDest);
  theProgmanLink.Disconnect();
  return bOk;
}
