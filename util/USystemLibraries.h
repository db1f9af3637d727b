// Libraries come from the system folder only. The programs run as
// administrator from wherever a user saved them (a Downloads folder), and
// Windows looks for a library loaded by name beside the program first: a
// file planted there would run with the programs' rights.
#pragma once

#include <windows.h>

// The first thing both programs do: later loads by name, the system's own
// included, look in the system folder only. Where Windows lacks that (7
// without its update), the program's folder is at least searched after the
// system's, and the libraries that Windows itself loads by name later on are
// loaded now from the system folder, so that a later load finds them loaded.
void RestrictLibrarySearch();

// Loads `name` (such as "comctl32.dll") from the system folder; null when
// it cannot be had.
HMODULE LoadSystemLibrary(const char* name);
