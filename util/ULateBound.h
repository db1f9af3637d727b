// Calls into system libraries that only the wizard needs (the shell, the
// common controls), bound when first used: every program start under Wine
// loads all imported libraries with their dependencies, which would cost the
// extraction mode and the uninstaller time and memory for nothing.
#pragma once

#include <windows.h>

#include "util/USystemLibraries.h"

// The function `name` of `library` from the system folder, or null when it
// cannot be had.
template <typename Function>
Function LateBound(const char* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}
