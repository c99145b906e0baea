// Reading windows: their texts, list contents and styles, their pixels, and
// pictures of the screen.
#include "tests/harness/harness.h"

#include <cstdio>

#include "tests/harness/harness_internal.h"

namespace e2e {

using namespace internal;

// ---- Reading windows ------------------------------------------------------

std::string WindowText(HWND hwnd) {
  if (!hwnd)
    return std::string();
  LRESULT length = 0;
  if (!SendBounded(hwnd, WM_GETTEXTLENGTH, 0, 0, &length))
    return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  if (!SendBounded(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied))
    return std::string();
  text.resize(static_cast<size_t>(copied));
  return WideToAnsi(text);
}

Result WaitForWindowText(HWND hwnd, const std::string& text, DWORD timeoutMs) {
  if (PollUntil([&] { return WindowText(hwnd) == text; }, timeoutMs))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "window " << HandleName(hwnd) << " shows " << Quoted(WindowText(hwnd)) << ", not "
         << Quoted(text) << ", after " << ScaledMs(timeoutMs) << " ms";
}

namespace {

// The items of a list box or of a combo box's list, asked in their wide form
// (the ANSI form is not converted across processes), by the control's own
// count, length and text messages.
std::vector<std::string> ListItems(HWND control, UINT getCount, UINT getLength, UINT getText) {
  std::vector<std::string> items;
  LRESULT count = 0;
  if (!SendBounded(control, getCount, 0, 0, &count) || count < 0)
    return items;
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = 0;
    if (!SendBounded(control, getLength, i, 0, &length) || length < 0)
      break;
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    if (!SendBounded(control, getText, i, reinterpret_cast<LPARAM>(&item[0]), &length) ||
        length < 0)
      break;
    item.resize(static_cast<size_t>(length));
    items.push_back(WideToAnsi(item));
  }
  return items;
}

}  // namespace

