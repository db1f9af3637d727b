// Arbitrary search path values and folders: adding a folder and taking it
// out again must give back a value without it, and never read or write
// outside the strings.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "script/USearchPath.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first line is the value, the rest the folder.
    const char* text = reinterpret_cast<const char*>(data);
    const char* split = static_cast<const char*>(memchr(text, '\n', size));
    if (!split) return 0;
    AnsiString value(text, static_cast<size_t>(split - text));
    AnsiString folder(split + 1, size - static_cast<size_t>(split - text) - 1);
    if (folder.IsEmpty() || memchr(folder.CStr(), ';', folder.Length())) return 0;

    AnsiString added = SearchPathHasEntry(value, folder) ? value : AddSearchPathEntry(value, folder);
    if (!SearchPathHasEntry(added, folder)) abort();
    AnsiString removed;
    if (!CutSearchPathEntry(added, added, folder, &removed)) abort();
    if (removed.Length() >= added.Length()) abort();
    return 0;
}
