#include "script/UInstallLogLines.h"

#include <string.h>

#include "util/UPathText.h"

const char LogCopyingFile[] = "Copying file: ";
const char LogCreatingDirectory[] = "Creating directory: ";
const char LogClearingDirectory[] = "Clearing directory: ";
const char LogDeletingFile[] = "Deleting file: ";
const char LogDeletingFiles[] = "Deleting files: ";
const char LogModifyingFile[] = "Modifying file: ";
const char LogMergingFiles[] = "Merging files: ";
const char LogCheckFile[] = "Check file: ";
const char LogReplacingText[] = "Replace text: File=";
const char LogCompilingPackage[] = "Compiling package: ";
const char LogRegisteringPackage[] = "Registering package: ";
const char LogAddingSearchPath[] = "Adding search path: ";
const char LogRegisteringWinHelp[] = "Registering windows help: ";
const char LogRegisteringUninstall[] = "Registering Uninstall: ";
const char LogProtectingDirectory[] = "Protecting directory: ";

namespace {

const char CopyingFileFrom[] = "Copying file: from ";
const char CopyTarget[] = " to ";
// A copy's line ends with a blank before its outcome.
const char CopySuccess[] = " ...Success";

struct TLineForm {
    const char* Start;
    const char* End;
    TInstallLogKind Kind;
    bool Copy;  // names its source, " to ", then its target
};

const TLineForm Forms[] = {
    {CopyingFileFrom, CopySuccess, ilCopiedFile, true},
    {LogCopyingFile, LogSuccess, ilCopiedFile, false},
    {LogCreatingDirectory, LogSuccess, ilMadeFolder, false},
    {LogClearingDirectory, LogSuccess, ilClearedFolder, false},
    {LogClearingDirectory, LogFail, ilClearedFolder, false},
};

size_t TextLength(const char* text) {
    size_t length = 0;
    while (text[length]) ++length;
    return length;
}

}  // namespace

AnsiString CopyLogLine(const AnsiString& source, const AnsiString& target) {
    return AnsiString(CopyingFileFrom) + source + CopyTarget + target + " ";
}

TInstallLogKind ParseInstallLogLine(const AnsiString& line, AnsiString* path) {
    for (const TLineForm& form : Forms) {
        if (!StartsWithName(line, form.Start) || !EndsWithName(line, form.End)) continue;
        size_t from = TextLength(form.Start);
        size_t to = line.Length() - TextLength(form.End);
        *path = AnsiString(line.CStr() + from, to > from ? to - from : 0);
        if (!form.Copy) return form.Kind;
        // The target follows the last " to ".
        const size_t separator = TextLength(CopyTarget);
        size_t target = 0;
        for (size_t i = 0; i + separator <= path->Length(); ++i) {
            if (memcmp(path->CStr() + i, CopyTarget, separator) == 0) target = i + separator;
        }
        if (target == 0) return ilNone;
        *path = AnsiString(path->CStr() + target);
        return form.Kind;
    }
    return ilNone;
}
