// The path vocabulary: the parts of the path helpers that need no system
// call.
#include <string.h>

#include "util/UPaths.h"

TCodePage SystemCodePage = {{}, 0, nullptr};

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsAscii(const AnsiString& text) {
    for (size_t i = 0; i < text.Length(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    }
    return true;
}

// Where the name that starts at `at` ends: at the next separator or the end.
size_t NameEnd(const AnsiString& path, size_t at, const TCodePage& cp) {
    while (at < path.Length() && !IsSeparator(path[at])) at += CharSize(path.CStr(), path.Length(), at, cp);
    return at;
}

// The root of a share's path whose server name starts at `server`: up to
// the end of its share name; 0 when a server or share name is missing.
size_t ShareRootEnd(const AnsiString& path, size_t server, const TCodePage& cp) {
    size_t serverEnd = NameEnd(path, server, cp);
    if (serverEnd == server || serverEnd == path.Length()) return 0;
    // "?" and "." name no server: they begin the device forms.
    if (serverEnd == server + 1 && (path[server] == '?' || path[server] == '.')) return 0;
    size_t shareEnd = NameEnd(path, serverEnd + 1, cp);
    return shareEnd > serverEnd + 1 ? shareEnd : 0;
}

// The long-path forms: "\\?\C:\..." and "\\?\UNC\server\share\...".
TPathRoot LongPathRoot(const AnsiString& path, const TCodePage& cp) {
    const size_t prefix = 4;
    if (path.Length() >= prefix + 2 && IsAsciiLetter(path[prefix]) && path[prefix + 1] == ':' &&
        (path.Length() == prefix + 2 || IsSeparator(path[prefix + 2]))) {
        return {pkDrive, prefix + 2};
    }
    // "UNC\" in any case.
    if (path.Length() > prefix + 4 && (path[prefix] | 0x20) == 'u' && (path[prefix + 1] | 0x20) == 'n' &&
        (path[prefix + 2] | 0x20) == 'c' && IsSeparator(path[prefix + 3])) {
        size_t end = ShareRootEnd(path, prefix + 4, cp);
        if (end) return {pkShare, end};
    }
    return {pkOther, NameEnd(path, prefix, cp)};
}

}  // namespace

TCodePage CodePageWithLeadRanges(const uint8_t* ranges) {
    TCodePage cp = {{}, 0, nullptr};
    for (; ranges[0] != 0; ranges += 2) {
        for (unsigned b = ranges[0]; b <= ranges[1]; ++b) cp.LeadBytes[b >> 3] |= static_cast<uint8_t>(1u << (b & 7));
    }
    return cp;
}

size_t CharSize(const char* text, size_t length, size_t at, const TCodePage& cp) {
    return cp.IsLead(text[at]) && at + 1 < length && text[at + 1] != '\0' ? 2 : 1;
}

TPathRoot PathRoot(const AnsiString& path, const TCodePage& cp) {
    size_t length = path.Length();
    if (length >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
        return {length > 2 && IsSeparator(path[2]) ? pkDrive : pkDriveRelative, 2};
    }
    if (length == 0 || !IsSeparator(path[0])) return {pkRelative, 0};
    if (length == 1 || !IsSeparator(path[1])) return {pkRooted, 0};
    if (length >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
        if (path[2] == '?') return LongPathRoot(path, cp);
        return {pkOther, NameEnd(path, 4, cp)};
    }
    size_t end = ShareRootEnd(path, 2, cp);
    return end ? TPathRoot{pkShare, end} : TPathRoot{pkOther, length};
}

size_t DirectoryPathStart(const AnsiString& path, const TCodePage& cp) {
    TPathRoot root = PathRoot(path, cp);
    if (root.Kind == pkRelative || root.Kind == pkDriveRelative) return 0;
    if (root.Kind == pkRooted) return 1;
    return root.Length < path.Length() ? root.Length + 1 : root.Length;
}

bool IsAbsolutePath(const AnsiString& path, const TCodePage& cp) {
    TPathKind kind = PathRoot(path, cp).Kind;
    return kind == pkDrive || kind == pkShare;
}

size_t LastNameStart(const AnsiString& path, const TCodePage& cp) {
    size_t start = 0;
    for (size_t i = 0; i < path.Length(); i += CharSize(path.CStr(), path.Length(), i, cp)) {
        if (IsSeparator(path[i])) start = i + 1;
    }
    return start;
}

AnsiString LastName(const AnsiString& path, const TCodePage& cp) {
    return AnsiString(path.CStr() + LastNameStart(path, cp));
}

AnsiString ParentPath(const AnsiString& path, const TCodePage& cp) {
    size_t start = LastNameStart(path, cp);
    return AnsiString(path.CStr(), start ? start - 1 : 0);
}

bool EndsWithSeparator(const AnsiString& path, const TCodePage& cp) {
    return !path.IsEmpty() && LastNameStart(path, cp) == path.Length();
}

AnsiString WithoutTrailingSeparators(const AnsiString& path, const TCodePage& cp) {
    size_t end = 0;
    for (size_t i = 0; i < path.Length();) {
        size_t size = CharSize(path.CStr(), path.Length(), i, cp);
        if (size > 1 || !IsSeparator(path[i])) end = i + size;
        i += size;
    }
    return AnsiString(path.CStr(), end);
}

AnsiString JoinPath(const AnsiString& base, const char* name, const TCodePage& cp) {
    if (base.IsEmpty()) return AnsiString(name);
    AnsiString result(base);
    size_t last = LastNameStart(base, cp);
    bool endsWithBackslash = last == base.Length() && base.Last() == '\\';
    if (!endsWithBackslash && name && name[0] != '\0' && name[0] != '\\') result += '\\';
    result += name;
    return result;
}

