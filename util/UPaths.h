// Directory kinds and path helpers.
//
// Script items, file references and uninstall records never hold an absolute
// path: they hold a directory kind and a name relative to the directory that
// the kind stands for. Every file operation forms its paths here.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct _SECURITY_ATTRIBUTES;
typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES;

#include "UAnsiString.h"

enum TDirKind : uint32_t {
    dkNone = 0,
    dkWindows = 1,     // GetWindowsDirectoryA
    dkIdeRoot = 2,     // RootDir of the IDE at CurrentIdeIndex
    dkInstallDir = 3,  // InstallDir
    dkIdeHelp = 4,     // RootDir of the current IDE + "\Help\"
    dkTemp = 5,        // GetTempPathA, with its trailing backslash
    dkSystem = 6,      // GetSystemDirectoryA
};

// The install folder, without a trailing separator; empty until set.
extern AnsiString InstallDir;
// 1-based index into BorlandProducts of the IDE being worked on; 0 until set.
extern int32_t CurrentIdeIndex;

// The longest path CreateDirectoryPath accepts, without its NUL.
const size_t MaxDirectoryPath = 263;

// The directory a kind stands for; empty for kind 0, an unknown kind, an IDE
// index outside 1..9 or a failing system call.
AnsiString GetKindDirectory(uint32_t kind);

// The path without its last backslash and what follows it; empty for a
// path without one.
AnsiString ParentPath(const AnsiString& path);

// `base` and `name` with one backslash between them where needed. Only "\"
// counts as a separator; an empty base gives `name` alone.
AnsiString JoinPath(const AnsiString& base, const char* name);

// Creates the directory and every missing parent, each with `security` when
// given. Returns 0 or the Windows error of the first component that could not
// be created; a path longer than MaxDirectoryPath is refused with
// ERROR_FILENAME_EXCED_RANGE. `created`, when given, receives the outermost
// folder this call made (empty when it made none).
uint32_t CreateDirectoryPath(const char* path, AnsiString* created = nullptr,
                             SECURITY_ATTRIBUTES* security = nullptr);

// Takes back what CreateDirectoryPath made: `path`, then each parent up to
// and including `created` (its outermost folder), as long as they are empty.
// Nothing when `created` is empty.
void RemoveCreatedFolders(const AnsiString& path, const AnsiString& created);

// Where CreateDirectoryPath starts looking for separators in `path`: after a
// leading separator (a rooted path has no directory before it) and after the
// server and share of a UNC path (they cannot be created).
size_t DirectoryPathStart(const char* path);

// Where the part of `path` below `base` starts: past `base` and the
// separators after it; 0 when `path` is not below `base` (or is `base`
// itself). Compared as given, "/" as "\": callers pass lower-cased copies
// to compare without regard to case.
size_t RelativeStart(const AnsiString& base, const AnsiString& path);

// `path` with "/" as "\", each run of separators as one, and none at either
// end.
AnsiString CollapsedSeparators(const AnsiString& path);

// A folder as folders are compared: ASCII letters in lower case, every
// separator a backslash, runs of them as one (but the two that begin a UNC
// path) and none at the end.
AnsiString CanonicalFolder(const AnsiString& folder);
// Whether two folders are the same, compared so.
bool IsSameFolder(const AnsiString& a, const AnsiString& b);
// Whether `folder` is `base` or a folder below it, compared so; false for an
// empty `base`.
bool IsSameOrBelow(const AnsiString& folder, const AnsiString& base);

// A character that Windows does not allow in a name, separators aside:
// < > : " | ? * and the control characters.
bool IsForbiddenInName(char c);
