// The system's ANSI code page for the path vocabulary.
#pragma once

#include "util/UPathText.h"

// Sets SystemCodePage to the code page Windows gives this program (GetACP):
// its lead bytes, and case folding through the wide form of a name and the
// system's case mapping. Called first thing by both programs.
void LoadSystemCodePage();

// The code page `codePage` as the vocabulary takes it, folded the same way
// (for tests: a code page other than the one the program runs in).
TCodePage CodePageOf(unsigned codePage);