AnsiString CollapsedSeparators(const AnsiString& path, const TCodePage& cp) {
    AnsiString collapsed;
    bool separatorDue = false;
    for (size_t i = 0; i < path.Length();) {
        size_t size = CharSize(path.CStr(), path.Length(), i, cp);
        if (size == 1 && IsSeparator(path[i])) {
            separatorDue = !collapsed.IsEmpty();
        } else {
            if (separatorDue) collapsed += '\\';
            separatorDue = false;
            collapsed.Append(path.CStr() + i, size);
        }
        i += size;
    }
    return collapsed;
}

AnsiString CanonicalFolder(const AnsiString& folder, const TCodePage& cp) {
    // A share's path keeps the two separators it begins with.
    bool share = folder.Length() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1]);
    AnsiString canonical(share ? "\\\\" : (!folder.IsEmpty() && IsSeparator(folder[0]) ? "\\" : ""));
    AnsiString rest = CollapsedSeparators(folder, cp);
    canonical += rest;
    return canonical;
}

AnsiString FoldedName(const AnsiString& name, const TCodePage& cp) {
    AnsiString folded;
    if (!IsAscii(name) && cp.FoldCase && cp.FoldCase(cp.Number, name, &folded)) return folded;
    folded = name;
    char* text = folded.Data();
    for (size_t i = 0; i < folded.Length(); i += CharSize(text, folded.Length(), i, cp)) {
        if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - ('a' - 'A'));
    }
    return folded;
}

bool SameFileName(const AnsiString& a, const AnsiString& b, const TCodePage& cp) {
    return a == b || FoldedName(a, cp) == FoldedName(b, cp);
}

bool StartsWithName(const AnsiString& text, const AnsiString& start, const TCodePage& cp) {
    if (text.Length() < start.Length()) return false;
    // The prefix must end where a character ends.
    size_t at = 0;
    while (at < start.Length()) at += CharSize(text.CStr(), text.Length(), at, cp);
    return at == start.Length() && SameFileName(AnsiString(text.CStr(), at), start, cp);
}

bool EndsWithName(const AnsiString& text, const AnsiString& end, const TCodePage& cp) {
    if (text.Length() < end.Length()) return false;
    size_t from = text.Length() - end.Length(), at = 0;
    while (at < from) at += CharSize(text.CStr(), text.Length(), at, cp);
    return at == from && SameFileName(AnsiString(text.CStr() + from), end, cp);
}

const char RewriteMarker[] = ".vl";

bool IsRewriteLeftover(const char* name, const TCodePage& cp) {
    // RewriteMarker, a "#" for each lower-case hex digit, ".tmp".
    static const char tail[] = ".vl################.tmp";
    size_t length = strlen(name), at = 0;
    if (length < sizeof tail) return false;
    // The tail starts a character of its own, and is all single bytes.
    size_t from = length - (sizeof tail - 1);
    while (at < from) at += CharSize(name, length, at, cp);
    if (at != from) return false;
    for (size_t i = 0; tail[i]; ++i) {
        char c = name[from + i];
        if (tail[i] == '#' ? !strchr("0123456789abcdef", c) : c != tail[i]) return false;
    }
    return true;
}

bool IsSameFolder(const AnsiString& a, const AnsiString& b, const TCodePage& cp) {
    return SameFileName(CanonicalFolder(a, cp), CanonicalFolder(b, cp), cp);
}

size_t RelativeStart(const AnsiString& base, const AnsiString& path, const TCodePage& cp) {
    AnsiString trimmed = WithoutTrailingSeparators(base, cp);
    if (trimmed.IsEmpty()) return 0;
    // The part of `path` with as many runs of separators as `base` has; the
    // run after it must follow, and something after that.
    size_t runs = 0;
    bool inRun = false;
    for (size_t i = 0; i < trimmed.Length();) {
        size_t size = CharSize(trimmed.CStr(), trimmed.Length(), i, cp);
        bool separator = size == 1 && IsSeparator(trimmed[i]);
        runs += separator && !inRun;
        inRun = separator;
        i += size;
    }
    size_t end = 0, seen = 0;
    inRun = false;
    for (size_t size; end < path.Length(); end += size) {
        size = CharSize(path.CStr(), path.Length(), end, cp);
        bool separator = size == 1 && IsSeparator(path[end]);
        if (separator && !inRun && seen++ == runs) break;
        inRun = separator;
    }
    if (end == path.Length()) return 0;
    size_t start = end;
    while (start < path.Length() && IsSeparator(path[start])) ++start;
    if (start == path.Length()) return 0;
    return IsSameFolder(trimmed, AnsiString(path.CStr(), end), cp) ? start : 0;
}

bool IsSameOrBelow(const AnsiString& folder, const AnsiString& base, const TCodePage& cp) {
    if (WithoutTrailingSeparators(base, cp).IsEmpty()) return false;
    return IsSameFolder(folder, base, cp) || RelativeStart(base, folder, cp) != 0;
}

bool IsForbiddenInName(char c) {
    return static_cast<unsigned char>(c) < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' ||
           c == '?' || c == '*';
}

size_t ForbiddenCharAt(const char* name, size_t length, const TCodePage& cp) {
    for (size_t i = 0; i < length;) {
        size_t size = CharSize(name, length, i, cp);
        if (size == 1 && IsForbiddenInName(name[i])) return i;
        i += size;
    }
    return length;
}
