// One identity per folder for the whole run. A folder is known by its final
// path (every link on the way resolved), not by the text that names it: a
// link to the IDEs' folder is that folder. The install folder and the IDEs'
// root folders are resolved once and held open, refusing deletion, until the
// run lets them go, so that nobody can move them, delete them or put a link
// in their place meanwhile; every later check of a path below them compares
// with that one final path.
#pragma once

#include "util/UAnsiString.h"

// The final path of `folder`, which need not exist yet: that of its deepest
// existing folder followed by the names still missing below it. False when
// not even its root can be looked at.
bool FinalFolderPath(const AnsiString& folder, AnsiString* final);

// Holds `folder` (which must exist and be no link) open until it is let go;
// true when it is held now. Its final path is taken from the handle.
bool HoldFolder(const AnsiString& folder);
// The install folder and the root folder of every IDE found.
void HoldProductFolders();
// The final path of a held folder, named as it was held; false when it is
// not held.
bool HeldFinalPath(const AnsiString& folder, AnsiString* final);
// Removes an empty folder, held or not; a held one that stays is held again.
// False when it stays.
bool RemoveFolderItself(const AnsiString& folder);
// Lets every held folder go.
void ReleaseHeldFolders();

// What a folder that the programs fill or empty must never be: an installed
// IDE's root folder or a folder that holds one at any depth, or the Windows
// folder or a folder in it. Compared by final paths. Returns the IDE's root
// folder or the Windows folder concerned, as the system names it; empty when
// the folder is none of these. `windows` says which.
AnsiString ForeignFolderAt(const AnsiString& folder, bool* windows = nullptr);
