// The checks of the undo actions that need no system call.
#include "catalogue/UConst.h"
#include "script/UInstallLogLines.h"
#include "script/UUninstallRecord.h"
#include "uninstall/UnDo.h"
#include "util/UOutOfMemory.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/UText.h"

namespace {

// The extension of a name: from its last dot on (a dot is never a trail
// byte); empty without one.
size_t StemLength(const char* name) {
    size_t dot = 0, length = 0;
    for (; name[length]; ++length) {
        if (name[length] == '.') dot = length;
    }
    return dot ? dot : length;
}

bool ListHolds(const TbrcStringList& list, const char* name) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (SameFileName(list.Get(i), name)) return true;
    }
    return false;
}

// The file that script item `index` makes in the directory of `dirKind`;
// false when it makes none there.
bool MadeFile(int32_t index, uint32_t dirKind, AnsiString* name) {
    const ScriptItem& item = ScriptItems[index];
    switch (ItemOpcode(item)) {
    case siExtractFile:
    case siExtractIfAbsent:
    case siExtractIfNewer:
        if (item.DirKind != dirKind) return false;
        *name = item.Name;
        return true;
    case siCopyFile:
        if (!item.Target || item.Target->DirKind != dirKind) return false;
        *name = item.Target->Name;
        return true;
    default: return false;
    }
}

// The file `at` of the walk: the script's, then the two logs (which lie in
// the install folder), then those the earlier installation made.
bool ProductFile(int32_t at, uint32_t dirKind, const TEarlierInstall& earlier, AnsiString* name) {
    if (at < ScriptItemCount) return MadeFile(at, dirKind, name);
    if (dirKind != dkInstallDir) return false;
    at -= ScriptItemCount;
    if (at < 2) {
        *name = at == 0 ? InstallLogName : UninstallLogName;
        return !earlier.LogsStay;
    }
    *name = earlier.Files.Get(at - 2);
    return true;
}

int32_t ProductFileCount(uint32_t dirKind, const TEarlierInstall& earlier) {
    return ScriptItemCount + (dirKind == dkInstallDir ? 2 + earlier.Files.Count() : 0);
}

// Kinds whose undo works on the current IDE: its registry keys or files.
bool UsesIde(uint32_t kind, uint32_t dirKind) {
    return kind == siRegisterPackage || kind == siAddSearchPath || kind == siModifyFile ||
           dirKind == dkIdeRoot || dirKind == dkIdeHelp;
}

// An IDE's help index: "Help\<name>.gid", which the IDE makes anew.
bool IsHelpIndex(const AnsiString& text) {
    if (!StartsWithName(text, "help\\") || !EndsWithName(text, ".gid")) return false;
    AnsiString name(text.CStr() + 5);
    return IsRelativeName(name, false) && LastNameStart(name) == 0;
}

// A file of the product in the Windows folder: one that the script puts there.
bool IsWindowsFile(const AnsiString& text) {
    AnsiString name;
    for (int32_t i = 0; i < ScriptItemCount; ++i) {
        if (MadeFile(i, dkWindows, &name) && SameFileName(name, text)) return true;
    }
    return false;
}

// The text after the line break that a help line starts with.
const char* AfterLineBreak(const char* line) {
    return line[0] == '\r' && line[1] == '\n' ? line + 2 : line;
}

}  // namespace

bool IsProductKey(const TUninstallRecord& record) {
    for (int32_t i = 0; i < ScriptItemCount; ++i) {
        const ScriptItem& item = ScriptItems[i];
        if (ItemOpcode(item) == siCreateRegKey && item.Value == record.Arg && SameFileName(item.Name, record.Text)) {
            return true;
        }
    }
    return false;
}

bool IsRemovableTree(const AnsiString& path, const AnsiString& windowsDir,
                     const AnsiString& systemDir) {
    // Only absolute paths below a drive or a share: "X:\something" or
    // "\\server\share\something". A relative path would be taken from the
    // current folder, which may be a drive root.
    AnsiString tree = WithoutTrailingSeparators(path);
    if (!IsAbsolutePath(tree) || PathRoot(tree).Length >= tree.Length()) return false;
    return !IsSameFolder(tree, windowsDir) && !IsSameFolder(tree, systemDir);
}

bool IsAbsoluteFolder(const AnsiString& folder) {
    // "X:", a drive's root as the install folder names it.
    return IsAbsolutePath(folder) || (folder.Length() == 2 && PathRoot(folder).Kind == pkDriveRelative);
}

bool IsLogFolder(const AnsiString& folder, const AnsiString& logFolder) {
    return IsAbsoluteFolder(folder) && IsSameFolder(folder, logFolder);
}

bool IsRelativeName(const AnsiString& name, bool mayBeEmpty) {
    if (name.IsEmpty()) return mayBeEmpty;
    for (size_t start = 0; start <= name.Length();) {
        size_t end = start;
        while (end < name.Length() && !IsSeparator(name[end])) end += CharSize(name.CStr(), name.Length(), end);
        size_t length = end - start;
        const char* component = name.CStr() + start;
        if (length == 0) return false;  // leading, doubled or trailing separator
        if (component[0] == '.' && (length == 1 || (length == 2 && component[1] == '.'))) return false;
        if (ForbiddenCharAt(component, length) < length) return false;
        start = end + 1;
    }
    return true;
}

