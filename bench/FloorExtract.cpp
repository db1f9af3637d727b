// The floor of the extraction benchmark: the least a Win32 program can do to
// write the same directories and files, from the same resources, below the
// current directory. No script walk, no path helpers, no checks.
#include <windows.h>

namespace {

struct Entry {
    const char* name;
    unsigned id;  // 0 for a directory
};

const Entry Entries[] = {
#include "floor_list.inc"
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH * 2];
    DWORD base = GetCurrentDirectoryA(MAX_PATH, path);
    if (base == 0 || base >= MAX_PATH) return 1;
    path[base++] = '\\';
    for (const Entry& entry : Entries) {
        lstrcpynA(path + base, entry.name, MAX_PATH);
        if (entry.id == 0) {
            CreateDirectoryA(path, nullptr);
            continue;
        }
        HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(entry.id), "vllib");
        DWORD size = SizeofResource(nullptr, resource);
        const void* bytes = LockResource(LoadResource(nullptr, resource));
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        DWORD written;
        WriteFile(file, bytes, size, &written, nullptr);
        CloseHandle(file);
    }
    return 0;
}
