// The parts of the path helpers that need no system call, and the globals
// the directory kinds depend on.
#include "UPaths.h"

AnsiString InstallDir;
int32_t CurrentIdeIndex = 0;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

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
