// The file operations of the script: directories, payload files, copies,
// deletions, checks and edits of the IDEs' text files.
#include <stdlib.h>
#include <windows.h>

#include "catalogue/UbrcStringList.h"
#include "script/UInstallLogLines.h"
#include "script/UOperations.h"
#include "util/UFileTree.h"
#include "util/UFolderIdentity.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UPayload.h"
#include "util/UProducts.h"
#include "util/UScoped.h"
#include "util/UText.h"
#include "util/UTextFile.h"

namespace {

const char KeptFolderNote[] = " (it was there before setup: what it holds is kept)";

const char* Outcome(int32_t result) { return LogOutcome(result == 0); }

int32_t LastError() { return static_cast<int32_t>(GetLastError()); }

bool Exists(const AnsiString& path) {
    WIN32_FIND_DATAA found;
    return TScopedFind(path.CStr(), &found).IsValid();
}

// The path up to and including its last backslash; the path itself when it
// has none.
AnsiString FolderWithSeparator(const AnsiString& path) {
    size_t name = LastNameStart(path);
    return name ? AnsiString(path.CStr(), name) : path;
}

// One of the current IDE's help configuration files by slot 1..3; empty for
// an IDE index or slot outside the table.
const char* CurrentIdeFile(uint32_t slot) {
    if (CurrentIdeIndex < 1 || CurrentIdeIndex > BorlandProductCount || slot < 1 || slot > 3) {
        return "";
    }
    return BorlandProducts[CurrentIdeIndex - 1].IdeFiles[slot - 1];
}

bool StartsWithCrLf(const char* text) { return text[0] == '\r' && text[1] == '\n'; }

// Whether the payload is newer than the file at `path`, by product versions;
// the payload's is read from its bytes in memory.
bool PayloadIsNewer(const ScriptItem& item, const AnsiString& path) {
    uint32_t installedMs, installedLs, payloadMs, payloadLs;
    if (!GetFileProductVersion(path.CStr(), &installedMs, &installedLs) ||
        !PayloadProductVersion(item.Value, &payloadMs, &payloadLs)) {
        return true;
    }
    return payloadMs > installedMs || (payloadMs == installedMs && payloadLs > installedLs);
}

// A text file that cannot be edited, as against one that cannot be opened.
bool Unusable(int32_t result) { return result == tfNotText || result == tfTooLarge; }

// Whether a link lies on the way to `path` in the install folder or an IDE's
// folder; then the item fails, its line ending in "...Fail".
bool Refused(const AnsiString& path, const AnsiString& line, AnsiString* itemLine, int32_t* result) {
    if (!LinkInProductFolders(path)) return false;
    *itemLine = line + LogFail;
    *result = ErrorLinkOnTheWay;
    return true;
}

}  // namespace

TSecurity ProductFolderSecurity(ProductFolderSddl);

SECURITY_ATTRIBUTES* FolderSecurityFor(const AnsiString& path) {
    return IsSameOrBelow(path, InstallDir) ? ProductFolderSecurity.Attributes() : nullptr;
}

AnsiString ItemPath(const ScriptItem& item) {
    return JoinPath(GetKindDirectory(item.DirKind), item.Name);
}

AnsiString ItemPath2(const ScriptItem& item) {
    return JoinPath(GetKindDirectory(item.DirKind2), item.Name2);
}

AnsiString TargetPath(const ScriptItem& item) {
    return item.Target ? JoinPath(GetKindDirectory(item.Target->DirKind), item.Target->Name)
                       : AnsiString();
}

int32_t OpCreateDirectory(const ScriptItem& item, AnsiString* line, bool* made) {
    if (made) *made = false;
    AnsiString path = ItemPath(item);
    int32_t result;
    if (Refused(path, AnsiString(LogCreatingDirectory) + path, line, &result)) return result;
    AnsiString created;
    result = static_cast<int32_t>(CreateDirectoryPath(path.CStr(), &created, FolderSecurityFor(path)));
    if (made) *made = result == 0 && !created.IsEmpty();
    *line = AnsiString(LogCreatingDirectory) + path + Outcome(result);
    return result;
}

