#include "app/setup_app.h"

#include "app/setup_dlg.h"
#include "dialogs/install_dir_dlg.h"
#include "dialogs/prompt_dlgs.h"
#include "install/file_installer.h"
#include "paths/path_util.h"
#include "progman/progman_link.h"
#include "res/product_files.h"

namespace {

const LPCSTR kProductFiles[] = {ORLO_PRODUCT_FILES(ORLO_PRODUCT_FILE_NAME)};
const LPCSTR kProductFonts[] = {ORLO_PRODUCT_FILES(ORLO_PRODUCT_FONT_NAME)};

// The drive letter used when the Windows directory cannot be read.
const char kFallbackDrive = 'C';

CString DefaultDestination() {
  char szWindowsDir[kPathBufferSize];
  UINT n = GetWindowsDirectoryA(szWindowsDir, kPathBufferSize);
  char chDrive = (n > 0 && n < kPathBufferSize) ? szWindowsDir[0] : kFallbackDrive;
  CString strDefault;
  strDefault.Format("%c:\\ORLO\\", chDrive);
  return strDefault;
}

// Makes the directory that holds this program the current directory: the
// copy reads the product's files from there. A path that cannot be had, or
// has no directory part, leaves the current directory as it is. A path that
// does not fit the buffer, or a directory that cannot be made current (one
// longer than the system takes), is a failure: the copy would read whatever
// files it found in another directory.
BOOL EnterDistributionDirectory() {
  char szModule[kPathBufferSize];
  DWORD n = GetModuleFileNameA(NULL, szModule, kPathBufferSize);
  if (n >= kPathBufferSize)
    return FALSE;
  if (n == 0)
    return TRUE;
  CString strPath(szModule);
  int nSlash = strPath.ReverseFind('\\');
  if (nSlash < 0)
    return TRUE;
  // At a drive's root the separator stays: "D:" alone names the directory
  // that is current on that drive, not its root.
  BOOL bDriveRoot = nSlash == 2 && strPath[1] == ':';
  return SetCurrentDirectoryA(strPath.Left(bDriveRoot ? nSlash + 1 : nSlash));
}

// Taken out of the system's font table before the copy, so that the font
// files at the destination can be replaced: each by the destination, a
// backslash and its name in lower case ("\\tesk.fon").
void UnloadProductFonts(const CFileInstaller& installer) {
  for (LPCSTR pszFont : kProductFonts) {
    if (!pszFont)
      continue;
    CString strName(pszFont);
    strName.MakeLower();
    // Not looked at: a font that was not loaded is no failure.
    RemoveFontResourceA(installer.GetDestination() + "\\" + strName);
  }
}

// Every end of the sequence destroys the backdrop, which clears the main
// window.
BOOL EndSequence(CSetupDlg& dlgBackdrop) {
  dlgBackdrop.DestroyWindow();
  return FALSE;
}

}  // namespace

// The link to Program Manager (theProgmanLink, in the progman layer) is
// constructed before this object and destroyed after it.
CSetupApp theApp;

BEGIN_MESSAGE_MAP(CSetupApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CSetupApp::InitInstance() {
  Enable3dControls();

  CSetupDlg dlgBackdrop;
  m_pMainWnd = &dlgBackdrop;
  // Without its window the sequence runs all the same, with no main window:
  // the reference must not outlive the object, and there is nothing to own
  // the dialogs.
  if (!dlgBackdrop.Create())
    m_pMainWnd = NULL;

  // Only OK goes on. A dialog that could not be shown has not asked the user
  // anything: the run ends there, as on Cancel or Exit.
  CWelcomeDlg dlgWelcome;
  if (dlgWelcome.DoModal() != IDOK)
    return EndSequence(dlgBackdrop);

  CInstallDirDlg dlgInstallDir;
  dlgInstallDir.m_strDestDir = DefaultDestination();
  if (dlgInstallDir.DoModal() != IDOK)
    return EndSequence(dlgBackdrop);

  // Blanks and dots at the end of a name go first: the system drops them
  // only from the last level it makes. A relative destination means the
  // directory the program was started in, which is still current here; the
  // copy later makes the program's own directory current. Resolved once, the
  // same text is created, written to and given to the program group; one
  // that cannot be resolved is not made at all.
  CString strDest = dlgInstallDir.m_strDestDir;
  BOOL bResolved = DropTrailingBlanksAndDots(strDest) && MakeAbsolutePath(strDest);

  CFileInstaller installer;
  installer.SetDestination(strDest);
  for (LPCSTR pszName : kProductFiles)
    installer.AddFile(pszName);

  // The user is shown what they typed, not what it was resolved to.
  if (!bResolved || !installer.CreateDestination()) {
    ShowMessage("Unable to create destination directory: %s", (LPCSTR)dlgInstallDir.m_strDestDir);
    return EndSequence(dlgBackdrop);
  }

  if (!EnterDistributionDirectory()) {
    ShowMessage("Unable to get the directory of the setup program");
    ShowMessage("Failed to install ORLO");
    return EndSequence(dlgBackdrop);
  }
  UnloadProductFonts(installer);

  if (!installer.CopyFiles()) {
    ShowMessage("Failed to install ORLO");
    return EndSequence(dlgBackdrop);
  }

  BOOL bOk = TRUE;
  CAppGroupDlg dlgAppGroup;
  if (dlgAppGroup.DoModal() == IDOK)
    bOk = InstallProgramGroup(strDest);
  if (!bOk)
    ShowMessage("Failed to complete installation of program group");

  CSuccessDlg dlgSuccess;
  dlgSuccess.DoModal();
  return EndSequence(dlgBackdrop);
}
