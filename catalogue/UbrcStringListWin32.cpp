// The collation-ordered search and the file operations of TbrcStringList.
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "catalogue/UbrcStringList.h"
#include "util/UScoped.h"

namespace {

// SaveToFile collects its output in a buffer of this size.
const DWORD SaveBufferSize = 8096;

void WriteBytes(HANDLE file, const char* bytes, DWORD size) {
    DWORD written;
    if (size > 0) WriteFile(file, bytes, size, &written, nullptr);
}

}  // namespace

int TbrcStringList::CompareStrings(const AnsiString& line, const AnsiString& text) {
    return CompareStringA(LOCALE_USER_DEFAULT, SORT_STRINGSORT, line.CStr(),
                          static_cast<int>(line.Length()), text.CStr(),
                          static_cast<int>(text.Length())) - 2;
}

bool TbrcStringList::Find(const AnsiString& text, int32_t* index) const {
    int32_t lower = 0, upper = lines_.Count() - 1;
    bool found = false;
    while (lower <= upper) {
        int32_t middle = (lower + upper) / 2;
        int compare = CompareStrings(lines_[middle], text);
        if (compare < 0) {
            lower = middle + 1;
        } else {
            upper = middle - 1;
            if (compare == 0) {
                found = true;
                if (Duplicates != 1) lower = middle;
            }
        }
    }
    *index = lower;
    return found;
}

int32_t TbrcStringList::IndexOf(const AnsiString& text) const {
    int32_t index;
    return Find(text, &index) ? index : -1;
}

int32_t TbrcStringList::Add(const AnsiString& text) {
    int32_t index;
    Find(text, &index);
    Insert(index, text);
    return index;
}

void TbrcStringList::LoadFromFile(const char* fileName) {
    Clear();
    TScopedFile file(CreateFileA(fileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return;
    DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE) return;
    char* buffer = static_cast<char*>(malloc(size + 1));
    if (!buffer) return;
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, size, &read, nullptr)) read = 0;
    file.Close();
    buffer[read] = '\0';
    SetText(buffer);
    free(buffer);
}

void TbrcStringList::SaveToFile(const char* fileName) const {
    TScopedFile file(CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return;
    char buffer[SaveBufferSize];
    DWORD used = 0;
    for (int32_t i = 0; i < lines_.Count(); ++i) {
        DWORD length = static_cast<DWORD>(lines_[i].Length());
        if (length + 2 > SaveBufferSize - used) {
            WriteBytes(file.Get(), buffer, used);
            used = 0;
        }
        if (length + 2 > SaveBufferSize) {
            // Longer than the whole buffer: written straight, then its line end.
            WriteBytes(file.Get(), lines_[i].CStr(), length);
            WriteBytes(file.Get(), "\r\n", 2);
            continue;
        }
        memcpy(buffer + used, lines_[i].CStr(), length);
        memcpy(buffer + used + length, "\r\n", 2);
        used += length + 2;
    }
    WriteBytes(file.Get(), buffer, used);
}