int32_t OpExtractFile(const ScriptItem& item, AnsiString* line, bool replace) {
    AnsiString path = ItemPath(item);
    int32_t refused;
    if (Refused(path, AnsiString(LogCopyingFile) + path, line, &refused)) return refused;
    if (!replace && Exists(path)) {
        *line = AnsiString(LogCopyingFile) + path + LogAlready;
        return 0;
    }
    int32_t result = static_cast<int32_t>(ExtractPayload(item.Value, path.CStr()));
    *line = AnsiString(LogCopyingFile) + path + Outcome(result);
    return result;
}

int32_t OpExtractIfNewer(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    // Another user may have put the file in the install folder: no version
    // it claims is trusted there, and this release's file always goes in.
    if (item.DirKind == dkInstallDir || PayloadIsNewer(item, path)) return OpExtractFile(item, line, true);
    *line = AnsiString(LogCopyingFile) + path + LogAlready;
    return 0;
}

int32_t OpClearDirectory(const ScriptItem& item, AnsiString* line, bool ours) {
    AnsiString path = ItemPath(item);
    int32_t refused;
    if (Refused(path, AnsiString(LogClearingDirectory) + path, line, &refused)) return refused;
    // A folder that was there before is the user's, with all it holds, and
    // an IDE's folder never is the product's.
    if (!ours || !ForeignFolderAt(path).IsEmpty()) {
        *line = AnsiString(LogClearingDirectory) + path + LogAlready + KeptFolderNote;
        return 0;
    }
    uint32_t failed = DeleteDirectoryTree(path.CStr(), true);
    *line = AnsiString(LogClearingDirectory) + path + LogOutcome(!failed);
    return 0;
}

int32_t OpSetCurrentDir(const ScriptItem& item) {
    // The compile steps write into it.
    AnsiString path = ItemPath(item);
    if (LinkInProductFolders(path)) return ErrorLinkOnTheWay;
    return SetCurrentDirectoryA(path.CStr()) ? 0 : LastError();
}

int32_t OpCopyFile(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item), target = TargetPath(item);
    AnsiString text = CopyLogLine(path, target);
    int32_t result;
    if (Refused(path, text, line, &result) || Refused(target, text, line, &result)) return result;
    result = CopyFileA(path.CStr(), target.CStr(), FALSE) ? 0 : LastError();
    *line = text + Outcome(result);
    return result;
}

int32_t OpCopyFiles(const ScriptItem& item, AnsiString* line) {
    AnsiString mask = ItemPath(item), destination = ItemPath2(item);
    AnsiString sourceFolder = FolderWithSeparator(mask);
    AnsiString targetFolder = FolderWithSeparator(destination);
    int32_t result = 0;
    WIN32_FIND_DATAA found;
    TScopedFind listing(mask.CStr(), &found);
    if (listing.IsValid()) {
        do {
            AnsiString source = sourceFolder + found.cFileName, target = targetFolder + found.cFileName;
            if (LinkInProductFolders(source) || LinkInProductFolders(target)) {
                result = ErrorLinkOnTheWay;
                break;
            }
            if (!CopyFileA(source.CStr(), target.CStr(), FALSE)) {
                result = LastError();
                break;
            }
        } while (listing.Next(&found));
    }
    *line = CopyLogLine(mask, destination) + Outcome(result);
    return result;
}

int32_t OpDeleteFile(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    int32_t refused;
    if (Refused(path, AnsiString(LogDeletingFile) + path, line, &refused)) return refused;
    DeleteFileA(path.CStr());
    *line = AnsiString(LogDeletingFile) + path + LogSuccess;
    return 0;
}

