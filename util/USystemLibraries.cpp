#include "util/USystemLibraries.h"

namespace {

// Set once SetDefaultDllDirectories has taken effect.
bool SystemSearchOnly = false;

// What the programs and the system libraries they call load by name besides
// the libraries that Windows always takes from its own folder.
const char* const LoadedByName[] = {"version.dll", "comctl32.dll", "uxtheme.dll",
                                    "dwmapi.dll",  "cryptbase.dll", "userenv.dll"};

}  // namespace

void RestrictLibrarySearch() {
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SystemSearchOnly = true;
        return;
    }
    SetDllDirectoryA("");
    for (const char* name : LoadedByName) LoadSystemLibrary(name);
}

HMODULE LoadSystemLibrary(const char* name) {
    if (SystemSearchOnly) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    char path[MAX_PATH];
    UINT folder = GetSystemDirectoryA(path, MAX_PATH);
    int length = lstrlenA(name);
    if (folder == 0 || folder + 1 + length >= MAX_PATH) return nullptr;
    path[folder] = '\\';
    lstrcpyA(path + folder + 1, name);
    // Its own imports are then looked for beside it first, in the system folder.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
