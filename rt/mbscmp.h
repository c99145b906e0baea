// The runtime's multi-byte string comparison, declared as a plain function.
// <mbstring.h> declares it imported from the C runtime's DLL, which
// SETUP.EXE does not load: there rt/string.cpp defines it; the test programs,
// which keep the C runtime, get the runtime's own.
#ifndef ORLO_RT_MBSCMP_H
#define ORLO_RT_MBSCMP_H

extern "C" int __cdecl _mbscmp(const unsigned char* psz1, const unsigned char* psz2);

#endif
