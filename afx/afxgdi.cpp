// Device-context and GDI object wrappers.
#include "afx/afxwin.h"

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
  DeleteObject();
  m_hObject = hObject;
  return hObject != NULL;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = m_hObject;
  m_hObject = NULL;
  return h;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject)
    return FALSE;
  BOOL bOk = ::DeleteObject(m_hObject);
  m_hObject = NULL;
  return bOk;
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                       BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                       BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                       LPCSTR lpszFacename) {
  return Attach(::CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                              bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                              nQuality, nPitchAndFamily, lpszFacename));
}

HGDIOBJ CDC::SelectObject(CGdiObject* pObject) { return SelectObject(pObject->m_hObject); }

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) {
  return hObject ? ::SelectObject(m_hDC, hObject) : NULL;
}

COLORREF CDC::SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }

int CDC::SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }

BOOL CDC::TextOut(int x, int y, LPCSTR lpszString, int nCount) {
  return ::TextOutA(m_hDC, x, y, lpszString, nCount);
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
  ::FillRect(m_hDC, lpRect, pBrush->GetSafeHandle());
}

void CDC::DrawIcon(int x, int y, HICON hIcon) { ::DrawIcon(m_hDC, x, y, hIcon); }

SIZE CDC::GetTextExtent(LPCSTR lpszString, int nCount) const {
  SIZE size = {0, 0};
  ::GetTextExtentPointA(m_hDC, lpszString, nCount, &size);
  return size;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
