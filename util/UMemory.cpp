// Allocation for the programs. The library's operator new would bring in the
// exception machinery (about 100 KB) only to throw on exhaustion; here
// running out of memory ends the process instead.
#include <stddef.h>
#include <stdlib.h>
#include <windows.h>

#include "util/UOutOfMemory.h"

void EndOutOfMemory() { ExitProcess(ExitOutOfMemory); }

void* operator new(size_t size) {
    void* p = malloc(size ? size : 1);
    if (!p) EndOutOfMemory();
    return p;
}

void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }

// Called only if an abstract page operation were ever invoked; the library's
// own version would bring in its verbose terminate handler.
extern "C" void __cxa_pure_virtual() { abort(); }
