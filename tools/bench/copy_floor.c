/* The floor for the install phase: the least a copy can do that still does
   the required work per 4096-byte chunk - read it, empty the queue, write it,
   ask for a repaint of an owner-drawn bar, empty the queue again - under the
   same dialog template as SETUP.EXE, and nothing else: no class library, no
   pre-translation, no message maps.

     copy_floor.exe SOURCE_DIR DEST_DIR [full|pump|copy]

   "pump" leaves out the repaint and "copy" the pumps as well, to show where
   a chunk's time goes. A message box "Floor" waits for OK before the copy, a
   message box "Floor done" follows it: the driver times the one to the
   other, as it times SETUP.EXE from OK in Install Directory to the next
   dialog. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "res/product_files.h"
#include "res/resource.h"

static const char* const kFiles[] = {ORLO_PRODUCT_FILES(ORLO_PRODUCT_FILE_NAME)};
enum { kFileCount = sizeof(kFiles) / sizeof(kFiles[0]), kChunk = 4096 };

static double g_fraction;

static void PaintBar(const DRAWITEMSTRUCT* item) {
  RECT rc = item->rcItem;
  int split = (int)(g_fraction * rc.right + 0.5);
  RECT red = {rc.left, rc.top, split, rc.bottom};
  HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(item->hDC, &red, brush);
  DeleteObject(brush);
  if (rc.right > split + 1) {
    RECT white = {split + 1, rc.top, rc.right, rc.bottom};
    brush = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(item->hDC, &white, brush);
    DeleteObject(brush);
  }
  char label[16];
  int n = wsprintfA(label, " %d%% ", (int)(g_fraction * 100.0 + 0.5));
  SIZE size;
  GetTextExtentPointA(item->hDC, label, n, &size);
  SetTextColor(item->hDC, RGB(0, 0, 0));
  SetBkMode(item->hDC, TRANSPARENT);
  TextOutA(item->hDC, (rc.right - size.cx) / 2, (rc.bottom - size.cy) / 2, label, n);
}

static INT_PTR CALLBACK FloorDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DRAWITEM && wParam == IDC_PROGRESS_BAR) {
    PaintBar((const DRAWITEMSTRUCT*)lParam);
    return TRUE;
  }
  return msg == WM_INITDIALOG;
}

static void Pump(void) {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

static int Fail(const char* what, const char* name) {
  char text[1024];
  wsprintfA(text, "%s %s failed: error %lu", what, name, GetLastError());
  MessageBoxA(NULL, text, "Floor failed", MB_OK);
  return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmdLine, int show) {
  if (__argc < 3)
    return 2;
  const char* sourceDir = __argv[1];
  const char* destDir = __argv[2];
  const char* mode = __argc > 3 ? __argv[3] : "full";
  int pumps = strcmp(mode, "copy") != 0;
  int repaints = strcmp(mode, "full") == 0;

  MessageBoxA(NULL, "Start the copy", "Floor", MB_OK);
  CreateDirectoryA(destDir, NULL);
  HWND dialog =
      CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), NULL, FloorDialogProc, 0);
  HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
  Pump();

  char path[MAX_PATH];
  int total = 0, done = 0;
  for (int i = 0; i < kFileCount; i++) {
    wsprintfA(path, "%s\\%s", sourceDir, kFiles[i]);
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
      return Fail("open", path);
    total += (int)GetFileSize(file, NULL);
    CloseHandle(file);
  }

  static char buffer[kChunk];
  for (int i = 0; i < kFileCount; i++) {
    char text[MAX_PATH + 16];
    wsprintfA(path, "%s\\%s", destDir, kFiles[i]);
    wsprintfA(text, "Copying: %s", kFiles[i]);
    SetDlgItemTextA(dialog, IDC_COPYING, text);
    wsprintfA(text, "To: %s", path);
    SetDlgItemTextA(dialog, IDC_TO, text);
    HANDLE dest = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (dest == INVALID_HANDLE_VALUE)
      return Fail("create", path);
    wsprintfA(path, "%s\\%s", sourceDir, kFiles[i]);
    HANDLE source = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (source == INVALID_HANDLE_VALUE)
      return Fail("open", path);
    DWORD got, put;
    while (ReadFile(source, buffer, kChunk, &got, NULL) && got > 0) {
      if (pumps)
        Pump();
      if (!WriteFile(dest, buffer, got, &put, NULL) || put != got)
        return Fail("write", path);
      done += (int)got;
      if (repaints) {
        g_fraction = done == total ? 1.0 : (double)done / total;
        InvalidateRect(bar, NULL, FALSE);
      }
      if (pumps)
        Pump();
    }
    CloseHandle(source);
    CloseHandle(dest);
  }
  ShowWindow(dialog, SW_HIDE);
  MessageBoxA(NULL, "The copy is done", "Floor done", MB_OK);
  DestroyWindow(dialog);
  return 0;
}
