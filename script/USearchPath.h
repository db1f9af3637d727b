// An IDE's library search path: one string of folders separated by ";".
#pragma once

#include "util/UAnsiString.h"

// Whether `folder` is one of the entries of `value`. Both are compared as
// given: callers pass lower-cased copies to compare without regard to case.
// Only whole entries count, so C:\Lib\D7 is not in C:\Lib\D7Old.
bool SearchPathHasEntry(const AnsiString& value, const AnsiString& folder);

// `value` with `folder` added as its last entry, with a ";" before it unless
// the value is empty or already ends with one.
AnsiString AddSearchPathEntry(const AnsiString& value, const AnsiString& folder);

// `value` without its first entry equal to `entry` and one separator: the
// one after it, or before it when it is the last. `lowerValue` and
// `lowerEntry` are the lower-cased copies to compare; they have the lengths
// of the originals. False, leaving `result` alone, when no entry matches.
bool CutSearchPathEntry(const AnsiString& value, const AnsiString& lowerValue,
                        const AnsiString& lowerEntry, AnsiString* result);
