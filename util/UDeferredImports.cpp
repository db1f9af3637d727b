// Binds a call that setup.exe defers until it is first made (see
// UDeferredImports.S).
#include <windows.h>

extern "C" void* WINAPI BindDeferredImport(const char* library, const char* name, void** slot) {
    HMODULE module = LoadLibraryA(library);
    FARPROC function = module ? GetProcAddress(module, name) : nullptr;
    // Without the system's window library there is nothing the program can
    // show or do; it ends with the loader's own code for a missing function.
    if (!function) ExitProcess(ERROR_PROC_NOT_FOUND);
    *slot = reinterpret_cast<void*>(function);
    return *slot;
}
