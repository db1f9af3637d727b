#include "script/URunJournal.h"

#include <windows.h>

#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UScoped.h"
#include "util/UText.h"
#include "util/UTextFile.h"

namespace {

// The most that the journal keeps of one file. It holds the bytes in memory
// until the run ends; the files it keeps (alias files, runtime packages) are
// far smaller, and a larger one planted in their place must not exhaust it.
const uint32_t MaxKeptBytes = 64 * 1024 * 1024;

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
    for (Entry* entry = last_; entry; entry = entry->Next) {
        if (SameFileName(entry->Path, path)) return;
    }
    // A file that exists but cannot be read, or is reached through a link,
    // is not kept: putting back something else (a link's target's bytes
    // among them) would be worse than leaving it.
    TScopedFile file(INVALID_HANDLE_VALUE);
    bool existed = OpenForReadingNoFollow(path, &file);
    DWORD error = existed ? 0 : GetLastError();
    if (!existed && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return;
    Entry* entry = new Entry{path, existed, AnsiString(), last_};
    if (existed && ReadWholeFile(file.Get(), &entry->Bytes, MaxKeptBytes) != 0) {
        delete entry;
        return;
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
                AnsiString finalFolder;
                if (FinalPath(ParentPath(entry->Path), &finalFolder)) {
                    DeleteFileNoFollow(entry->Path, finalFolder);
                }
            }
        }
        delete entry;
    }
}
