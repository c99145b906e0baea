// Global allocation on the process heap. Defining these here keeps the
// runtime's exception-throwing operator new (and everything it drags in) out
// of the program: we build without exceptions, and a failed allocation ends
// the process with a message instead of returning a null the callers never
// check.
#include <windows.h>

#include <stddef.h>

namespace {

void* AllocateOrDie(size_t nSize) {
  void* p = HeapAlloc(GetProcessHeap(), 0, nSize ? nSize : 1);
  if (p == NULL)
    FatalAppExitA(0, "Out of memory");
  return p;
}

}  // namespace

void* operator new(size_t nSize) { return AllocateOrDie(nSize); }
void* operator new[](size_t nSize) { return AllocateOrDie(nSize); }
void operator delete(void* p) noexcept {
  if (p != NULL)
    HeapFree(GetProcessHeap(), 0, p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

// A pure virtual call is a bug; end the process rather than pull in the
// runtime's terminate machinery.
extern "C" void __cxa_pure_virtual() { FatalAppExitA(0, "Pure virtual function call"); }
