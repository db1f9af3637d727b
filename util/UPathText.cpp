// The parts of the path helpers that need no system call, and the globals
// the directory kinds depend on.
#include "UPaths.h"

AnsiString InstallDir;
int32_t CurrentIdeIndex = 0;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

AnsiString ParentPath(const AnsiString& path) {
    size_t slash = 0;
    for (size_t i = 0; i < path.Length(); ++i) {
        if (path[i] == '\\') slash = i;
    }
    return AnsiString(path.CStr(), slash);
}

AnsiString JoinPath(const AnsiString& base, const char* name) {
    if (base.IsEmpty()) return AnsiString(name);
    AnsiString result(base);
    if (base.Last() != '\\' && name && name[0] != '\0' && name[0] != '\\') result += '\\';
    result += name;
    return result;
}

size_t DirectoryPathStart(const char* path) {
    if (!IsSeparator(path[0])) return 0;
    if (!IsSeparator(path[1])) return 1;
    // \\server\share\: skip both components and the separator after them.
    size_t i = 2;
    for (int component = 0; component < 2; ++component) {
        while (path[i] != '\0' && !IsSeparator(path[i])) ++i;
        if (path[i] != '\0') ++i;
    }
    return i;
}

size_t RelativeStart(const AnsiString& base, const AnsiString& path) {
    size_t length = base.Length();
    while (length > 0 && IsSeparator(base[length - 1])) --length;
    if (length == 0 || path.Length() <= length) return 0;
    for (size_t i = 0; i < length; ++i) {
        bool same = path[i] == base[i] || (IsSeparator(path[i]) && IsSeparator(base[i]));
        if (!same) return 0;
    }
    if (!IsSeparator(path[length])) return 0;
    size_t start = length;
    while (start < path.Length() && IsSeparator(path[start])) ++start;
    return start < path.Length() ? start : 0;
}

AnsiString CollapsedSeparators(const AnsiString& path) {
    AnsiString collapsed;
    for (size_t i = 0; i < path.Length(); ++i) {
        if (!IsSeparator(path[i])) {
            collapsed += path[i];
        } else if (!collapsed.IsEmpty() && collapsed.Last() != '\\') {
            collapsed += '\\';
        }
    }
    if (collapsed.Last() == '\\') collapsed.SetLength(collapsed.Length() - 1);
    return collapsed;
}

AnsiString CanonicalFolder(const AnsiString& folder) {
    AnsiString canonical;
    for (size_t i = 0; i < folder.Length(); ++i) {
        char c = folder[i];
        if (IsSeparator(c)) {
            c = '\\';
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
        if (c == '\\' && canonical.Length() > 1 && canonical.Last() == '\\') continue;
        canonical += c;
    }
    size_t length = canonical.Length();
    while (length > 0 && canonical[length - 1] == '\\') --length;
    canonical.SetLength(length);
    return canonical;
}

bool IsSameFolder(const AnsiString& a, const AnsiString& b) { return CanonicalFolder(a) == CanonicalFolder(b); }

bool IsSameOrBelow(const AnsiString& folder, const AnsiString& base) {
    AnsiString canonical = CanonicalFolder(folder), canonicalBase = CanonicalFolder(base);
    if (canonicalBase.IsEmpty()) return false;
    return canonical == canonicalBase || RelativeStart(canonicalBase, canonical) != 0;
}

bool IsForbiddenInName(char c) {
    return static_cast<unsigned char>(c) < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' ||
           c == '?' || c == '*';
}
