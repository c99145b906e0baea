/* The yardstick for start-up time: the smallest Win32 program that shows a
   dialog, built with the same toolchain and flags as SETUP.EXE. */
#include <windows.h>

static INT_PTR CALLBACK MinDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(hwnd, LOWORD(wParam));
    return TRUE;
  }
  return msg == WM_INITDIALOG;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrev, LPSTR lpCmdLine, int nCmdShow) {
  return (int)DialogBoxParamA(hInstance, MAKEINTRESOURCEA(1), NULL, MinDialogProc, 0);
}
