#include "util/UTextFile.h"

#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/UScoped.h"
#include "util/USecurity.h"
#include "util/UText.h"

namespace {

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// Writes all of `bytes` and flushes them to the disk: 0 or the Windows error.
uint32_t WriteWhole(HANDLE file, const AnsiString& bytes) {
    DWORD written = 0;
    if (!bytes.IsEmpty() &&
        !WriteFile(file, bytes.CStr(), static_cast<DWORD>(bytes.Length()), &written, nullptr)) {
        return GetLastError();
    }
    if (written != bytes.Length()) return ERROR_DISK_FULL;
    return FlushFileBuffers(file) ? 0 : GetLastError();
}

// Creates the new file beside the target, named after it with the
// product's marker, so that one left by a run that was ended is known again
// and removed: CREATE_NEW with FILE_FLAG_OPEN_REPARSE_POINT fails for
// anything at the name, a link planted there included, so that nothing but a
// file of our own is written. Nobody else may write it; the system may move
// it.
uint32_t CreateFresh(const AnsiString& path, AnsiString* fresh, TScopedFile* file) {
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 8 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++attempt) {
        if (!RandomName((path + RewriteMarker).CStr(), fresh)) return ERROR_GEN_FAILURE;
        *fresh += ".tmp";
        file->Reset(CreateFileA(fresh->CStr(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        error = file->IsValid() ? 0 : GetLastError();
    }
    return error;
}

// Puts the new file, written and held as `file`, in place of the file at
// `path`. ReplaceFileA keeps the target's attributes, owner, permissions and
// streams, but refuses a new file that any handle with access to its data
// holds (Wine with ERROR_SHARING_VIOLATION, whatever the sharing), so `file`
// is closed first. Should the replacement fail, `file` is the new file again
// if it is still ours, for its disposal.
uint32_t PutInPlace(const AnsiString& path, const AnsiString& fresh, TScopedFile* file) {
    BY_HANDLE_FILE_INFORMATION own, found;
    if (!GetFileInformationByHandle(file->Get(), &own)) return GetLastError();
    // A target held open fails here rather than inside ReplaceFileA, which
    // under Wine then leaves a file of its own beside it.
    TScopedFile target(CreateFileA(path.CStr(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!target.IsValid()) return GetLastError();
    target.Close();
    file->Close();
    if (ReplaceFileA(path.CStr(), fresh.CStr(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)) return 0;
    DWORD error = GetLastError();
    // The target has gone already: the new bytes are better than none.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT && MoveFileExA(fresh.CStr(), path.CStr(), MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    file->Reset(CreateFileA(fresh.CStr(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file->IsValid() && (!GetFileInformationByHandle(file->Get(), &found) || !SameFile(own, found))) file->Close();
    return error;
}

}  // namespace

int32_t ReadWholeFile(HANDLE file, AnsiString* content, uint32_t limit) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return tfCannotRead;
    if (size.QuadPart > limit) return tfTooLarge;
    DWORD length = static_cast<DWORD>(size.QuadPart);
    content->SetLength(length);
    DWORD done = 0;
    while (done < length) {
        DWORD read = 0;
        if (!ReadFile(file, content->Data() + done, length - done, &read, nullptr) || read == 0) {
            return tfCannotRead;
        }
        done += read;
    }
    return 0;
}

int32_t ReadWholeFile(const AnsiString& path, AnsiString* content, bool* missing, uint32_t limit) {
    if (missing) *missing = false;
    TScopedFile file(CreateFileA(path.CStr(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        DWORD error = GetLastError();
        if (missing) *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return tfCannotOpen;
    }
    return ReadWholeFile(file.Get(), content, limit);
}

int32_t ReadTextFile(const AnsiString& path, AnsiString* content, bool* missing) {
    int32_t result = ReadWholeFile(path, content, missing, MaxTextFileBytes);
    if (result != 0) return result;
    return IsEditableText(*content) ? 0 : tfNotText;
}

uint32_t ReplaceFileWhole(const AnsiString& path, const AnsiString& bytes) {
    AnsiString fresh;
    TScopedFile file(INVALID_HANDLE_VALUE);
    uint32_t error = CreateFresh(path, &fresh, &file);
    if (error != 0) return error;
    error = WriteWhole(file.Get(), bytes);
    if (error == 0 && GetFileAttributesA(path.CStr()) == INVALID_FILE_ATTRIBUTES) {
        // Nothing to keep: moved while still held, so that nobody can change
        // it on the way. Not over a file that has appeared meanwhile.
        if (!MoveFileExA(fresh.CStr(), path.CStr(), MOVEFILE_WRITE_THROUGH)) error = GetLastError();
    } else if (error == 0) {
        error = PutInPlace(path, fresh, &file);
    }
    if (error != 0 && file.IsValid()) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition);
    }
    return error;
}

namespace {

// `folder` ends with its separator.
void RemoveRewriteLeftoversIn(const AnsiString& folder) {
    AnsiString finalFolder;
    if (LinkInProductFolders(folder) || !FinalPath(folder, &finalFolder)) return;
    WIN32_FIND_DATAA found;
    TScopedFind listing((folder + "*").CStr(), &found);
    if (!listing.IsValid()) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsRewriteLeftover(found.cFileName)) {
            DeleteFileNoFollow(folder + found.cFileName, finalFolder);
        }
    } while (listing.Next(&found));
}

}  // namespace

void RemoveRewriteLeftovers() {
    if (!InstallDir.IsEmpty()) RemoveRewriteLeftoversIn(InstallDir + "\\");
    for (const TBorlandProduct& product : BorlandProducts) {
        if (!product.RootDir.IsEmpty()) RemoveRewriteLeftoversIn(product.RootDir + "\\Help\\");
    }
}
