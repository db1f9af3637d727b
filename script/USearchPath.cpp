#include "script/USearchPath.h"

#include <string.h>

namespace {

// The offset and length of the first entry of `value` equal to `folder`.
bool FindEntry(const AnsiString& value, const AnsiString& folder, size_t* offset, size_t* length) {
    const char* text = value.CStr();
    size_t size = value.Length();
    for (size_t start = 0;;) {
        const char* separator = static_cast<const char*>(memchr(text + start, ';', size - start));
        size_t end = separator ? static_cast<size_t>(separator - text) : size;
        if (end - start == folder.Length() && memcmp(text + start, folder.CStr(), end - start) == 0) {
            *offset = start;
            *length = end - start;
            return true;
        }
        if (!separator) return false;
        start = end + 1;
    }
}

}  // namespace

bool SearchPathHasEntry(const AnsiString& value, const AnsiString& folder) {
    size_t offset, length;
    return FindEntry(value, folder, &offset, &length);
}

AnsiString AddSearchPathEntry(const AnsiString& value, const AnsiString& folder) {
    AnsiString result(value);
    if (!value.IsEmpty() && value.Last() != ';') result += ';';
    result += folder;
    return result;
}

bool CutSearchPathEntry(const AnsiString& value, const AnsiString& lowerValue,
                        const AnsiString& lowerEntry, AnsiString* result) {
    size_t offset, length;
    if (lowerValue.Length() != value.Length() || !FindEntry(lowerValue, lowerEntry, &offset, &length)) {
        return false;
    }
    size_t end = offset + length;
    if (end < value.Length()) {
        ++end;  // the separator after it
    } else if (offset > 0) {
        --offset;  // the last entry: the separator before it
    }
    AnsiString cut(value.CStr(), offset);
    cut.Append(value.CStr() + end, value.Length() - end);
    *result = cut;
    return true;
}
