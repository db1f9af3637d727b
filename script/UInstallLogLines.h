// install.log: a line per item, "<action>: <path>" and its outcome. An update
// reads the earlier run's lines back to learn which files and folders it
// made, so the texts are written and read from here alone.
#pragma once

#include <stddef.h>

#include "util/UAnsiString.h"

extern const char LogCopyingFile[];         // "Copying file: "
extern const char LogCreatingDirectory[];   // "Creating directory: "
extern const char LogClearingDirectory[];   // "Clearing directory: "
extern const char LogDeletingFile[];        // "Deleting file: "
extern const char LogDeletingFiles[];       // "Deleting files: "
extern const char LogModifyingFile[];       // "Modifying file: "
extern const char LogMergingFiles[];        // "Merging files: "
extern const char LogCheckFile[];           // "Check file: "
extern const char LogReplacingText[];       // "Replace text: File="
extern const char LogCompilingPackage[];    // "Compiling package: "
extern const char LogRegisteringPackage[];  // "Registering package: "
extern const char LogAddingSearchPath[];    // "Adding search path: "
extern const char LogRegisteringWinHelp[];  // "Registering windows help: "
extern const char LogRegisteringUninstall[];  // "Registering Uninstall: "
extern const char LogProtectingDirectory[];   // "Protecting directory: "

// The outcomes that end a line; their sizes are known where they are used.
inline constexpr char LogSuccess[] = "...Success";
inline constexpr char LogFail[] = "...Fail";
inline constexpr char LogAlready[] = "...Already";
inline const char* LogOutcome(bool succeeded) { return succeeded ? LogSuccess : LogFail; }

// The start of a copy's line, "Copying file: from <source> to <target> ",
// which its outcome ends.
AnsiString CopyLogLine(const AnsiString& source, const AnsiString& target);

// What a line that an update takes back says the earlier run did.
enum TInstallLogKind { ilNone, ilCopiedFile, ilMadeFolder, ilClearedFolder };

// The kind of `line` and the path it names (for a copy, its target); ilNone
// for every other line.
TInstallLogKind ParseInstallLogLine(const AnsiString& line, AnsiString* path);
