// The text rules of the destination folder.
#pragma once

#include <stddef.h>

#include "UAnsiString.h"

// An IDE's root folder without its last component: the folder that holds
// the IDE. A root without a backslash stays whole.
AnsiString ParentFolder(const AnsiString& rootDir);

// `folder` followed by the product's own folder name ("\Vellorin"), with no
// second backslash after a folder that ends with one.
AnsiString WithProductFolder(const AnsiString& folder);

// The folder as the install uses it: "/" turned into "\", and trailing
// separators removed, except the backslash of a drive root ("C:\").
AnsiString NormalizedFolder(const AnsiString& typed);

// Why a folder cannot be the install folder.
enum TFolderProblem {
    fpNone,
    fpEmpty,
    fpNotAbsolute,      // neither "X:\..." nor "\\server\share..."
    fpTooLong,          // the script's deepest path below it would not fit a path
    fpNoSuchDrive,      // its drive or network share does not exist
    fpUnsuitableDrive,  // neither a local disk nor a network share: a CD, a removable or RAM disk
};

// The longest install folder whose deepest script path still fits into the
// 259 characters of a Windows path.
size_t MaxInstallFolderLength();

// The checks of a normalized folder that need no system call: fpNone,
// fpEmpty, fpNotAbsolute or fpTooLong.
TFolderProblem CheckFolderText(const AnsiString& folder);

// The root of an absolute folder, with its backslash: "C:\" or
// "\\server\share\".
AnsiString FolderRoot(const AnsiString& folder);

// What the user is told about the folder's problem: what is wrong, and what
// to enter instead. Empty for fpNone.
AnsiString FolderProblemText(TFolderProblem problem, const AnsiString& folder);

// Whether `typed` can be the install folder, for the wizard and for runs
// without a window: `folder` receives it normalized, and the result says
// what is wrong with it (fpNone when nothing is). After the text checks the
// system is asked for the type of its drive (GetDriveTypeA).
TFolderProblem CheckInstallFolder(const AnsiString& typed, AnsiString* folder);
