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

#include "util/UPathText.h"
#include "util/URunState.h"

enum TDirKind : uint32_t {
    dkNone = 0,
    dkWindows = 1,     // GetWindowsDirectoryA
    dkIdeRoot = 2,     // RootDir of the IDE at CurrentIdeIndex
    dkInstallDir = 3,  // InstallDir
    dkIdeHelp = 4,     // RootDir of the current IDE + "\Help\"
    dkTemp = 5,        // GetTempPathA, with its trailing backslash
    dkSystem = 6,      // GetSystemDirectoryA
};

// InstallDir and CurrentIdeIndex, which the kinds name, are the run's state.

// The longest path CreateDirectoryPath accepts, without its NUL.
const size_t MaxDirectoryPath = 263;

// The directory a kind stands for; empty for kind 0, an unknown kind, an IDE
// index outside 1..9 or a failing system call.
AnsiString GetKindDirectory(uint32_t kind);

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
