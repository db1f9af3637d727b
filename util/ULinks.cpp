#include "util/ULinks.h"

#include "util/UFolderIdentity.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/UScoped.h"
#include "util/UText.h"

namespace {

// `folder` (a final path) followed by the rest of the way. A drive's root
// ends with its backslash ("\\?\C:\"), a folder does not.
AnsiString FinalPathBelow(const AnsiString& folder, const AnsiString& rest) {
    AnsiString path = folder;
    if (!EndsWithSeparator(path)) path += '\\';
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
    size_t start = RelativeStart(base, path);
    if (start == 0) return false;
    // Every folder on the way, and the entry itself, by its attributes: a
    // link to a folder is marked as one everywhere.
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    for (size_t end = start; end <= path.Length();) {
        // Where each name below the base ends.
        while (end < path.Length() && !IsSeparator(path[end])) end += CharSize(path.CStr(), path.Length(), end);
        attributes = GetFileAttributesA(AnsiString(path.CStr(), end).CStr());
        if (attributes == INVALID_FILE_ATTRIBUTES) return false;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
        while (end < path.Length() && IsSeparator(path[end])) ++end;
        if (end == path.Length()) break;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    // A file that is there: by where it really lies.
    AnsiString finalBase, final;
    if (!CachedFinalPath(base, &finalBase) || !FinalPath(path, &final)) return true;
    return !SameFileName(final, FinalPathBelow(finalBase, AnsiString(path.CStr() + start)));
}

bool LinkInProductFolders(const AnsiString& path) {
    if (!InstallDir.IsEmpty() && LinkOnTheWay(InstallDir, path)) return true;
    for (const TBorlandProduct& product : BorlandProducts) {
        if (!product.RootDir.IsEmpty() && LinkOnTheWay(product.RootDir, path)) return true;
    }
    return false;
}

bool DeleteFileNoFollow(const AnsiString& path, const AnsiString& finalFolder, bool evenReadOnly) {
    // The check and the deletion go through one handle: nothing can be put in
    // the file's place in between. Windows opens a link itself here, whose
    // final path is its own. The attributes too, where a read-only file of
    // the product's is to go.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    TScopedFile file(evenReadOnly ? CreateFileA(path.CStr(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                                share, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)
                                  : INVALID_HANDLE_VALUE);
    if (!file.IsValid()) {
        file.Reset(CreateFileA(path.CStr(), DELETE, share, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    }
    if (!file.IsValid()) return false;
    AnsiString final;
    if (finalFolder.IsEmpty() || !FinalPathOfHandle(file.Get(), &final) ||
        !SameFileName(final, FinalPathBelow(finalFolder, LastName(path)))) {
        SetLastError(ErrorLinkOnTheWay);
        return false;
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition)) return true;
    FILE_BASIC_INFO basic;
    if (!evenReadOnly || GetLastError() != ERROR_ACCESS_DENIED ||
        !GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof basic) &&
           SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition);
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
    BY_HANDLE_FILE_INFORMATION information;
    AnsiString finalFolder, final;
    if (ParentPath(path).IsEmpty() || !GetFileInformationByHandle(file->Get(), &information) ||
        (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        !FinalPath(ParentPath(path), &finalFolder) || !FinalPathOfHandle(file->Get(), &final) ||
        !SameFileName(final, FinalPathBelow(finalFolder, LastName(path)))) {
        file->Close();
        SetLastError(ErrorLinkOnTheWay);
        return false;
    }
    return true;
}
