// Arbitrary paths in a double-byte or a single-byte code page: the path
// vocabulary and the folder page's rules must never read or write outside
// the strings, and what they give back must fit together.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "util/UPaths.h"
#include "wizard/UFolderText.h"

namespace {

const uint8_t Ranges932[] = {0x81, 0x9F, 0xE0, 0xFC, 0};
const uint8_t Ranges950[] = {0x81, 0xFE, 0};
const uint8_t NoRanges[] = {0};

void Check(bool condition) {
    if (!condition) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks the code page; the rest is two paths, split at
    // the first newline.
    const uint8_t* ranges = data[0] % 3 == 0 ? Ranges932 : data[0] % 3 == 1 ? Ranges950 : NoRanges;
    SystemCodePage = CodePageWithLeadRanges(ranges);
    const char* text = reinterpret_cast<const char*>(data + 1);
    size_t length = size - 1;
    // A path never holds a NUL: the system's strings end there.
    if (memchr(text, '\0', length)) return 0;
    const char* split = static_cast<const char*>(memchr(text, '\n', length));
    size_t first = split ? static_cast<size_t>(split - text) : length;
    AnsiString a(text, first), b(split ? split + 1 : "", split ? length - first - 1 : 0);

    size_t start = LastNameStart(a);
    Check(start <= a.Length());
    if (start > 0) {
        AnsiString parent = ParentPath(a);
        Check(parent.Length() == start - 1 && IsSeparator(a[start - 1]));
        Check(LastName(a).Length() == a.Length() - start);
    }
    Check(LastNameStart(LastName(a)) == 0);
    AnsiString trimmed = WithoutTrailingSeparators(a);
    Check(!EndsWithSeparator(trimmed) && memcmp(trimmed.CStr(), a.CStr(), trimmed.Length()) == 0);
    Check(memcmp(JoinPath(a, b.CStr()).CStr(), a.CStr(), a.Length()) == 0);
    AnsiString collapsed = CollapsedSeparators(a);
    Check(!EndsWithSeparator(collapsed) && (collapsed.IsEmpty() || !IsSeparator(collapsed[0])));
    Check(IsSameFolder(a, a) && SameFileName(a, b) == SameFileName(b, a));
    size_t below = RelativeStart(a, b);
    Check(below <= b.Length());
    if (below) Check(IsSameOrBelow(b, a));
    Check(DirectoryPathStart(a) <= a.Length());
    Check(ForbiddenCharAt(a.CStr(), a.Length()) <= a.Length());

    AnsiString folder = NormalizedFolder(a);
    if (IsAbsolutePath(folder)) Check(NormalizedFolder(folder) == folder);
    TFolderProblem problem = CheckFolderText(folder);
    Check(FolderProblemText(problem, folder, b).IsEmpty() == (problem == fpNone));
    return 0;
}
