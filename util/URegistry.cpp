#include "util/URegistry.h"

#include "util/UScoped.h"
#include "util/UText.h"

uint32_t PlatformId = 0;

namespace {

// Rights of the tree deletion: enumerate, query, delete below.
const REGSAM TreeAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
// A registry key name has at most 255 characters.
const DWORD MaxKeyName = 256;

HKEY RootKey(uint32_t root) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)); }

bool OpenKey(uint32_t root, const char* key, REGSAM access, TScopedRegKey* opened) {
    return RegOpenKeyExA(RootKey(root), key, 0, access, opened->Receive()) == ERROR_SUCCESS;
}

bool CreateKey(uint32_t root, const char* key, TScopedRegKey* created) {
    return RegCreateKeyExA(RootKey(root), key, 0, nullptr, 0, KEY_WRITE, nullptr,
                           created->Receive(), nullptr) == ERROR_SUCCESS;
}

bool WriteValue(uint32_t root, const char* key, const char* name, DWORD type,
                const void* data, DWORD size) {
    TScopedRegKey opened;
    if (!CreateKey(root, key, &opened)) return false;
    return RegSetValueExA(opened.Get(), name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

}  // namespace

void DetectPlatform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version)) PlatformId = version.dwPlatformId;
}

bool ReadRegString(uint32_t root, const char* key, const char* name, AnsiString* text) {
    *text = AnsiString();
    TScopedRegKey opened;
    if (!OpenKey(root, key, KEY_READ, &opened)) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(opened.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    AnsiString data;
    data.SetLength(size);
    DWORD read = size;
    if (RegQueryValueExA(opened.Get(), name, nullptr, &type,
                         reinterpret_cast<BYTE*>(data.Data()), &read) != ERROR_SUCCESS) {
        return false;
    }
    *text = RegStringText(data.CStr(), read <= size ? read : size);
    return true;
}

bool ReadRegDword(uint32_t root, const char* key, const char* name, uint32_t* value) {
    *value = 0;
    TScopedRegKey opened;
    if (!OpenKey(root, key, KEY_READ, &opened)) return false;
    DWORD data = 0, size = sizeof data;
    if (RegQueryValueExA(opened.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data),
                         &size) != ERROR_SUCCESS) {
        return false;
    }
    *value = data;
    return true;
}

bool WriteRegString(uint32_t root, const char* key, const char* name, const char* text) {
    return WriteValue(root, key, name, REG_SZ, text, lstrlenA(text) + 1);
}

bool WriteRegDword(uint32_t root, const char* key, const char* name, uint32_t value) {
    DWORD data = value;
    return WriteValue(root, key, name, REG_DWORD, &data, sizeof data);
}

bool CreateRegKey(uint32_t root, const char* key) {
    TScopedRegKey created;
    return CreateKey(root, key, &created);
}

bool DeleteRegValue(uint32_t root, const char* key, const char* name) {
    TScopedRegKey opened;
    if (!OpenKey(root, key, KEY_WRITE, &opened)) return false;
    return RegDeleteValueA(opened.Get(), name) == ERROR_SUCCESS;
}

void DeleteRegSubKeys(HKEY key) {
    DWORD subKeys = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    // From the last index down, so that deleting does not shift the ones to come.
    for (DWORD index = subKeys; index-- > 0;) {
        char name[MaxKeyName];
        DWORD length = MaxKeyName;
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            continue;
        }
        TScopedRegKey subKey;
        if (RegOpenKeyExA(key, name, 0, TreeAccess, subKey.Receive()) != ERROR_SUCCESS) continue;
        // Windows 9x deletes a whole tree at once; NT deletes only empty keys.
        if (PlatformId == VER_PLATFORM_WIN32_NT) DeleteRegSubKeys(subKey.Get());
        RegDeleteKeyA(key, name);
    }
}

bool DeleteRegKeyTree(uint32_t root, const char* key) {
    // An empty path would open the root itself, and empty it.
    if (!key || !key[0]) return false;
    {
        TScopedRegKey opened;
        if (!OpenKey(root, key, TreeAccess, &opened)) return false;
        DeleteRegSubKeys(opened.Get());
    }
    AnsiString rest(key);
    for (;;) {
        size_t slash = FindLastChar(rest, '\\');
        if (slash == 0) break;
        AnsiString parent(rest.CStr(), slash - 1);
        AnsiString child(rest.CStr() + slash);
        TScopedRegKey opened;
        if (!OpenKey(root, parent.CStr(), TreeAccess, &opened)) break;
        DWORD subKeys = 0, values = 0;
        if (RegQueryInfoKeyA(opened.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        RegDeleteKeyA(opened.Get(), child.CStr());
        if (values > 0 || subKeys > 1) break;
        rest = parent;
    }
    return true;
}
