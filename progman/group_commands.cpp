#include "progman/group_commands.h"

#include "paths/path_util.h"
#include "res/product_files.h"

namespace {

CString FormatWithGroup(LPCSTR pszTemplate, LPCSTR pszGroup) {
  CString strCommand;
  strCommand.Format(pszTemplate, pszGroup);
  return strCommand;
}

BOOL IsQuoted(const CString& strText) {
  int nLength = strText.GetLength();
  return nLength >= 2 && strText[0] == '"' && strText[nLength - 1] == '"';
}

// A quoted path is normalized inside its quotes: with the quote in front, the
// two backslashes that open a network path would count as a run and collapse.
void NormalizeArgument(CString& strArgument) {
  if (!IsQuoted(strArgument)) {
    NormalizePath(strArgument);
    return;
  }
  CString strInside = strArgument.Mid(1, strArgument.GetLength() - 2);
  NormalizePath(strInside);
  strArgument = Quoted(strInside);
}

BOOL HoldsArgumentDelimiter(const CString& strText) {
  for (LPCSTR pch = "()[],"; *pch != '\0'; pch++) {
    if (strText.Find(*pch) >= 0)
      return TRUE;
  }
  return FALSE;
}

}  // namespace

CString DeleteGroupCommand(LPCSTR pszGroup) {
  return FormatWithGroup("[DeleteGroup(%s)]", pszGroup);
}

CString CreateGroupCommand(LPCSTR pszGroup) {
  return FormatWithGroup("[CreateGroup(%s)]", pszGroup);
}

CString ShowGroupCommand(LPCSTR pszGroup) { return FormatWithGroup("[ShowGroup(%s,1)]", pszGroup); }

BOOL NeedsQuotes(const CString& strArgument) {
  return strArgument.Find(' ') > 0 || HoldsArgumentDelimiter(strArgument);
}

CString Quoted(const CString& strText) { return "\"" + strText + "\""; }

CString AddItemCommand(LPCSTR pszCmdLine, LPCSTR pszName, LPCSTR pszIconPath,
                       LPCSTR pszWorkingDir) {
  CString strCmdLine(pszCmdLine);
  CString strIconPath(pszIconPath);
  CString strWorkingDir(pszWorkingDir);
  NormalizeArgument(strCmdLine);
  NormalizeArgument(strIconPath);
  NormalizeArgument(strWorkingDir);
  if (NeedsQuotes(strWorkingDir))
    strWorkingDir = Quoted(strWorkingDir);

  CString strCommand;
  strCommand.Format("[AddItem(%s, %s, %s,, -1, -1, %s)]", (LPCSTR)strCmdLine, pszName,
                    (LPCSTR)strIconPath, (LPCSTR)strWorkingDir);
  return strCommand;
}

CString ProductProgramPath(const CString& strDest) {
  CString strPath;
  strPath.Format("%s\\" ORLO_PROGRAM_FILE, (LPCSTR)strDest);
  // Whether to quote is decided on the destination as typed; what the file
  // name adds never needs quotes.
  if (NeedsQuotes(strDest))
    strPath = Quoted(strPath);
  return strPath;
}
