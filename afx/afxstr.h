// CString and CStringList: the counted ANSI string and the string list that
// the program uses, with MFC's names and behaviour. Text is in the ANSI code
// page; searches step over the double-byte characters of Far East code pages,
// whose second byte can be the byte of '\' or '[', as MFC's string does there.
#ifndef ORLO_AFX_AFXSTR_H
#define ORLO_AFX_AFXSTR_H

#include <windows.h>

#include <stdarg.h>

class CString {
 public:
  CString();
  CString(const CString& other);
  CString(LPCSTR psz);
  CString(LPCSTR pch, int nLength);
  ~CString();

  const CString& operator=(const CString& other);
  const CString& operator=(LPCSTR psz);
  const CString& operator=(char ch);

  int GetLength() const { return m_nLength; }
  void Empty();
  char operator[](int nIndex) const { return m_pchData[nIndex]; }
  operator LPCSTR() const { return m_pchData; }

  const CString& operator+=(const CString& other);
  const CString& operator+=(LPCSTR psz);
  const CString& operator+=(char ch);
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, LPCSTR b);
  friend CString operator+(LPCSTR a, const CString& b);
  friend CString operator+(const CString& a, char ch);

  // Byte-wise, case-sensitive comparison, as strcmp.
  int Compare(LPCSTR psz) const;

  // First position of ch as a character of its own, -1 when there is none.
  int Find(char ch) const;
  // Last position of ch as a character of its own, -1 when there is none.
  int ReverseFind(char ch) const;
  CString Left(int nCount) const;
  CString Right(int nCount) const;

  // Lower case in place, as the system's character tables give it (double-
  // byte characters are left alone).
  void MakeLower();
  CString Mid(int nFirst, int nCount) const;

  // printf-style formatting for %s, %c, %d, %u and %%; any other sequence
  // after % is copied as it stands. There is no length limit.
  void Format(LPCSTR pszFormat, ...);
  void FormatV(LPCSTR pszFormat, va_list args);

  // Direct access for API calls that fill a buffer: room for nMinLength
  // characters plus a terminator; ReleaseBuffer(-1) takes the length from it.
  LPSTR GetBuffer(int nMinLength);
  void ReleaseBuffer(int nNewLength = -1);

 private:
  void AssignCopy(LPCSTR pch, int nLength);
  void Append(LPCSTR pch, int nLength);
  void Reserve(int nCapacity);

  char* m_pchData;  // never null; points at s_empty while nothing is held
  int m_nLength;
  int m_nCapacity;  // 0 while m_pchData is s_empty
};

// Bytes of the character at pch in the ANSI code page: 2 for the first byte
// of a double-byte character followed by its second, else 1. On single-byte
// code pages always 1.
int AfxCharLength(LPCSTR pch);

inline bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
inline bool operator!=(const CString& a, LPCSTR b) { return a.Compare(b) != 0; }
inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }

struct __POSITION {};
typedef __POSITION* POSITION;

// A list of strings kept in insertion order. Nodes are carved out of blocks
// of nBlockSize nodes, as MFC does, and all of them go when the list goes.
class CStringList {
 public:
  explicit CStringList(int nBlockSize = 10);
  ~CStringList();
  CStringList(const CStringList&) = delete;
  CStringList& operator=(const CStringList&) = delete;

  int GetCount() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }
  POSITION AddTail(LPCSTR psz);
  POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_pNodeHead); }
  // Returns the string at rPosition and moves rPosition to the next one
  // (null after the last).
  const CString& GetNext(POSITION& rPosition) const;
  void RemoveAll();

 private:
  struct CNode {
    CNode* pNext;
    CString data;
  };
  struct CBlock {
    CBlock* pNext;
  };
  CNode* NewNode();

  CNode* m_pNodeHead;
  CNode* m_pNodeTail;
  CNode* m_pNodeFree;
  CBlock* m_pBlocks;
  int m_nCount;
  int m_nBlockSize;
};

#endif
