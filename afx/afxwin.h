// The window, dialog, application and GDI classes of our class library:
// MFC's names and the semantics the setup program relies on, nothing more.
#ifndef ORLO_AFX_AFXWIN_H
#define ORLO_AFX_AFXWIN_H

#include <windows.h>

#include "afx/afxfile.h"
#include "afx/afxstr.h"

#ifndef ID_HELP
#define ID_HELP 0xE145
#endif

// Room for a path and its terminator wherever the program asks the system
// for one. Larger than MAX_PATH on purpose: the old-style file dialog
// returns the current directory, a backslash and the file name, which can
// pass it. A path that does not fit is refused, never used cut short.
const UINT kPathBufferSize = 1024;

class CCmdTarget;
class CWnd;
class CDC;

// ---------------------------------------------------------------------------
// Message maps. Each entry binds a message (and for WM_COMMAND a notification
// code and a control id) to a thunk that calls the handler on the object.
// ---------------------------------------------------------------------------
typedef LRESULT (*AFX_THUNK)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCode;  // WM_COMMAND: notification code
  UINT nID;    // WM_COMMAND: control or command id
  AFX_THUNK pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                       \
  { 0, 0, 0, NULL }                                                                             \
  }                                                                                             \
  ;                                                                                             \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                           \
  }

#define ON_COMMAND(id, memberFxn)                                            \
  {WM_COMMAND, 0, (UINT)(id), [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
     static_cast<ThisClass*>(p)->memberFxn();                                \
     return 0;                                                               \
   }},

#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)

#define ON_WM_PAINT()                                             \
  {WM_PAINT, 0, 0, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
     static_cast<ThisClass*>(p)->OnPaint();                       \
     return 0;                                                    \
   }},

#define ON_WM_QUERYDRAGICON()                                             \
  {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
     return (LRESULT) static_cast<ThisClass*>(p)->OnQueryDragIcon();      \
   }},

#define ON_WM_ERASEBKGND()                                               \
  {WM_ERASEBKGND, 0, 0, [](CCmdTarget* p, WPARAM w, LPARAM) -> LRESULT { \
     CDC dc((HDC)w);                                                     \
     return static_cast<ThisClass*>(p)->OnEraseBkgnd(&dc);               \
   }},

#define ON_WM_DRAWITEM()                                                  \
  {WM_DRAWITEM, 0, 0, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT {  \
     static_cast<ThisClass*>(p)->OnDrawItem((int)w, (LPDRAWITEMSTRUCT)l); \
     return TRUE;                                                         \
   }},

class CCmdTarget {
 public:
  CCmdTarget() {}
  virtual ~CCmdTarget() {}
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;

  // Finds the handler for a message in this object's map or its bases' maps.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
  // Runs the handler of a command (WM_COMMAND id and code); FALSE if none.
  BOOL OnCmdMsg(UINT nID, UINT nCode);

  static const AFX_MSGMAP* GetThisMessageMap();

 protected:
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

// ---------------------------------------------------------------------------
// Device contexts and GDI objects. Every wrapper releases what it holds.
// ---------------------------------------------------------------------------
class CGdiObject {
 public:
  CGdiObject() : m_hObject(NULL) {}
  ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL Attach(HGDIOBJ hObject);  // takes ownership; FALSE for a null handle
  HGDIOBJ Detach();
  BOOL DeleteObject();

  HGDIOBJ m_hObject;
};

class CBrush : public CGdiObject {
 public:
  CBrush() {}
  explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
  BOOL CreateSolidBrush(COLORREF crColor);
  HBRUSH GetSafeHandle() const { return (HBRUSH)m_hObject; }
};

class CFont : public CGdiObject {
 public:
  BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                  BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision,
                  BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily, LPCSTR lpszFacename);
  HFONT GetSafeHandle() const { return (HFONT)m_hObject; }
};

// A device context that this object does not own: it wraps a handle that
// somebody else releases (a paint or draw request, or a CPaintDC).
class CDC {
 public:
  explicit CDC(HDC hDC = NULL) : m_hDC(hDC) {}
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }
  // Returns the object that was selected before, to be selected back.
  HGDIOBJ SelectObject(CGdiObject* pObject);
  HGDIOBJ SelectObject(HGDIOBJ hObject);
  COLORREF SetTextColor(COLORREF crColor);
  int SetBkMode(int nBkMode);
  BOOL TextOut(int x, int y, LPCSTR lpszString, int nCount);
  BOOL TextOut(int x, int y, const CString& str) { return TextOut(x, y, str, str.GetLength()); }
  void FillRect(LPCRECT lpRect, CBrush* pBrush);
  void DrawIcon(int x, int y, HICON hIcon);
  SIZE GetTextExtent(LPCSTR lpszString, int nCount) const;

  HDC m_hDC;
};