bool IsProductHelpLine(const AnsiString& text) {
    AnsiString rest(AfterLineBreak(text.CStr()));
    for (size_t i = 0; i < rest.Length(); ++i) {
        if (rest[i] == '\r' || rest[i] == '\n' || rest[i] == '\0') return false;
    }
    if (SameFileName(rest, AfterLineBreak(HelpLinkLine))) return true;
    const AnsiString start(HelpIndexStart), end(HelpIndexEnd);
    return StartsWithName(rest, start) && rest.Length() > start.Length() + end.Length() && EndsWithName(rest, end);
}

bool IsLeftBeside(const AnsiString& name, const AnsiString& product) {
    const char* file = name.CStr() + LastNameStart(name);
    const char* made = product.CStr() + LastNameStart(product);
    size_t stem = StemLength(file);
    if (file[stem] != '.' || stem != StemLength(made) || !SameFileName(AnsiString(file, stem), AnsiString(made, stem))) {
        return false;
    }
    const char* extension = file + stem;
    // Editor and make backups: ".#" and two digits.
    if (extension[1] == '#' && extension[2] >= '0' && extension[2] <= '9' && extension[3] >= '0' &&
        extension[3] <= '9' && !extension[4]) {
        return true;
    }
    static const char* const ToolOutputs[] = {".dcu", ".dcp", ".bpl", ".bpi", ".lib", ".obj", ".hpp", ".tds",
                                              ".map", ".drc", ".ilc", ".ild", ".ilf", ".ils", ".csm"};
    for (const char* output : ToolOutputs) {
        if (SameFileName(extension, output)) return true;
    }
    if (!SameFileName(made + stem, ".hlp")) return false;
    static const char* const HelpOutputs[] = {".gid", ".fts", ".ftg"};
    for (const char* output : HelpOutputs) {
        if (SameFileName(extension, output)) return true;
    }
    return false;
}

bool MayUndo(const TUninstallRecord& record, const TReplayState& state) {
    uint32_t kind = record.Kind();
    bool inInstallDir = record.DirKind == dkInstallDir && state.InstallDirKnown;
    // IDE records: an IDE that the product knows, inside its block; its own
    // folders only where it was found.
    if (UsesIde(kind, record.DirKind)) {
        if (state.IdeIndex < 1 || state.IdeIndex > BorlandProductCount || state.BlockIde != state.IdeIndex) {
            return false;
        }
        if ((record.DirKind == dkIdeRoot || record.DirKind == dkIdeHelp) && !IsAbsoluteFolder(state.IdeRoot)) {
            return false;
        }
    }
    // Every opcode that records has its case here: one without fails to
    // compile. The others come from the opcode table, and like a value
    // without a row are never undone.
    switch (static_cast<TScriptOpcode>(kind)) {
#define VL_RECORDS_false(name) case name:
#define VL_RECORDS_true(name)
#define VL_OPCODE(name, value, records, undo, extraction) VL_RECORDS_##records(name)
#include "script/UOpcodes.def"
#undef VL_OPCODE
#undef VL_RECORDS_true
#undef VL_RECORDS_false
    case siUninstallHeader: return false;
    case siSelectIde: return record.Arg >= 1 && record.Arg <= static_cast<uint32_t>(BorlandProductCount);
    case siCreateDirectory: return inInstallDir && IsRelativeName(record.Text, true);
    case siExtractFile:
    case siCopyFile: return inInstallDir && IsRelativeName(record.Text, false);
    case siExtractIfAbsent:
        return (inInstallDir && IsRelativeName(record.Text, false)) ||
               (record.DirKind == dkWindows && IsWindowsFile(record.Text));
    case siDeleteFile:
        return (inInstallDir && IsRelativeName(record.Text, false)) ||
               (record.DirKind == dkIdeRoot && IsHelpIndex(record.Text));
    case siRegisterPackage:
    case siAddSearchPath: return inInstallDir && IsRelativeName(record.Text, false);
    case siModifyFile:
        return record.DirKind == dkIdeHelp && record.Arg >= 1 && record.Arg <= 3 && IsProductHelpLine(record.Text);
    case siRegisterWinHelp:
        return state.InstallDirKnown && IsRelativeName(record.Text, false) &&
               LastNameStart(record.Text) == 0;
    case siCreateRegKey: return IsProductKey(record);
    case siRegisterUninstall: return true;
    }
    return false;
}

