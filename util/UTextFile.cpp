#include "UTextFile.h"

#include "UScoped.h"
#include "UText.h"

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
    size_t slash = FindLastChar(path, '\\');
    AnsiString folder = slash ? AnsiString(path.CStr(), slash - 1) : AnsiString(".");
    if (folder.Length() > MAX_PATH - 14) return ERROR_FILENAME_EXCED_RANGE;
    char fresh[MAX_PATH];
    // A new file of a name nobody else has taken.
    if (!GetTempFileNameA(folder.CStr(), "vl", 0, fresh)) return GetLastError();
    uint32_t error = 0;
    {
        TScopedFile file(CreateFileA(fresh, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file.IsValid()) {
            error = GetLastError();
        } else if (!bytes.IsEmpty() &&
                   !WriteFile(file.Get(), bytes.CStr(), static_cast<DWORD>(bytes.Length()), &written, nullptr)) {
            error = GetLastError();
        } else if (written != bytes.Length()) {
            error = ERROR_DISK_FULL;
        } else if (!FlushFileBuffers(file.Get())) {
            error = GetLastError();
        } else if (!file.Close()) {
            error = GetLastError();
        }
    }
    if (error == 0 && !MoveFileExA(fresh, path.CStr(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
    }
    if (error != 0) DeleteFileA(fresh);
    return error;
}
