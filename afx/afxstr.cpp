#include "afx/afxstr.h"

#include <string.h>

namespace {

char s_empty[1] = {0};

int SafeLength(LPCSTR psz) { return psz ? lstrlenA(psz) : 0; }

}  // namespace

CString::CString() : m_pchData(s_empty), m_nLength(0), m_nCapacity(0) {}

CString::CString(const CString& other) : CString() { AssignCopy(other.m_pchData, other.m_nLength); }

CString::CString(LPCSTR psz) : CString() { AssignCopy(psz, SafeLength(psz)); }

CString::CString(LPCSTR pch, int nLength) : CString() { AssignCopy(pch, nLength); }

CString::~CString() {
  if (m_nCapacity)
    delete[] m_pchData;
}

void CString::Reserve(int nCapacity) {
  if (nCapacity <= m_nCapacity)
    return;
  // Grow geometrically so that appending a character at a time stays linear.
  int nNew = m_nCapacity * 2;
  if (nNew < nCapacity)
    nNew = nCapacity;
  if (nNew < 16)
    nNew = 16;
  char* pNew = new char[nNew + 1];
  memcpy(pNew, m_pchData, m_nLength + 1);
  if (m_nCapacity)
    delete[] m_pchData;
  m_pchData = pNew;
  m_nCapacity = nNew;
}

void CString::AssignCopy(LPCSTR pch, int nLength) {
  if (nLength <= 0) {
    Empty();
    return;
  }
  if (pch >= m_pchData && pch <= m_pchData + m_nLength) {
    CString copy(pch, nLength);  // the source lives in our own buffer
    AssignCopy(copy.m_pchData, copy.m_nLength);
    return;
  }
  m_nLength = 0;
  m_pchData[0] = 0;
  Append(pch, nLength);
}

void CString::Append(LPCSTR pch, int nLength) {
  if (nLength <= 0)
    return;
  if (pch >= m_pchData && pch <= m_pchData + m_nLength) {
    CString copy(pch, nLength);
    Append(copy.m_pchData, copy.m_nLength);
    return;
  }
  Reserve(m_nLength + nLength);
  memcpy(m_pchData + m_nLength, pch, nLength);
  m_nLength += nLength;
  m_pchData[m_nLength] = 0;
}

void CString::Empty() {
  if (m_nCapacity)
    delete[] m_pchData;
  m_pchData = s_empty;
  m_nLength = 0;
  m_nCapacity = 0;
}

const CString& CString::operator=(const CString& other) {
  if (this != &other)
    AssignCopy(other.m_pchData, other.m_nLength);
  return *this;
}

const CString& CString::operator=(LPCSTR psz) {
  AssignCopy(psz, SafeLength(psz));
  return *this;
}

const CString& CString::operator=(char ch) {
  AssignCopy(&ch, 1);
  return *this;
}

const CString& CString::operator+=(const CString& other) {
  Append(other.m_pchData, other.m_nLength);
  return *this;
}

const CString& CString::operator+=(LPCSTR psz) {
  Append(psz, SafeLength(psz));
  return *this;
}

const CString& CString::operator+=(char ch) {
  Append(&ch, 1);
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString s(a);
  s += b;
  return s;
}

CString operator+(const CString& a, LPCSTR b) {
  CString s(a);
  s += b;
  return s;
}

CString operator+(LPCSTR a, const CString& b) {
  CString s(a);
  s += b;
  return s;
}

CString operator+(const CString& a, char ch) {
  CString s(a);
  s += ch;
  return s;
}

int CString::Compare(LPCSTR psz) const { return strcmp(m_pchData, psz ? psz : ""); }

int AfxCharLength(LPCSTR pch) { return IsDBCSLeadByte((BYTE)pch[0]) && pch[1] != '\0' ? 2 : 1; }

int CString::Find(char ch) const {
  for (int i = 0; i < m_nLength; i += AfxCharLength(m_pchData + i))
    if (m_pchData[i] == ch)
      return i;
  return -1;
}

// Forwards, character by character: a byte seen from the end cannot tell
// whether it is a character or the second byte of one.
int CString::ReverseFind(char ch) const {
  int nFound = -1;
  for (int i = 0; i < m_nLength; i += AfxCharLength(m_pchData + i))
    if (m_pchData[i] == ch)
      nFound = i;
  return nFound;
}

CString CString::Mid(int nFirst, int nCount) const {
  if (nFirst < 0)
    nFirst = 0;
  if (nFirst > m_nLength)
    nFirst = m_nLength;
  if (nCount < 0)
    nCount = 0;
  if (nCount > m_nLength - nFirst)
    nCount = m_nLength - nFirst;
  return CString(m_pchData + nFirst, nCount);
}

CString CString::Left(int nCount) const { return Mid(0, nCount); }

CString CString::Right(int nCount) const {
  if (nCount > m_nLength)
    nCount = m_nLength;
  if (nCount < 0)
    nCount = 0;
  return Mid(m_nLength - nCount, nCount);
}

void CString::MakeLower() {
  if (m_nLength > 0)
    CharLowerBuffA(m_pchData, (DWORD)m_nLength);
}

LPSTR CString::GetBuffer(int nMinLength) {
  Reserve(nMinLength > 0 ? nMinLength : 1);
  return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength) {
  if (m_nCapacity == 0)
    return;
  if (nNewLength < 0 || nNewLength > m_nCapacity)
    nNewLength = (int)strnlen(m_pchData, m_nCapacity);
  m_nLength = nNewLength;
  m_pchData[m_nLength] = 0;
}

namespace {

// Only %d and %u are formatted, so 32 bits suffice: 64-bit arithmetic would
// pull libgcc's division helpers into the 32-bit program.
void AppendDecimal(CString& out, unsigned int magnitude, BOOL bNegative) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = (char)('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  if (bNegative)
    out += '-';
  while (n)
    out += digits[--n];
}

}  // namespace

void CString::FormatV(LPCSTR pszFormat, va_list args) {
  CString result;
  for (LPCSTR p = pszFormat; *p; p++) {
    if (*p != '%') {
      result += *p;
      continue;
    }
    switch (p[1]) {
      case 's': {
        LPCSTR psz = va_arg(args, LPCSTR);
        result += psz ? psz : "(null)";
        break;
      }
      case 'c':
        result += (char)va_arg(args, int);
        break;
      case 'd': {
        int nValue = va_arg(args, int);
        // 0u - INT_MIN is 2147483648u, which int could not hold.
        AppendDecimal(result, nValue < 0 ? 0u - (unsigned int)nValue : (unsigned int)nValue,
                      nValue < 0);
        break;
      }
      case 'u':
        AppendDecimal(result, va_arg(args, unsigned int), FALSE);
        break;
      case '%':
        result += '%';
        break;
      case 0:  // a lone % at the end
        result += '%';
        continue;
      default:
        result += '%';
        result += p[1];
        break;
    }
    p++;
  }
  *this = result;
}

void CString::Format(LPCSTR pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  FormatV(pszFormat, args);
  va_end(args);
}
