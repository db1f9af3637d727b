#include "URunJournal.h"

#include <windows.h>

#include "ULinks.h"
#include "UText.h"
#include "UTextFile.h"

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
        if (ReadWholeFile(path, &entry->Bytes, nullptr, UINT32_MAX) != 0) {
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
