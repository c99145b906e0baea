// The process entry of SETUP.EXE, in place of the C runtime's start-up: it
// constructs the objects of static storage, hands over to WinMain, destroys
// them again and ends the process with WinMain's result. KERNEL32 only.
#include <windows.h>

#include <stdlib.h>

#include "rt/system_library.h"

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine,
                              int nCmdShow);

typedef void(__cdecl* PFV)(void);

// Both lists come from the linker's default script: -1, the entries, 0.
extern "C" PFV __CTOR_LIST__[];
extern "C" PFV __DTOR_LIST__[];

namespace {

// The C standard asks for at least 32. g++ registers one function here for
// each object of static storage that has a destructor (SETUP.EXE has two).
// A 33rd is refused with -1, and g++'s registration does not look at the
// result: that object would never be destroyed, and nothing would say so.
const int kMaxExitFunctions = 32;
PFV s_exitFunctions[kMaxExitFunctions];
int s_nExitFunctions = 0;

// g++ emits an object's constructor into .ctors, or into .ctors.NNNNN with
// NNNNN = 65535 - init_priority; the linker sorts those by name after the
// plain .ctors. So the list runs from its end to its start, as gcc's own
// start-up code walks it: the lowest priority number first, the objects of
// default priority last.
void RunConstructors() {
  int n = 0;
  while (__CTOR_LIST__[n + 1] != 0)
    ++n;
  for (; n > 0; --n)
    __CTOR_LIST__[n]();
}

// Destructors of objects of static storage were registered with atexit when
// each object was constructed; the last registered runs first. The .dtors
// list (functions marked __attribute__((destructor)); SETUP.EXE has none)
// runs after them. The runtime ran it before them: it registered its walk of
// the list with atexit after the last constructor, so that walk came first.
void RunDestructors() {
  while (s_nExitFunctions > 0)
    s_exitFunctions[--s_nExitFunctions]();
  for (PFV* ppfn = __DTOR_LIST__ + 1; *ppfn != 0; ++ppfn)
    (*ppfn)();
}

// How the program's first window is to be shown: as the starting program
// asked through STARTUPINFO, or the system's default.
int StartupShowCommand() {
  STARTUPINFOA si;
  si.cb = sizeof(si);
  GetStartupInfoA(&si);
  return (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
}

// The x87 unit as the C runtime left it: fninit, 64-bit precision. Windows
// starts a program in 53-bit precision, where the progress dialog would show
// 3 bytes of 200 as 2%; under the runtime, and so in the unit tests, it is 1%.
void ResetFloatingPointUnit() { __asm__ __volatile__("fninit"); }

// GetProcAddress's FARPROC says nothing of the real signature; going through
// void* states that we know it.
template <typename PFN>
PFN KernelFunction(HMODULE hKernel, LPCSTR pszName) {
  return reinterpret_cast<PFN>(reinterpret_cast<void*>(GetProcAddress(hKernel, pszName)));
}

// The theme library delay-loads msimg32 when it first draws a themed scroll
// bar. Wine's loader (10.0) looks for a delay-loaded DLL in the program's
// directory first, past SetDefaultDllDirectories (measured with a DLL of that
// name beside the program and Wine told to prefer it). Once the system's copy
// is loaded, a load by bare name takes it. The result is not looked at:
// without it, nothing is worse than before.
void PreloadDelayLoadedSystemDll() { LoadSystemLibrary("msimg32.dll"); }

// A DLL loaded by bare name, by the program or by a system DLL on its behalf
// (the theme library with the first window, the common dialogs and what they
// bring), is looked for in the program's own directory first, and in the
// current one too. SETUP.EXE is run from directories that others can write
// to (downloads, shares, removable disks): a DLL placed there would run in
// the user's session. So, before anything else runs (the static objects make
// a window), DLLs come from the system directory alone. Both functions are
// looked up: Windows 95 and NT 3.51 have neither, and must start the program.
void LoadDllsFromSystemDirectoryOnly() {
  typedef BOOL(WINAPI * PFN_SET_DEFAULT_DLL_DIRECTORIES)(DWORD);
  typedef BOOL(WINAPI * PFN_SET_DLL_DIRECTORY)(LPCSTR);
  HMODULE hKernel = GetModuleHandleA("KERNEL32");
  // Windows 8 and later; Vista and 7 with the update that added it.
  PFN_SET_DEFAULT_DLL_DIRECTORIES pfnSetDefaultDllDirectories =
      KernelFunction<PFN_SET_DEFAULT_DLL_DIRECTORIES>(hKernel, "SetDefaultDllDirectories");
  // A call that fails leaves the search as on a system without the function:
  // the next fallback applies. The user could do nothing about it, so no
  // message.
  if (pfnSetDefaultDllDirectories && pfnSetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    PreloadDelayLoadedSystemDll();
    return;
  }
  // XP SP1 and later: "" takes the current directory out of the search; the
  // program's own directory stays in it (docs/dll-search.md).
  PFN_SET_DLL_DIRECTORY pfnSetDllDirectory =
      KernelFunction<PFN_SET_DLL_DIRECTORY>(hKernel, "SetDllDirectoryA");
  if (pfnSetDllDirectory)
    pfnSetDllDirectory("");  // failing, it leaves the search as it was; nothing more to try
}

}  // namespace

extern "C" int __cdecl atexit(PFV pfn) {
  if (s_nExitFunctions == kMaxExitFunctions)
    return -1;
  s_exitFunctions[s_nExitFunctions++] = pfn;
  return 0;
}

// The process entry (rt/CMakeLists.txt names it to the linker). The program
// takes no arguments: WinMain gets an empty command line.
extern "C" void __cdecl RtStartup(void) {
  LoadDllsFromSystemDirectoryOnly();
  ResetFloatingPointUnit();
  RunConstructors();
  char szNoArguments[] = "";
  int nExitCode = WinMain(GetModuleHandleA(NULL), NULL, szNoArguments, StartupShowCommand());
  RunDestructors();
  ExitProcess((UINT)nExitCode);
}
