#include "URunJournal.h"

#include <windows.h>

#include "ULinks.h"
#include "UScoped.h"
#include "UText.h"
#include "UTextFile.h"

namespace {

bool ReadWhole(const AnsiString& path, AnsiString* bytes) {
    TScopedFile file(CreateFileA(path.CStr(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE) return false;
    bytes->SetLength(size);
    DWORD read = 0;
    if (size > 0 && (!ReadFile(file.Get(), bytes->Data(), size, &read, nullptr) || read != size)) return false;
    return true;
}

}  // namespace

TRunJournal::~TRunJournal() {
    while (last_) {
        Entry* entry = last_;
        last_ = entry->Next;
        delete entry;
    }
}

void TRunJournal::Keep(const AnsiString& path) {
    if (path.IsEmpty()) return;
    AnsiString lower = LowerCase(path);
    for (Entry* entry = last_; entry; entry = entry->Next) {
        if (LowerCase(entry->Path) == lower) return;
    }
    Entry* entry = new Entry{path, false, AnsiString(), last_};
    // A file that exists but cannot be read is not kept: putting back
    // something else would be worse than leaving it.
    if (GetFileAttributesA(path.CStr()) != INVALID_FILE_ATTRIBUTES) {
        entry->Existed = true;
        if (!ReadWhole(path, &entry->Bytes)) {
            delete entry;
            return;
        }
    }
    last_ = entry;
}

void TRunJournal::Restore() {
    while (last_) {
        Entry* entry = last_;
        last_ = entry->Next;
        // Put back in one step, and never through a link planted meanwhile.
        if (!LinkInProductFolders(entry->Path)) {
            if (entry->Existed) {
                ReplaceFileWhole(entry->Path, entry->Bytes);
            } else {
                DeleteFileA(entry->Path.CStr());
            }
        }
        delete entry;
    }
}
