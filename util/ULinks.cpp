#include "ULinks.h"

#include "UPaths.h"
#include "UProducts.h"
#include "UScoped.h"

namespace {

// Where the part of `path` below `base` starts, compared without regard to
// case; 0 when it is not below. (The system's compare keeps the window
// library out of the extraction mode, which LowerCase would load.)
size_t StartBelow(const AnsiString& base, const AnsiString& path) {
    int length = static_cast<int>(base.Length());
    if (path.Length() < base.Length() ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, base.CStr(), length, path.CStr(), length) != CSTR_EQUAL) {
        return 0;
    }
    return RelativeStart(base, base + (path.CStr() + length));
}

bool IsLinkAttribute(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whether the final path of an entry is the final path of the folder it
// was reached from, followed by the rest of the way.
bool FinalPathIs(const AnsiString& path, const AnsiString& finalBase, const AnsiString& rest) {
    AnsiString final;
    if (!FinalPath(path, &final)) return false;
    // A drive's root ends with its backslash ("\\?\\C:\\"), a folder does not.
    AnsiString expected = finalBase;
    if (expected.Last() != '\\') expected += '\\';
    expected += CollapsedSeparators(rest);
    return lstrcmpiA(final.CStr(), expected.CStr()) == 0;
}

}  // namespace

bool FinalPath(const AnsiString& path, AnsiString* final) {
    // No access asked for: a file that another program holds open without
    // sharing can still be looked at.
    TScopedFile file(CreateFileA(path.CStr(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.IsValid()) return false;
    char buffer[1024];
    DWORD length = GetFinalPathNameByHandleA(file.Get(), buffer, sizeof buffer, 0);
    if (length == 0 || length >= sizeof buffer) return false;
    *final = AnsiString(buffer, length);
    return true;
}

bool LinkOnTheWay(const AnsiString& base, const AnsiString& path) {
    size_t start = StartBelow(base, path);
    if (start == 0) return false;
    // Every folder on the way, and the entry itself, by its attributes.
    size_t deepest = 0;
    for (size_t end = start; end <= path.Length(); ++end) {
        if (end < path.Length() && path[end] != '\\' && path[end] != '/') continue;
        if (path[end - 1] == '\\' || path[end - 1] == '/') continue;
        DWORD attributes = GetFileAttributesA(AnsiString(path.CStr(), end).CStr());
        if (attributes == INVALID_FILE_ATTRIBUTES) break;
        if (IsLinkAttribute(attributes)) return true;
        deepest = end;
    }
    if (deepest == 0) return false;
    // Then the deepest part that exists, by where it really lies.
    AnsiString finalBase;
    if (!FinalPath(base, &finalBase)) return false;
    AnsiString reached(path.CStr(), deepest);
    return !FinalPathIs(reached, finalBase, AnsiString(path.CStr() + start, deepest - start));
}

bool LinkInProductFolders(const AnsiString& path) {
    if (!InstallDir.IsEmpty() && LinkOnTheWay(InstallDir, path)) return true;
    for (const TBorlandProduct& product : BorlandProducts) {
        if (!product.RootDir.IsEmpty() && LinkOnTheWay(product.RootDir, path)) return true;
    }
    return false;
}

bool EntryIsLink(const AnsiString& folder, const AnsiString& finalFolder, const WIN32_FIND_DATAA& found) {
    if (IsLinkAttribute(found.dwFileAttributes)) return true;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || finalFolder.IsEmpty()) return false;
    // A file that cannot even be looked at may lead nowhere: left alone.
    return !FinalPathIs(JoinPath(folder, found.cFileName), finalFolder, found.cFileName);
}

HANDLE CreateFileForWriting(const AnsiString& path) {
    HANDLE file = CreateFileA(path.CStr(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return file;
    if (GetFileAttributesA(path.CStr()) == INVALID_FILE_ATTRIBUTES) {
        SetLastError(ErrorLinkOnTheWay);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path.CStr(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}
