// The memory and string functions of the C runtime that SETUP.EXE calls, and
// memcpy and memset, which gcc may call for a copy or a fill of its own.
// Built with -ffreestanding -fno-tree-loop-distribute-patterns, so that gcc
// does not turn these loops back into calls of themselves.
#include <windows.h>

#include <string.h>

#include "rt/mbscmp.h"

extern "C" {

void* __cdecl memcpy(void* pDest, const void* pSrc, size_t n) {
  BYTE* pTo = static_cast<BYTE*>(pDest);
  const BYTE* pFrom = static_cast<const BYTE*>(pSrc);
  while (n-- > 0)
    *pTo++ = *pFrom++;
  return pDest;
}

void* __cdecl memset(void* pDest, int c, size_t n) {
  BYTE* pTo = static_cast<BYTE*>(pDest);
  while (n-- > 0)
    *pTo++ = (BYTE)c;
  return pDest;
}

void* __cdecl memchr(const void* p, int c, size_t n) {
  const BYTE* pb = static_cast<const BYTE*>(p);
  for (; n > 0; --n, ++pb)
    if (*pb == (BYTE)c)
      return const_cast<BYTE*>(pb);
  return NULL;
}

size_t __cdecl strlen(const char* psz) {
  const char* pch = psz;
  while (*pch)
    ++pch;
  return pch - psz;
}

size_t __cdecl strnlen(const char* psz, size_t nMax) {
  size_t n = 0;
  while (n < nMax && psz[n])
    ++n;
  return n;
}

// Bytes compare as unsigned char, as the standard asks.
int __cdecl strcmp(const char* psz1, const char* psz2) {
  const BYTE* pb1 = reinterpret_cast<const BYTE*>(psz1);
  const BYTE* pb2 = reinterpret_cast<const BYTE*>(psz2);
  while (*pb1 && *pb1 == *pb2)
    ++pb1, ++pb2;
  return *pb1 < *pb2 ? -1 : *pb1 > *pb2;
}

char* __cdecl strrchr(const char* psz, int c) {
  const char* pLast = NULL;
  do {
    if (*psz == (char)c)
      pLast = psz;
  } while (*psz++);
  return const_cast<char*>(pLast);
}

}  // extern "C"

namespace {

// The character at *ppsz, a double-byte one as lead * 256 + trail, and steps
// over it. A lead byte right before the end stands alone.
unsigned NextChar(const unsigned char** ppsz) {
  const unsigned char* p = *ppsz;
  unsigned ch = *p++;
  if (ch != 0 && IsDBCSLeadByte((BYTE)ch) && *p != 0)
    ch = (ch << 8) | *p++;
  *ppsz = p;
  return ch;
}

}  // namespace

// Compares character by character in the ANSI code page, as the runtime does
// on a multi-byte code page: equal exactly when the bytes are equal.
extern "C" int __cdecl _mbscmp(const unsigned char* psz1, const unsigned char* psz2) {
  for (;;) {
    unsigned ch1 = NextChar(&psz1);
    unsigned ch2 = NextChar(&psz2);
    if (ch1 != ch2)
      return ch1 < ch2 ? -1 : 1;
    if (ch1 == 0)
      return 0;
  }
}
