/* ORLO.EXE of the demonstration payload: a tiny real program, so that the
   installed product starts and says what it is. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  MessageBoxA(NULL, "ORLO 1.1 (demonstration build) is installed.", "ORLO",
              MB_OK | MB_ICONINFORMATION);
  return 0;
}