int32_t OpDeleteFiles(const ScriptItem& item, AnsiString* line) {
    AnsiString mask = ItemPath(item);
    AnsiString folder(mask.CStr(), LastNameStart(mask));
    int32_t result = 0;
    WIN32_FIND_DATAA found;
    TScopedFind listing(mask.CStr(), &found);
    if (listing.IsValid()) {
        do {
            AnsiString path = folder + found.cFileName;
            if (LinkInProductFolders(path)) {
                result = ErrorLinkOnTheWay;
            } else {
                DeleteFileA(path.CStr());
            }
        } while (listing.Next(&found));
    }
    *line = AnsiString(LogDeletingFiles) + mask + Outcome(result);
    return result;
}

int32_t OpCheckFile(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    int32_t result = Exists(path) ? 0 : 1;
    *line = AnsiString(LogCheckFile) + path + Outcome(result);
    return result;
}

int32_t OpModifyFile(const ScriptItem& item, AnsiString* line) {
    AnsiString path = JoinPath(GetKindDirectory(item.DirKind), CurrentIdeFile(item.Value));
    int32_t result;
    if (Refused(path, AnsiString(LogModifyingFile) + path, line, &result)) return result;
    AnsiString content;
    result = ReadTextFile(path, &content);
    *line = AnsiString(LogModifyingFile) + path;
    if (result != 0) {
        *line += LogFail;
        return result;
    }
    if (FindTextPos(LowerCase(content), LowerCase(item.Name)) != 0) {
        *line += LogAlready;
        return 0;
    }
    // The text starts with its own line break; a file that already ends with
    // one does not need a second.
    const char* text = item.Name;
    size_t length = content.Length();
    if (length > 1 && content[length - 2] == '\r' && content[length - 1] == '\n' &&
        StartsWithCrLf(text)) {
        text += 2;
    }
    result = static_cast<int32_t>(ReplaceFileWhole(path, content + text + "\r\n"));
    *line += Outcome(result);
    return result;
}

int32_t OpMergeFiles(const ScriptItem& item, AnsiString* line) {
    AnsiString source = ItemPath(item), destination = ItemPath2(item);
    AnsiString text = AnsiString(LogMergingFiles) + source + ", " + destination;
    int32_t result;
    if (Refused(destination, text, line, &result)) return result;
    // A destination that is not there yet is made; one that is there but
    // cannot be read whole, or is no line text, is left as it is.
    AnsiString existing;
    bool missing = false;
    result = ReadTextFile(destination, &existing, &missing);
    if (result != 0 && !missing) {
        *line = text + LogFail;
        return result;
    }
    TbrcStringList sourceLines, destinationLines;
    destinationLines.Duplicates = 0;
    sourceLines.LoadFromFile(source.CStr());
    if (!missing) destinationLines.SetText(existing.CStr());
    for (int32_t i = 0; i < sourceLines.Count(); ++i) {
        if (destinationLines.IndexOf(sourceLines.Get(i)) == -1) destinationLines.Add(sourceLines.Get(i));
    }
    result = static_cast<int32_t>(ReplaceFileWhole(destination, destinationLines.Text()));
    *line = text + Outcome(result);
    return result;
}

int32_t OpReplaceText(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    AnsiString find(item.Text), replacement(item.Name2);
    AnsiString text = AnsiString(LogReplacingText) + path + ", FindText=" + find + ", ReplaceTo=" + replacement;
    int32_t result;
    if (Refused(path, text, line, &result)) return result;
    AnsiString content;
    result = ReadTextFile(path, &content);
    if (Unusable(result)) *line = text + LogFail;
    if (result != 0) return result;

    *line = text;
    size_t position = FindTextPos(LowerCase(content), LowerCase(find));
    if (position == 0) {
        *line += LogAlready;
        return 0;
    }
    AnsiString replaced(content.CStr(), position - 1);
    replaced += replacement;
    size_t after = position - 1 + find.Length();
    replaced.Append(content.CStr() + after, content.Length() - after);
    result = static_cast<int32_t>(ReplaceFileWhole(path, replaced));
    *line += Outcome(result);
    return result;
}
