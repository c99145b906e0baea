// The application object, the class library's WinMain and message boxes.
#include <string.h>

#include "afx/afxwin.h"

namespace {

CWinApp* s_pApp = NULL;

// "C:\DIST\SETUP.EXE" -> "SETUP"; the buffer must hold MAX_PATH characters.
void ModuleBaseName(char* pszOut) {
  char szPath[MAX_PATH];
  DWORD n = GetModuleFileNameA(NULL, szPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    lstrcpyA(pszOut, "Application");
    return;
  }
  int nSlash = CString(szPath).ReverseFind('\\');
  lstrcpynA(pszOut, szPath + nSlash + 1, MAX_PATH);
  char* pDot = strrchr(pszOut, '.');
  if (pDot)
    *pDot = 0;
}

// The program's help file: the program file's path with ".HLP".
void ModuleHelpPath(char* pszOut) {
  DWORD n = GetModuleFileNameA(NULL, pszOut, MAX_PATH);
  if (n == 0 || n >= MAX_PATH - 4) {
    pszOut[0] = 0;
    return;
  }
  char* pDot = strrchr(pszOut, '.');
  int nSlash = CString(pszOut).ReverseFind('\\');
  if (pDot && pDot - pszOut > nSlash)
    *pDot = 0;
  lstrcatA(pszOut, ".HLP");
}

}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR lpszAppName)
    : m_pMainWnd(NULL),
      m_hInstance(GetModuleHandleA(NULL)),
      m_lpCmdLine(NULL),
      m_nCmdShow(SW_SHOWNORMAL) {
  s_pApp = this;
  memset(&m_msgCur, 0, sizeof(m_msgCur));
  if (lpszAppName)
    lstrcpynA(m_szAppName, lpszAppName, MAX_PATH);
  else
    ModuleBaseName(m_szAppName);
  ModuleHelpPath(m_szHelpPath);
  m_pszAppName = m_szAppName;
  m_pszHelpFilePath = m_szHelpPath;
}

CWinApp::~CWinApp() {
  if (s_pApp == this)
    s_pApp = NULL;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
  // Offer the message to the window it is for and then to its parents up to
  // the top-level window, so that a dialog sees the keys of its controls.
  for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd && pWnd->PreTranslateMessage(pMsg))
      return TRUE;
    if (!(GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD))
      break;
  }
  return FALSE;
}

int CWinApp::Run() {
  while (GetMessageA(&m_msgCur, NULL, 0, 0) > 0) {
    if (!PreTranslateMessage(&m_msgCur)) {
      TranslateMessage(&m_msgCur);
      DispatchMessageA(&m_msgCur);
    }
  }
  return ExitInstance();
}

int CWinApp::ExitInstance() { return (int)m_msgCur.wParam; }

void CWinApp::OnHelp() {
  HWND hMain = m_pMainWnd ? m_pMainWnd->m_hWnd : NULL;
  WinHelpA(hMain, m_pszHelpFilePath, HELP_INDEX, 0);
}

CWinApp* AfxGetApp() { return s_pApp; }

CWnd* AfxGetMainWnd() { return s_pApp ? s_pApp->m_pMainWnd : NULL; }

HINSTANCE AfxGetInstanceHandle() { return s_pApp ? s_pApp->m_hInstance : GetModuleHandleA(NULL); }

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

LPCSTR AfxGetAppName() { return s_pApp ? s_pApp->m_pszAppName : ""; }

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
  CWinApp* pApp = AfxGetApp();
  if (!pApp)
    return -1;
  pApp->m_hInstance = hInstance;
  pApp->m_lpCmdLine = lpCmdLine;
  pApp->m_nCmdShow = nCmdShow;
  if (pApp->InitApplication() && pApp->InitInstance())
    return pApp->Run();
  // No message loop: close a main window that is still there, then exit.
  if (pApp->m_pMainWnd)
    pApp->m_pMainWnd->DestroyWindow();
  return pApp->ExitInstance();
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
  // Owned by the main window's active pop-up, so that it comes up in front
  // of whatever dialog the user was looking at.
  HWND hOwner = NULL;
  CWnd* pMain = AfxGetMainWnd();
  if (pMain && pMain->m_hWnd) {
    hOwner = pMain->m_hWnd;
    HWND hPopup = GetLastActivePopup(hOwner);
    if (hPopup && IsWindowVisible(hPopup) && IsWindowEnabled(hPopup))
      hOwner = hPopup;
  }
  return MessageBoxA(hOwner, lpszText, AfxGetAppName(), nType);
}

void ShowMessage(LPCSTR pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  CString strMessage;
  strMessage.FormatV(pszFormat, args);
  va_end(args);
  AfxMessageBox(strMessage, MB_OK, 0);
}
