#include "util/UTextFile.h"

#include <stddef.h>
#include <stdlib.h>

#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/UScoped.h"
#include "util/USecurity.h"
#include "util/UText.h"

namespace {

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
uint32_t CreateFresh(const AnsiString& path, TScopedFile* file) {
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 8 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++attempt) {
        AnsiString fresh;
        if (!RandomName((path + RewriteMarker).CStr(), &fresh)) return ERROR_GEN_FAILURE;
        fresh += ".tmp";
        file->Reset(CreateFileA(fresh.CStr(), GENERIC_WRITE | DELETE | WRITE_DAC, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        error = file->IsValid() ? 0 : GetLastError();
    }
    return error;
}

// Gives the file held as `file` the name `path`, over a file there when
// `replace` says so, in one step: 0, or the Windows error. By its handle, so
// that the file renamed is the one written, whatever was done meanwhile to
// the names in its folder. The handle is closed once it has the name.
uint32_t RenameHeld(TScopedFile* file, const AnsiString& path, bool replace) {
    int characters = MultiByteToWideChar(CP_ACP, 0, path.CStr(), -1, nullptr, 0);
    if (characters <= 0) return GetLastError();
    size_t size = offsetof(FILE_RENAME_INFO, FileName) + sizeof(WCHAR) * static_cast<size_t>(characters);
    auto* rename = static_cast<FILE_RENAME_INFO*>(calloc(1, size));
    if (!rename) return ERROR_NOT_ENOUGH_MEMORY;
    rename->ReplaceIfExists = replace;
    rename->FileNameLength = static_cast<DWORD>(sizeof(WCHAR) * static_cast<size_t>(characters - 1));
    MultiByteToWideChar(CP_ACP, 0, path.CStr(), -1, rename->FileName, characters);
    uint32_t error = SetFileInformationByHandle(file->Get(), FileRenameInfo, rename, static_cast<DWORD>(size))
                         ? 0
                         : GetLastError();
    free(rename);
    if (error == 0) {
        FlushFileBuffers(file->Get());
        file->Close();
    }
    return error;
}

// Puts the new file, written and held as `file`, in place of the file at
// `path` in one rename of that handle, so that the name holds the old bytes
// or the new ones at every moment: a run ended on the way leaves the file
// whole. (ReplaceFile does not promise that; under Wine it deletes the target
// before it moves the new file in.) The new file takes the target's
// attributes, and its owner and permissions where the system lets it.
uint32_t PutInPlace(const AnsiString& path, TScopedFile* file) {
    // A read-only target, or one held open, fails here as it would for
    // ReplaceFile, before anything changes.
    TScopedFile target(CreateFileA(path.CStr(), GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!target.IsValid()) return GetLastError();
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(target.Get(), FileBasicInfo, &basic, sizeof basic)) return GetLastError();
    basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
    basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
    SetFileInformationByHandle(file->Get(), FileBasicInfo, &basic, sizeof basic);
    // The owner through a handle of its own: the system grants WRITE_OWNER
    // less often than the creator's WRITE_DAC, and the file is made without it.
    TScopedFile owner(ReOpenFile(file->Get(), WRITE_OWNER, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    const struct {
        SECURITY_INFORMATION part;
        HANDLE handle;
    } kept[] = {{DACL_SECURITY_INFORMATION, file->Get()}, {OWNER_SECURITY_INFORMATION, owner.Get()}};
    for (const auto& k : kept) {
        DWORD size = 0;
        GetKernelObjectSecurity(target.Get(), k.part, nullptr, 0, &size);
        void* descriptor = size ? malloc(size) : nullptr;
        if (descriptor && k.handle != INVALID_HANDLE_VALUE &&
            GetKernelObjectSecurity(target.Get(), k.part, descriptor, size, &size)) {
            SetKernelObjectSecurity(k.handle, k.part, descriptor);
        }
        free(descriptor);
    }
    target.Close();
    return RenameHeld(file, path, true);
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
    TScopedFile file(INVALID_HANDLE_VALUE);
    uint32_t error = CreateFresh(path, &file);
    if (error != 0) return error;
    error = WriteWhole(file.Get(), bytes);
    if (error == 0 && GetFileAttributesA(path.CStr()) == INVALID_FILE_ATTRIBUTES) {
        // Nothing to keep; not over a file that has appeared meanwhile.
        error = RenameHeld(&file, path, false);
    } else if (error == 0) {
        error = PutInPlace(path, &file);
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