// BeginPaint on construction, EndPaint on destruction.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC();

  PAINTSTRUCT m_ps;

 private:
  HWND m_hWnd;
};

// ---------------------------------------------------------------------------
// Windows and dialogs
// ---------------------------------------------------------------------------
class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
      : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
  BOOL m_bSaveAndValidate;  // TRUE: controls into members
  CWnd* m_pDlgWnd;
};

// Binds an edit box or a static to a CString, in the direction pDX says.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

class CWnd : public CCmdTarget {
 public:
  CWnd() : m_hWnd(NULL), m_pNextPermanent(NULL) {}
  ~CWnd() override;

  HWND GetSafeHwnd() const { return m_hWnd; }
  // The object attached to a window of ours, or null.
  static CWnd* FromHandlePermanent(HWND hWnd);
  void Attach(HWND hWnd);
  void Detach();

  virtual BOOL DestroyWindow();
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual void DoDataExchange(CDataExchange* pDX) {}

  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  // Centres the window over its owner (or pAlternateOwner), or over the
  // screen's work area when it has none; kept on the screen.
  void CenterWindow(CWnd* pAlternateOwner = NULL);

  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
  }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }

  // Runs the message-map handler for a message; FALSE when there is none.
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

  HWND m_hWnd;

 protected:
  // The default handling of an owner-drawn item: nothing of ours.
  void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {}
  // Called when the window is gone (WM_NCDESTROY): detaches the object and
  // clears the application's main window if this was it.
  virtual void OnNcDestroyed();

  friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);

 private:
  // The permanent map: every object attached to a window, newest first,
  // linked through the objects themselves. Looking a window up stays in the
  // process; a window property would be a server round trip per message
  // under Wine, and the copy dispatches several messages per chunk.
  CWnd* m_pNextPermanent;
  static CWnd* s_pFirstPermanent;
  void UnlinkPermanent();
};

class CDialog : public CWnd {
 public:
  CDialog() : m_nIDTemplate(0), m_pParentWnd(NULL), m_bModal(FALSE), m_nModalResult(-1) {}
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL)
      : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bModal(FALSE), m_nModalResult(-1) {}
  ~CDialog() override;  // destroys a window that is still open

  // Modeless: creates the window from the template; a dialog whose template
  // is visible shows at once. With no parent, the main window owns it.
  BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = NULL);
  // Modal: returns the id that ended the dialog, or -1 if it could not run.
  virtual INT_PTR DoModal();
  void EndDialog(int nResult);

  virtual BOOL OnInitDialog();
  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  virtual void OnOK();
  virtual void OnCancel();

  // Owner for a dialog constructed with no parent: the main window.
  HWND GetOwnerHwnd() const;

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  BOOL m_bModal;
  INT_PTR m_nModalResult;

  friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);

  DECLARE_MESSAGE_MAP()
};

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// The application
// ---------------------------------------------------------------------------
class CWinApp : public CCmdTarget {
 public:
  // With no name, the application's name is the program file's base name.
  explicit CWinApp(LPCSTR lpszAppName = NULL);
  ~CWinApp() override;

  virtual BOOL InitApplication() { return TRUE; }
  virtual BOOL InitInstance() { return TRUE; }
  virtual int Run();
  virtual int ExitInstance();
  // Gives the window a message is for (or its top-level dialog) its own
  // keyboard handling first.
  virtual BOOL PreTranslateMessage(MSG* pMsg);

  // 3D controls are the system's own on every Win32 platform we run on;
  // nothing to load.
  BOOL Enable3dControls() { return TRUE; }

  void OnHelp();

  CWnd* m_pMainWnd;
  HINSTANCE m_hInstance;
  LPSTR m_lpCmdLine;
  int m_nCmdShow;
  LPCSTR m_pszAppName;
  LPCSTR m_pszHelpFilePath;
  MSG m_msgCur;

  DECLARE_MESSAGE_MAP()

 private:
  char m_szAppName[MAX_PATH];
  char m_szHelpPath[MAX_PATH];
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
LPCSTR AfxGetAppName();
// The class library's entry: initialises the application and runs it.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// A modal message box captioned with the application's name, owned by the
// main window's active pop-up.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// How the program tells the user: the text formatted with CString::Format
// (strings passed as LPCSTR), in AfxMessageBox with MB_OK and help context 0.
void ShowMessage(LPCSTR pszFormat, ...);

#endif
