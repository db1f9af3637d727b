// The undo actions: one per kind of uninstall record, each removing what the
// matching install operation added. Every action is best effort: it does
// what it can and reports nothing, so that the replay always goes on.
// IDE actions work on the IDE at CurrentIdeIndex, as the replay set it.
#pragma once

#include "UAnsiString.h"
#include "UDeinstall.h"

void UndoPackage(const TUninstallRecord& record);
void UndoSearchPath(const TUninstallRecord& record);
void UndoHelpText(const TUninstallRecord& record);
void UndoWinHelp(const TUninstallRecord& record);
void UndoRegistryKey(const TUninstallRecord& record);
void UndoUninstallEntry(const TUninstallRecord& record, const AnsiString& uninstallKeyName);
void UndoDeleteFile(const TUninstallRecord& record);
void UndoDirectory(const TUninstallRecord& record);
void UndoSelectIde(const TUninstallRecord& record);

// Removes `entry` (a whole entry, without regard to case) from the current
// IDE's library search path; the value is written back only when it held it.
void RemoveSearchPathEntry(const AnsiString& entry);

// Whether a directory tree may be removed whole: never an empty or relative
// path, a drive root, or the Windows or system folder. All three are given
// lower-cased.
bool IsRemovableTree(const AnsiString& path, const AnsiString& windowsDir,
                     const AnsiString& systemDir);
