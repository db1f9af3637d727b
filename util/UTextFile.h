// The IDEs' text files (help configuration, alias files), read whole and
// written whole. A file is never half-written or emptied: the new content
// goes to a new file beside it, which then takes its place in one step. A
// file that cannot be read whole, or is no text that can be edited line by
// line, is left as it is.
#pragma once

#include <stdint.h>

#include "UAnsiString.h"

// ReadTextFile's results besides 0.
const int32_t tfCannotOpen = -1;  // missing, or held open by another program
const int32_t tfCannotRead = -2;  // its size or its bytes cannot be read whole
const int32_t tfNotText = -3;     // a NUL byte, or UTF-16

// Reads the whole file, of any bytes, into `content`: 0, tfCannotOpen or
// tfCannotRead (also for a file larger than `limit`). `missing`, when given,
// says whether a failure to open was for a file that is not there.
int32_t ReadWholeFile(const AnsiString& path, AnsiString* content, bool* missing = nullptr,
                      uint32_t limit = UINT32_MAX);
// The same for a text to edit line by line: tfNotText for any other.
int32_t ReadTextFile(const AnsiString& path, AnsiString* content, bool* missing = nullptr);

// Puts `bytes` in place of the file at `path` (or creates it): written to a
// new file in the same folder, flushed, then moved over it. 0, or the
// Windows error with the file as it was and no new file left behind.
uint32_t ReplaceFileWhole(const AnsiString& path, const AnsiString& bytes);
