// The WinMain of a program built on the class library, which the process
// entry (rt/entry.cpp) calls. Linked into the program as an object of its
// own, so that the entry's reference to WinMain finds it whatever the order
// of libraries.
#include "afx/afxwin.h"

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine,
                              int nCmdShow) {
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
