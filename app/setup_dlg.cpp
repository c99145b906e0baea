#include "app/setup_dlg.h"

#include "app/gradient.h"

namespace {

const COLORREF kShadowColour = RGB(128, 128, 128);
const COLORREF kFaceColour = RGB(64, 64, 64);
// Not a whole face name: the font mapper takes the nearest roman face.
const char kFaceName[] = "Times New";
const char kMakerLine[] = "Brindlewick";
const char kTitleLine[] = ORLO_SETUP_TITLE;  // the window's caption too

BOOL CreateTitleFont(CFont& font, int nHeight) {
  return font.CreateFont(nHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_ROMAN, kFaceName);
}

// Two grey copies one and two pixels to the lower right, then the face.
void DrawShadowedLine(CDC& dc, int x, int y, LPCSTR pszText) {
  int nLength = lstrlenA(pszText);
  dc.SetTextColor(kShadowColour);
  dc.TextOut(x + 2, y + 2, pszText, nLength);
  dc.TextOut(x + 1, y + 1, pszText, nLength);
  dc.SetTextColor(kFaceColour);
  dc.TextOut(x, y, pszText, nLength);
}

}  // namespace

BEGIN_MESSAGE_MAP(CSetupDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CSetupDlg::CSetupDlg()
    : CDialog(IDD), m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

BOOL CSetupDlg::Create() { return CDialog::Create(IDD, NULL); }

BOOL CSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  int cx = GetSystemMetrics(SM_CXSCREEN);
  int cy = GetSystemMetrics(SM_CYSCREEN);
  MoveWindow(0, 0, cx, cy, TRUE);
  return TRUE;
}

BOOL CSetupDlg::OnEraseBkgnd(CDC* pDC) {
  RECT rc;
  GetClientRect(&rc);
  CGradientBands bands(rc.bottom);
  GradientBand band;
  while (bands.Next(&band)) {
    RECT rcBand = {rc.left, band.nTop, rc.right, band.nBottom};
    CBrush brush(GradientColour(band.nLevel));
    pDC->FillRect(&rcBand, &brush);
  }
  return TRUE;
}

void CSetupDlg::OnPaint() {
  if (IsIconic())
    PaintIcon();
  else
    PaintTitles();
}

void CSetupDlg::PaintIcon() {
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, (WPARAM)dc.GetSafeHdc(), 0);
  int cxIcon = GetSystemMetrics(SM_CXICON);
  int cyIcon = GetSystemMetrics(SM_CYICON);
  RECT rc;
  GetClientRect(&rc);
  int x = (rc.right - rc.left - cxIcon + 1) / 2;
  int y = (rc.bottom - rc.top - cyIcon + 1) / 2;
  dc.DrawIcon(x, y, m_hIcon);
}

void CSetupDlg::PaintTitles() {
  CPaintDC dc(this);
  dc.SetBkMode(TRANSPARENT);
  CFont fontMaker, fontTitle;
  CreateTitleFont(fontMaker, 60);
  CreateTitleFont(fontTitle, 80);
  HGDIOBJ hOldFont = dc.SelectObject(&fontMaker);
  DrawShadowedLine(dc, 19, 14, kMakerLine);
  HGDIOBJ hReplaced = dc.SelectObject(&fontTitle);
  if (!hOldFont)  // the first font could not be made: keep what it left
    hOldFont = hReplaced;
  DrawShadowedLine(dc, 19, 69, kTitleLine);
  dc.SelectObject(hOldFont);
  // The fonts are deleted by their wrappers, the title font first.
}

HCURSOR CSetupDlg::OnQueryDragIcon() { return (HCURSOR)m_hIcon; }
