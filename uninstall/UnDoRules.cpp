// The checks of the undo actions that need no system call.
#include "UnDo.h"

namespace {

// The path without trailing separators.
AnsiString Trimmed(const AnsiString& path) {
    size_t length = path.Length();
    while (length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/')) --length;
    return AnsiString(path.CStr(), length);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsRemovableTree(const AnsiString& path, const AnsiString& windowsDir,
                     const AnsiString& systemDir) {
    AnsiString tree = Trimmed(path);
    const char* text = tree.CStr();
    size_t length = tree.Length();
    // Only absolute paths below a drive or a share: "X:\something" or
    // "\\server\share\something". A relative path would be taken from the
    // current folder, which may be a drive root.
    bool onDrive = length > 3 && text[1] == ':' && IsSeparator(text[2]);
    bool onShare = false;
    if (length > 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        int separators = 0;
        for (size_t i = 2; i < length; ++i) separators += IsSeparator(text[i]) && !IsSeparator(text[i - 1]);
        onShare = separators >= 2;
    }
    if (!onDrive && !onShare) return false;
    return tree != Trimmed(windowsDir) && tree != Trimmed(systemDir);
}
