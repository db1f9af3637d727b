#include "app/USwitches.h"

#include <string.h>

#include "util/UText.h"

namespace {

// "/NAME=value" or "-NAME=value", the name in any case: true, with the value
// (the C runtime has already taken away the double quotes around blanks).
bool IsParameter(const char* arg, const char* name, AnsiString* value) {
    if (arg[0] != '/' && arg[0] != '-') return false;
    const char* equals = strchr(arg, '=');
    if (!equals || !SameAsciiWord(arg + 1, static_cast<size_t>(equals - arg - 1), name)) return false;
    *value = equals + 1;
    return true;
}

// The longer arguments, each of which may be given once or more (the last
// one counts); others are passed over, as they always were.
void ParseParameter(const char* arg) {
    TCommandChoice& choice = CommandChoice;
    if (IsParameter(arg, "DIR", &choice.Folder)) {
        choice.HasFolder = true;
    } else if (IsParameter(arg, "IDES", &choice.Ides)) {
        choice.HasIdes = true;
    } else if (IsParameter(arg, "PARTS", &choice.Parts)) {
        choice.HasParts = true;
    } else if (IsParameter(arg, "LOG", &choice.LogPath)) {
        choice.HasLog = true;
    }
}

}  // namespace

void ParseSwitchList(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (strlen(arg) != 2) {
            ParseParameter(arg);
            continue;
        }
        if (arg[0] != '-' && arg[0] != '/' && arg[0] != '\\') continue;
        char letter = AsciiUpper(arg[1]);
        CopyOnly = letter == 'C';
        EnableControls = letter == 'E';
        ShowParameters = letter == '?' || letter == 'H';
        ExtractOnly = letter == 'X';
        SilentInstall = letter == 'S';
    }
}