std::vector<std::string> ListBoxItems(HWND listBox) {
  return ListItems(listBox, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<std::string> ComboBoxItems(HWND comboBox) {
  return ListItems(comboBox, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ListBoxSelection(HWND listBox) {
  LRESULT selection = LB_ERR;
  SendBounded(listBox, LB_GETCURSEL, 0, 0, &selection);
  return static_cast<int>(selection);
}

DWORD WindowStyle(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

DWORD WindowExStyle(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)); }

std::string ClassName(HWND hwnd) {
  char name[256] = "";
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// ---- Pixels ---------------------------------------------------------------

namespace {

// The visible top-level window in front of root that covers a screen point.
HWND CoveringWindow(HWND root, POINT point) {
  for (HWND window = GetTopWindow(nullptr); window && window != root;
       window = GetWindow(window, GW_HWNDNEXT)) {
    RECT rect = {};
    if (IsWindowVisible(window) && GetWindowRect(window, &rect) && PtInRect(&rect, point))
      return window;
  }
  return nullptr;
}

DWORD WINAPI PaintNow(LPVOID window) {
  RedrawWindow(static_cast<HWND>(window), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return 0;
}

}  // namespace

Result PaintPending(HWND hwnd, DWORD timeoutMs) {
  // RDW_UPDATENOW sends WM_PAINT to the thread that owns the window, like
  // SendMessage, and returns once it has painted. From a thread of our own,
  // so that a program that does not answer cannot hold the test.
  HWND root = GetAncestor(hwnd, GA_ROOT);
  HANDLE thread = CreateThread(nullptr, 0, PaintNow, root, 0, nullptr);
  if (!thread)
    return ::testing::AssertionFailure() << "cannot start a thread: " << LastErrorText();
  const DWORD bound = ScaledMs(timeoutMs);
  DWORD wait = WaitForSingleObject(thread, bound);
  CloseHandle(thread);
  if (wait == WAIT_OBJECT_0)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "window " << HandleName(root) << " " << Quoted(WindowText(root))
         << " did not paint within " << bound << " ms";
}

Result ReadPixel(HWND hwnd, int x, int y, COLORREF* colour) {
  // A window just shown or changed may not have painted yet: its pixels are
  // then black. Read what the program has drawn, not what it is about to.
  Result painted = PaintPending(hwnd);
  if (!painted)
    return painted;
  POINT point = {x, y};
  ClientToScreen(hwnd, &point);
  // Wine answers black for a covered pixel of another window: say so instead.
  if (HWND cover = CoveringWindow(GetAncestor(hwnd, GA_ROOT), point))
    return ::testing::AssertionFailure()
           << "pixel (" << x << "," << y << ") of " << HandleName(hwnd) << " "
           << Quoted(WindowText(hwnd)) << " is covered by window " << HandleName(cover) << " "
           << ClassName(cover) << " " << Quoted(WindowText(cover));
  ScopedWindowDC dc(hwnd);
  if (!dc.get())
    return ::testing::AssertionFailure() << "no DC for window " << HandleName(hwnd);
  COLORREF pixel = GetPixel(dc.get(), x, y);
  if (pixel == CLR_INVALID) {
    RECT clip = {};
    int kind = GetClipBox(dc.get(), &clip);
    COLORREF onScreen = CLR_INVALID;
    ReadScreenPixel(point.x, point.y, &onScreen);
    return ::testing::AssertionFailure()
           << "pixel (" << x << "," << y << ") of " << HandleName(hwnd) << " "
           << Quoted(WindowText(hwnd)) << " cannot be read: the window "
           << (IsWindowVisible(hwnd) ? "is visible" : "is hidden") << ", its DC shows "
           << (kind == NULLREGION ? "nothing" : RectName(clip)) << ", the screen there is "
           << ColourName(onScreen);
  }
  *colour = pixel;
  return ::testing::AssertionSuccess();
}

Result ReadScreenPixel(int x, int y, COLORREF* colour) {
  ScopedWindowDC screen(nullptr);
  COLORREF pixel = screen.get() ? GetPixel(screen.get(), x, y) : CLR_INVALID;
  if (pixel == CLR_INVALID)
    return ::testing::AssertionFailure() << "screen pixel (" << x << "," << y << ") cannot be read";
  *colour = pixel;
  return ::testing::AssertionSuccess();
}

std::string ColourName(COLORREF colour) {
  char name[16];
  std::snprintf(name, sizeof name, "#%02x%02x%02x", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return name;
}

namespace {

// A 24-bit bottom-up BMP file of the pixels of bitmap.
Result WriteBmp(HDC dc, HBITMAP bitmap, int width, int height, const std::string& path) {
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = ((width * 3) + 3) & ~3u;
  header.biSizeImage = stride * height;
  std::vector<unsigned char> pixels(header.biSizeImage);
  if (!GetDIBits(dc, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                 DIB_RGB_COLORS))
    return ::testing::AssertionFailure() << "GetDIBits failed: " << LastErrorText();
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(pixels.begin(), pixels.end());
  return WriteWholeFile(path, bytes);
}

}  // namespace

Result SaveScreenshot(HWND hwnd, const std::string& bmpPath) {
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (hwnd && !GetWindowRect(hwnd, &area))
    return ::testing::AssertionFailure()
           << "no window " << HandleName(hwnd) << " to take a picture of";
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0)
    return ::testing::AssertionFailure() << "empty area " << RectName(area);
  ScopedWindowDC screen(nullptr);
  ScopedMemoryDC memory(CreateCompatibleDC(screen.get()));
  ScopedGdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!memory.get() || !bitmap.get())
    return ::testing::AssertionFailure() << "no bitmap: " << LastErrorText();
  {
    ScopedSelection selected(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY))
      return ::testing::AssertionFailure() << "BitBlt from the screen failed: " << LastErrorText();
  }
  return WriteBmp(memory.get(), static_cast<HBITMAP>(bitmap.get()), width, height, bmpPath);
}

}  // namespace e2e
