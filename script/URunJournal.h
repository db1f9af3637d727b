// What a run changes outside the install folder without a record in its
// uninstall log: the runtime packages it copies into the system folder, the
// IDEs' alias files it merges into, the help index files it deletes. The
// engine keeps each such file's state from before the run first changed it,
// so that a cancelled run can put it back. (An uninstall, later, has no such
// record and leaves these files as they are.)
#pragma once

#include "util/UAnsiString.h"

class TRunJournal {
public:
    TRunJournal() = default;
    ~TRunJournal();
    TRunJournal(const TRunJournal&) = delete;
    TRunJournal& operator=(const TRunJournal&) = delete;

    // Keeps the state of `path`, absent or its bytes, unless it is already
    // kept. A file that cannot be read whole, is larger than 64 MB or is
    // reached through a link is not kept, and a cancel leaves it as it is.
    void Keep(const AnsiString& path);
    // Puts every kept file back as it was, the last kept first, and forgets
    // them. A file that was absent is deleted, unless a link stands there.
    void Restore();

private:
    struct Entry {
        AnsiString Path;
        bool Existed;
        AnsiString Bytes;
        Entry* Next;
    };
    Entry* last_ = nullptr;
};
