#include "USearchPath.h"

#include <string.h>

bool SearchPathHasEntry(const AnsiString& value, const AnsiString& folder) {
    const char* entry = value.CStr();
    const char* end = entry + value.Length();
    while (entry <= end) {
        const char* next = static_cast<const char*>(memchr(entry, ';', end - entry));
        if (!next) next = end;
        size_t length = static_cast<size_t>(next - entry);
        if (length == folder.Length() && memcmp(entry, folder.CStr(), length) == 0) return true;
        entry = next + 1;
    }
    return false;
}

AnsiString AddSearchPathEntry(const AnsiString& value, const AnsiString& folder) {
    AnsiString result(value);
    if (!value.IsEmpty() && value.Last() != ';') result += ';';
    result += folder;
    return result;
}
