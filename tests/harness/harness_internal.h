// What the harness's own files share and the tests have no use for: message
// texts, bounded sends and polls to another process, and handle owners.
// Include only from the harness's .cpp files; harness.h is the tests' header.
#pragma once

#include "tests/harness/harness.h"

#include <cstdio>
#include <sstream>
#include <string>

namespace e2e {
namespace internal {

// Sent messages to another process give up after this (times TimeScale), so
// a hung target fails the test instead of hanging it.
constexpr UINT kSendTimeoutMs = 3000;

// ---- Texts for failure messages -------------------------------------------

inline std::string Hex(unsigned long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

inline std::string HandleName(HWND hwnd) { return Hex(reinterpret_cast<ULONG_PTR>(hwnd)); }

inline std::string LastErrorText() { return "error " + std::to_string(GetLastError()); }

inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

inline std::string RectName(const RECT& rect) {
  std::ostringstream out;
  out << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom << ")";
  return out.str();
}

// ---- Strings and paths ----------------------------------------------------

inline std::string WideToAnsi(const std::wstring& wide) {
  if (wide.empty())
    return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string ansi(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &ansi[0], size,
                      nullptr, nullptr);
  return ansi;
}

inline std::wstring AnsiToWide(const std::string& ansi) {
  if (ansi.empty())
    return std::wstring();
  int size =
      MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), &wide[0], size);
  return wide;
}

inline std::string TrimTrailingSeparators(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
    path.pop_back();
  return path;
}

// ---- Talking to another process's windows ---------------------------------

// Sends a message to a window of another process with a time bound.
// Wine's SendMessageTimeout returns 0 also when the answer is 0; only the
// error code tells a time-out from that.
inline bool SendBounded(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DWORD_PTR answer = 0;
  SetLastError(ERROR_SUCCESS);
  if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG,
                           ScaledMs(kSendTimeoutMs), &answer) &&
      GetLastError() != ERROR_SUCCESS)
    return false;
  if (result)
    *result = static_cast<LRESULT>(answer);
  return true;
}

// ---- Handle owners --------------------------------------------------------

// Owns one handle and hands it to Close at the end of the scope, unless the
// call that made it failed: NULL, or INVALID_HANDLE_VALUE for the file
// functions that fail so.
template <typename T, auto Close, bool kFailsAsInvalidHandleValue = false>
class ScopedHandle {
 public:
  explicit ScopedHandle(T handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (ok())
      Close(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  T get() const { return handle_; }
  bool ok() const {
    return kFailsAsInvalidHandleValue ? handle_ != INVALID_HANDLE_VALUE : handle_ != nullptr;
  }

 private:
  T handle_;
};

using ScopedFile = ScopedHandle<HANDLE, CloseHandle, true>;
using ScopedFindHandle = ScopedHandle<HANDLE, FindClose, true>;
using ScopedGdiObject = ScopedHandle<HGDIOBJ, DeleteObject>;
using ScopedMemoryDC = ScopedHandle<HDC, DeleteDC>;
using ScopedDataModule = ScopedHandle<HMODULE, FreeLibrary>;

class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ScopedWindowDC() {
    if (dc_)
      ReleaseDC(hwnd_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a DC for the life of the scope.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelection() {
    if (old_)
      SelectObject(dc_, old_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;
  bool ok() const { return old_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace internal
}  // namespace e2e
