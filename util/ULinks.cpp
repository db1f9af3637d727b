#include "ULinks.h"

#include "UFolderIdentity.h"
#include "UPaths.h"
#include "UProducts.h"
#include "UScoped.h"
#include "UText.h"

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

// `folder` (a final path) followed by the rest of the way. A drive's root
// ends with its backslash ("\\?\C:\"), a folder does not.
AnsiString FinalPathBelow(const AnsiString& folder, const AnsiString& rest) {
    AnsiString path = folder;
    if (path.Last() != '\\') path += '\\';
    path += CollapsedSeparators(rest);
    return path;
}

// The final paths of the last few folders asked for: the install folder and
// an IDE's folder are asked for once per item. A folder that has become a
// link meanwhile no longer matches, and is refused all the same. A folder
// held for the run has its one final path.
struct TCachedFolder {
    AnsiString Folder, Final;
};
// At namespace scope: a static inside the function would bring in the
// library's guard for its construction.
TCachedFolder FinalPathCache[4];
unsigned NextCached = 0;

bool CachedFinalPath(const AnsiString& folder, AnsiString* final) {
    if (HeldFinalPath(folder, final)) return true;
    for (const TCachedFolder& entry : FinalPathCache) {
        if (!entry.Folder.IsEmpty() && entry.Folder == folder) {
            *final = entry.Final;
            return true;
        }
    }
    if (!FinalPath(folder, final)) return false;
    FinalPathCache[NextCached] = TCachedFolder{folder, *final};
    NextCached = (NextCached + 1) % 4;
    return true;
}

}  // namespace

bool FinalPathOfHandle(HANDLE file, AnsiString* final) {
    char buffer[1024];
    DWORD length = GetFinalPathNameByHandleA(file, buffer, sizeof buffer, 0);
    if (length == 0 || length >= sizeof buffer) return false;
    *final = AnsiString(buffer, length);
    return true;
}

bool FinalPath(const AnsiString& path, AnsiString* final) {
    // No access asked for: a file that another program holds open without
    // sharing can still be looked at.
    TScopedFile file(CreateFileA(path.CStr(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.IsValid() && FinalPathOfHandle(file.Get(), final);
}

bool IsLink(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool LinkOnTheWay(const AnsiString& base, const AnsiString& path) {
    size_t start = StartBelow(base, path);
    if (start == 0) return false;
    // Every folder on the way, and the entry itself, by its attributes: a
    // link to a folder is marked as one everywhere.
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    for (size_t end = start; end <= path.Length(); ++end) {
        if (end < path.Length() && path[end] != '\\' && path[end] != '/') continue;
        if (path[end - 1] == '\\' || path[end - 1] == '/') continue;
        attributes = GetFileAttributesA(AnsiString(path.CStr(), end).CStr());
        if (attributes == INVALID_FILE_ATTRIBUTES) return false;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    // A file that is there: by where it really lies.
    AnsiString finalBase, final;
    if (!CachedFinalPath(base, &finalBase) || !FinalPath(path, &final)) return true;
    return lstrcmpiA(final.CStr(), FinalPathBelow(finalBase, AnsiString(path.CStr() + start)).CStr()) != 0;
}

bool LinkInProductFolders(const AnsiString& path) {
    if (!InstallDir.IsEmpty() && LinkOnTheWay(InstallDir, path)) return true;
    for (const TBorlandProduct& product : BorlandProducts) {
        if (!product.RootDir.IsEmpty() && LinkOnTheWay(product.RootDir, path)) return true;
    }
    return false;
}

bool DeleteFileNoFollow(const AnsiString& path, const AnsiString& finalFolder) {
    // The check and the deletion go through one handle: nothing can be put in
    // the file's place in between. Windows opens a link itself here, whose
    // final path is its own.
    TScopedFile file(CreateFileA(path.CStr(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.IsValid()) return false;
    size_t slash = FindLastChar(path, '\\');
    AnsiString final;
    if (finalFolder.IsEmpty() || !FinalPathOfHandle(file.Get(), &final) ||
        lstrcmpiA(final.CStr(), FinalPathBelow(finalFolder, AnsiString(path.CStr() + slash)).CStr()) != 0) {
        SetLastError(ErrorLinkOnTheWay);
        return false;
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
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

bool OpenForReadingNoFollow(const AnsiString& path, TScopedFile* file) {
    file->Reset(CreateFileA(path.CStr(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file->IsValid()) return false;
    size_t slash = FindLastChar(path, '\\');
    BY_HANDLE_FILE_INFORMATION information;
    AnsiString finalFolder, final;
    if (slash < 2 || !GetFileInformationByHandle(file->Get(), &information) ||
        (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        !FinalPath(AnsiString(path.CStr(), slash - 1), &finalFolder) || !FinalPathOfHandle(file->Get(), &final) ||
        lstrcmpiA(final.CStr(), FinalPathBelow(finalFolder, AnsiString(path.CStr() + slash)).CStr()) != 0) {
        file->Close();
        SetLastError(ErrorLinkOnTheWay);
        return false;
    }
    return true;
}
