// The execute strings of the Program Manager commands that the program-group
// step sends. Building them needs no DDE, so they can be checked on their own.
#ifndef ORLO_PROGMAN_GROUP_COMMANDS_H
#define ORLO_PROGMAN_GROUP_COMMANDS_H

#include "afx/afxstr.h"

CString DeleteGroupCommand(LPCSTR pszGroup);
CString CreateGroupCommand(LPCSTR pszGroup);
CString ShowGroupCommand(LPCSTR pszGroup);

// The AddItem command. The command line, the icon path and the working
// directory are normalized (NormalizePath) first, one that comes quoted
// inside its quotes; the working directory is then quoted where Program
// Manager would otherwise split it. The item name is sent as given.
CString AddItemCommand(LPCSTR pszCmdLine, LPCSTR pszName, LPCSTR pszIconPath, LPCSTR pszWorkingDir);

// Program Manager reads an unquoted argument up to the first ( ) [ ] or
// comma, and trims blanks around it; such an argument has to be quoted. A
// blank that opens the string does not call for quotes (the convention of the
// commands this program has always sent). Only whole characters count: the
// second byte of a double-byte character may look like a bracket, but
// Program Manager reads the character.
BOOL NeedsQuotes(const CString& strArgument);

// "\"" + text + "\"".
CString Quoted(const CString& strText);

// The installed program of the product's own item for a destination not yet
// normalized: destination + "\ORLO.EXE", quoted when the destination needs
// it. The item's command line and its icon path both; today's shells look
// the command line's program up as a file, and a bare name is refused.
CString ProductProgramPath(const CString& strDest);

#endif
