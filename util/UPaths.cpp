#include "util/UPaths.h"

#include <string.h>
#include <windows.h>

#include "util/UProducts.h"
#include "util/UText.h"

namespace {

// Asks one of the system's directory functions into a MAX_PATH buffer. A
// result that does not fit the buffer leaves it unfilled, so it counts as a
// failure like a zero result.
template <typename Query>
AnsiString SystemDirectory(Query query) {
    char buffer[MAX_PATH];
    UINT length = query(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return AnsiString();
    return AnsiString(buffer);
}

const TBorlandProduct* CurrentIde() {
    if (CurrentIdeIndex < 1 || CurrentIdeIndex > BorlandProductCount) return nullptr;
    return &BorlandProducts[CurrentIdeIndex - 1];
}

}  // namespace

AnsiString GetKindDirectory(uint32_t kind) {
    switch (kind) {
    case dkWindows:
        return SystemDirectory([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
    case dkIdeRoot:
        return CurrentIde() ? CurrentIde()->RootDir : AnsiString();
    case dkInstallDir:
        return InstallDir;
    case dkIdeHelp:
        return CurrentIde() ? CurrentIde()->RootDir + "\\Help\\" : AnsiString();
    case dkTemp:
        return SystemDirectory([](char* b, UINT n) { return UINT(GetTempPathA(n, b)); });
    case dkSystem:
        return SystemDirectory([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
    default:
        return AnsiString();
    }
}

uint32_t CreateDirectoryPath(const char* path, AnsiString* created, SECURITY_ATTRIBUTES* security) {
    if (created) *created = AnsiString();
    char buffer[MaxDirectoryPath + 1];
    size_t length = strlen(path);
    if (length > MaxDirectoryPath) return ERROR_FILENAME_EXCED_RANGE;
    memcpy(buffer, path, length + 1);

    // Each prefix that ends at a separator or at the end of the text is
    // created in turn; "C:" alone is a drive, not a directory.
    for (size_t i = DirectoryPathStart(AnsiString(path, length)); i <= length;) {
        char c = buffer[i];
        size_t size = i < length ? CharSize(buffer, length, i) : 1;
        if (size == 1 && (c == '\0' || IsSeparator(c)) && !(i > 0 && buffer[i - 1] == ':')) {
            buffer[i] = '\0';
            DWORD error = CreateDirectoryA(buffer, security) ? 0 : GetLastError();
            if (error == 0 && created && created->IsEmpty()) *created = buffer;
            buffer[i] = c;
            if (error != 0 && error != ERROR_ALREADY_EXISTS) return error;
        }
        i += size;
    }
    return 0;
}

void RemoveCreatedFolders(const AnsiString& path, const AnsiString& created) {
    if (created.IsEmpty()) return;
    for (AnsiString folder = path; !folder.IsEmpty() && RemoveDirectoryA(folder.CStr()) && folder != created;) {
        folder = ParentPath(folder);
    }
}
