// The command-line switches, which set the five run-mode flags of the run's
// state.
#pragma once

#include "util/URunState.h"

// Reads the process's arguments (the program name excluded) and sets the
// flags. It lives with the program entry, which owns the arguments.
void ParseSwitches();

// The same over an argument list, argv[0] being the program name. A switch is
// exactly two characters, "-", "/" or "\" and a letter; every accepted switch
// sets all five flags, so the last one alone decides. The longer arguments
// /DIR=, /IDES=, /PARTS= and /LOG= ("-" too, the name in any case) go into
// CommandChoice; any other argument is passed over.
void ParseSwitchList(int argc, const char* const* argv);