void ReadInstallLog(const AnsiString& text, const AnsiString& installDir, TEarlierInstall* earlier) {
    AnsiString base = CanonicalFolder(installDir);
    const char* data = text.CStr();
    for (size_t start = 0; start < text.Length();) {
        size_t end = start;
        while (end < text.Length() && data[end] != '\r' && data[end] != '\n') ++end;
        AnsiString line(data + start, end - start);
        start = end + 1;
        AnsiString path;
        TbrcStringList* list;
        switch (ParseInstallLogLine(line, &path)) {
        case ilCopiedFile: list = &earlier->Files; break;
        case ilMadeFolder: list = &earlier->Folders; break;
        case ilClearedFolder: list = &earlier->Cleared; break;
        default: continue;
        }
        // Kept as a canonical name below the folder, in the case it was logged in.
        AnsiString canonical = CanonicalFolder(path);
        size_t below = RelativeStart(base, canonical);
        if (below == 0) continue;
        AnsiString name(canonical.CStr() + below);
        if (IsRelativeName(name, false)) list->Append(name);
    }
}

bool IsProductFile(uint32_t dirKind, const AnsiString& name, const TEarlierInstall& earlier) {
    AnsiString made;
    for (int32_t at = 0; at < ProductFileCount(dirKind, earlier); ++at) {
        if (ProductFile(at, dirKind, earlier, &made) && SameFileName(made, name)) return true;
    }
    return false;
}

bool IsClearedFolder(uint32_t dirKind, const AnsiString& folder, const TEarlierInstall& earlier) {
    for (int32_t i = 0; i < ScriptItemCount; ++i) {
        const ScriptItem& item = ScriptItems[i];
        if (ItemOpcode(item) == siClearDirectory && item.DirKind == dirKind &&
            SameFileName(item.Name, folder)) {
            return true;
        }
    }
    return dirKind == dkInstallDir && ListHolds(earlier.Cleared, folder.CStr());
}

bool TProductPaths::IsBelow(const char* name) const {
    return folder_.IsEmpty() || RelativeStart(folder_, name) != 0;
}

bool TProductPaths::NextFile(AnsiString* name) {
    AnsiString made;
    while (file_ < ProductFileCount(dirKind_, earlier_)) {
        if (ProductFile(file_++, dirKind_, earlier_, &made) && IsBelow(made.CStr())) {
            *name = made;
            return true;
        }
    }
    return false;
}

bool TProductPaths::NextFolder(AnsiString* name) {
    // The script's folders, then the earlier installation's, each from the
    // last made: parents are made before what they hold.
    int32_t earlierCount = dirKind_ == dkInstallDir ? earlier_.Folders.Count() : 0;
    while (folderStep_ < ScriptItemCount + earlierCount) {
        int32_t step = folderStep_++;
        if (step < ScriptItemCount) {
            const ScriptItem& item = ScriptItems[ScriptItemCount - 1 - step];
            if (ItemOpcode(item) == siCreateDirectory && item.DirKind == dirKind_ && item.Name[0] != '\0' &&
                IsBelow(item.Name)) {
                *name = item.Name;
                return true;
            }
            continue;
        }
        const AnsiString& folder = earlier_.Folders.Get(earlierCount - 1 - (step - ScriptItemCount));
        if (IsBelow(folder.CStr())) {
            *name = folder;
            return true;
        }
    }
    return false;
}

namespace {

// Deletions that leave nothing of the product: the file is not there, or a
// link lies on the way (ErrorLinkOnTheWay), which the replay never follows.
const uint32_t FileNotFound = 2, PathNotFound = 3, LinkOnTheWay = 681;

}  // namespace

bool TLeftFiles::Note(const AnsiString& path, uint32_t error) {
    if (error == FileNotFound || error == PathNotFound || error == LinkOnTheWay || SameFileName(path, Exempt)) {
        return true;
    }
    // A file is tried by its own record and again by its folders'.
    for (int32_t i = 0; i < Paths.Count(); ++i) {
        if (SameFileName(Paths.Get(i), path)) return false;
    }
    // As every allocation of the programs: no memory ends the process.
    if (!errors_.Append(error)) EndOutOfMemory();
    Paths.Append(path);
    return false;
}

uint32_t TLeftFiles::Error(int32_t index) const {
    const uint32_t* error = errors_.At(index);
    return error ? *error : 0;
}

void TLeftFiles::Clear() {
    Paths.Clear();
    errors_.Clear();
}

int UninstallExitCode(bool cutShort, int32_t filesLeft, int32_t filesScheduled) {
    if (filesLeft > filesScheduled) return UninstallFilesLeft;
    if (cutShort) return UninstallLogCutShort;
    return filesLeft > 0 ? UninstallDoneAtRestart : UninstallRemoved;
}

AnsiString LeftFilesText(const AnsiString& product, const TbrcStringList& paths, const TbrcStringList& reasons,
                         int32_t shown) {
    AnsiString text = AnsiString(paths.Count() == 1 ? "This file of " : "These files of ") + product +
                      " could not be removed:\r\n";
    int32_t named = paths.Count() < shown ? paths.Count() : shown;
    for (int32_t i = 0; i < named; ++i) {
        text += AnsiString("\r\n") + paths.Get(i);
        if (!reasons.Get(i).IsEmpty()) text += AnsiString("\r\n    ") + reasons.Get(i);
    }
    if (paths.Count() > named) text += AnsiString("\r\nand ") + Decimal(paths.Count() - named) + " more.";
    return text;
}
