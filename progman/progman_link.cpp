#include "progman/progman_link.h"

// Not built yet: the Program Manager conversation arrives in its own change.
CProgmanLink::CProgmanLink() {}
CProgmanLink::~CProgmanLink() {}
BOOL CProgmanLink::Connect() { return FALSE; }
void CProgmanLink::Disconnect() {}
BOOL CProgmanLink::CreateGroup(const char*) { return FALSE; }
BOOL CProgmanLink::AddItem(const char*, const char*, const char*, const char*) { return FALSE; }

BOOL InstallProgramGroup(const CString&) {
  // Not built yet: reports failure rather than pretending a group was made.
  return FALSE;
}
