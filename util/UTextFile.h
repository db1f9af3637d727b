// The IDEs' text files (help configuration, alias files), read whole and
// written whole. A file is never half-written or emptied: the new content
// goes to a new file beside it, which then takes its place in one step. A
// file that cannot be read whole, or is no text that can be edited line by
// line, is left as it is.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "util/UAnsiString.h"

// ReadTextFile's results besides 0.
const int32_t tfCannotOpen = -1;  // missing, or held open by another program
const int32_t tfCannotRead = -2;  // its size or its bytes cannot be read whole
const int32_t tfNotText = -3;     // a NUL byte, or UTF-16
const int32_t tfTooLarge = -4;    // larger than the reader takes; nothing was read

// The largest text file of an IDE that is read. Their help and alias files
// hold some kilobytes; a larger one is no IDE's, and would only cost memory.
const uint32_t MaxTextFileBytes = 16 * 1024 * 1024;

// Reads the whole of an open file into `content`: 0, tfCannotRead, or
// tfTooLarge (nothing allocated) for a file larger than `limit`.
int32_t ReadWholeFile(HANDLE file, AnsiString* content, uint32_t limit);
// The same for the file at `path`, which others may read meanwhile but
// nobody write; also tfCannotOpen. `missing`, when given, says whether a
// failure to open was for a file that is not there.
int32_t ReadWholeFile(const AnsiString& path, AnsiString* content, bool* missing, uint32_t limit);
// The same for a text to edit line by line, of at most MaxTextFileBytes:
// tfNotText for any other.
int32_t ReadTextFile(const AnsiString& path, AnsiString* content, bool* missing = nullptr);

// Puts `bytes` in place of the file at `path` (or creates it): written to a
// new file in the same folder, named after it (see IsRewriteLeftover),
// flushed, then put in its place in one rename, so that the name holds the
// old bytes or the new ones at every moment, even for a run ended on the way;
// keeping the file's attributes, owner and permissions where the system can. 0, or the Windows error with the file as
// it was and no new file left behind.
uint32_t ReplaceFileWhole(const AnsiString& path, const AnsiString& bytes);

// Removes the new files of rewrites that a run ended before they took their
// place (see IsRewriteLeftover), never through a link, from the folders whose
// files the programs rewrite: the install folder and the Help folder of every
// IDE found. Other files stay.
void RemoveRewriteLeftovers();
