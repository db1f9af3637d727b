#include "app/USwitches.h"

#include <string.h>

void ParseSwitchList(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (strlen(arg) != 2) continue;
        if (arg[0] != '-' && arg[0] != '/' && arg[0] != '\\') continue;
        char letter = arg[1];
        if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
        CopyOnly = letter == 'C';
        EnableControls = letter == 'E';
        ShowParameters = letter == '?' || letter == 'H';
        ExtractOnly = letter == 'X';
        SilentInstall = letter == 'S';
    }
}
