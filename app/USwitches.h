// The command-line switches and the five run-mode flags they set.
#pragma once

extern bool CopyOnly;        // /C: install files only, no registration
extern bool EnableControls;  // /E: accepted; nothing reads it
extern bool ShowParameters;  // /? or /H: show the parameter description
extern bool ExtractOnly;     // /X: extract below the current directory, no window
extern bool SilentInstall;   // /S: install as the wizard presets its pages, no window

// Reads the process's arguments (the program name excluded) and sets the
// flags. It lives with the program entry, which owns the arguments.
void ParseSwitches();

// The same over an argument list, argv[0] being the program name. A switch is
// exactly two characters, "-", "/" or "\" and a letter; every accepted switch
// sets all five flags, so the last one alone decides.
void ParseSwitchList(int argc, const char* const* argv);
