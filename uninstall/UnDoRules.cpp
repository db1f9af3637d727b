// The checks of the undo actions that need no system call.
#include "UConst.h"
#include "UProducts.h"
#include "UUninstallRecord.h"
#include "UnDo.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The path without trailing separators.
AnsiString Trimmed(const AnsiString& path) {
    size_t length = path.Length();
    while (length > 0 && IsSeparator(path[length - 1])) --length;
    return AnsiString(path.CStr(), length);
}

char FoldedCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool SameFolded(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (FoldedCase(*a) != FoldedCase(*b)) return false;
    }
    return *a == *b;
}

bool StartsFolded(const char* text, const char* start) {
    for (; *start; ++text, ++start) {
        if (FoldedCase(*text) != FoldedCase(*start)) return false;
    }
    return true;
}

bool EndsFolded(const AnsiString& text, const char* end) {
    size_t length = 0;
    while (end[length]) ++length;
    return text.Length() >= length && SameFolded(text.CStr() + text.Length() - length, end);
}

// The last component of a name, and its extension (from the last dot on,
// empty without one).
const char* LastComponent(const char* name) {
    const char* last = name;
    for (const char* c = name; *c; ++c) {
        if (IsSeparator(*c)) last = c + 1;
    }
    return last;
}

size_t StemLength(const char* name) {
    size_t dot = 0, length = 0;
    for (; name[length]; ++length) {
        if (name[length] == '.') dot = length;
    }
    return dot ? dot : length;
}

bool ListHolds(const TbrcStringList& list, const char* name) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (SameFolded(list.Get(i).CStr(), name)) return true;
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
        return true;
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
    if (!StartsFolded(text.CStr(), "help\\") || !EndsFolded(text, ".gid")) return false;
    AnsiString name(text.CStr() + 5);
    return IsRelativeName(name, false) && LastComponent(name.CStr()) == name.CStr();
}

// A file of the product in the Windows folder: one that the script puts there.
bool IsWindowsFile(const AnsiString& text) {
    AnsiString name;
    for (int32_t i = 0; i < ScriptItemCount; ++i) {
        if (MadeFile(i, dkWindows, &name) && SameFolded(name.CStr(), text.CStr())) return true;
    }
    return false;
}

// What each line of install.log that names a path starts and ends with.
struct TLogLine {
    const char* Start;
    const char* End;
    TbrcStringList TEarlierInstall::*List;
    bool Copy;  // names its source, " to ", then its target
};

}  // namespace

bool IsProductKey(const TUninstallRecord& record) {
    for (int32_t i = 0; i < ScriptItemCount; ++i) {
        const ScriptItem& item = ScriptItems[i];
        if (ItemOpcode(item) == siCreateRegKey && item.Value == record.Arg && SameFolded(item.Name, record.Text.CStr())) {
            return true;
        }
    }
    return false;
}

bool IsRemovableTree(const AnsiString& path, const AnsiString& windowsDir,
                     const AnsiString& systemDir) {
    AnsiString tree = Trimmed(path);
    const char* text = tree.CStr();
    size_t length = tree.Length();
    // Only absolute paths below a drive or a share: "X:\something" or
    // "\\server\share\something". A relative path would be taken from the
    // current folder, which may be a drive root.
    bool onDrive = length > 3 && text[1] == ':' && IsSeparator(text[2]);
    bool onShare = false;
    if (length > 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        int separators = 0;
        for (size_t i = 2; i < length; ++i) separators += IsSeparator(text[i]) && !IsSeparator(text[i - 1]);
        onShare = separators >= 2;
    }
    if (!onDrive && !onShare) return false;
    return tree != Trimmed(windowsDir) && tree != Trimmed(systemDir);
}

bool IsAbsoluteFolder(const AnsiString& folder) {
    AnsiString canonical = CanonicalFolder(folder);
    const char* text = canonical.CStr();
    size_t length = canonical.Length();
    if (length >= 2 && FoldedCase(text[0]) >= 'a' && FoldedCase(text[0]) <= 'z' && text[1] == ':') {
        return length == 2 || text[2] == '\\';
    }
    // "\\server\share": a separator after a server name, with a share after it.
    if (length < 5 || text[0] != '\\' || text[1] != '\\') return false;
    for (size_t i = 3; i < length; ++i) {
        if (text[i] == '\\') return true;
    }
    return false;
}

bool IsLogFolder(const AnsiString& folder, const AnsiString& logFolder) {
    return IsAbsoluteFolder(folder) && CanonicalFolder(folder) == CanonicalFolder(logFolder);
}

bool IsRelativeName(const AnsiString& name, bool mayBeEmpty) {
    if (name.IsEmpty()) return mayBeEmpty;
    size_t componentStart = 0;
    for (size_t i = 0; i <= name.Length(); ++i) {
        char c = i < name.Length() ? name[i] : '\0';
        if (c == '\0' || IsSeparator(c)) {
            size_t length = i - componentStart;
            const char* component = name.CStr() + componentStart;
            if (length == 0) return false;  // leading, doubled or trailing separator
            if (component[0] == '.' && (length == 1 || (length == 2 && component[1] == '.'))) return false;
            componentStart = i + 1;
            continue;
        }
        if (IsForbiddenInName(c)) return false;
    }
    return true;
}

bool IsProductHelpLine(const AnsiString& text) {
    const char* line = text.CStr();
    if (line[0] == '\r' && line[1] == '\n') line += 2;
    AnsiString rest(line);
    for (size_t i = 0; i < rest.Length(); ++i) {
        if (rest[i] == '\r' || rest[i] == '\n' || rest[i] == '\0') return false;
    }
    if (SameFolded(line, ":link vllib.hlp")) return true;
    return StartsFolded(line, ":index ") && rest.Length() > 7 + 10 && EndsFolded(rest, "=vllib.hlp");
}

bool IsLeftBeside(const AnsiString& name, const AnsiString& product) {
    const char* file = LastComponent(name.CStr());
    const char* made = LastComponent(product.CStr());
    size_t stem = StemLength(file);
    if (file[stem] != '.' || stem != StemLength(made)) return false;
    for (size_t i = 0; i < stem; ++i) {
        if (FoldedCase(file[i]) != FoldedCase(made[i])) return false;
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
        if (SameFolded(extension, output)) return true;
    }
    if (!SameFolded(made + stem, ".hlp")) return false;
    static const char* const HelpOutputs[] = {".gid", ".fts", ".ftg"};
    for (const char* output : HelpOutputs) {
        if (SameFolded(extension, output)) return true;
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
    switch (kind) {
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
               LastComponent(record.Text.CStr()) == record.Text.CStr();
    case siCreateRegKey: return IsProductKey(record);
    case siRegisterUninstall: return true;
    default: return false;
    }
}

void ReadInstallLog(const AnsiString& text, const AnsiString& installDir, TEarlierInstall* earlier) {
    static const TLogLine Lines[] = {
        {"Copying file: from ", " ...Success", &TEarlierInstall::Files, true},
        {"Copying file: ", "...Success", &TEarlierInstall::Files, false},
        {"Creating directory: ", "...Success", &TEarlierInstall::Folders, false},
        {"Clearing directory: ", "...Success", &TEarlierInstall::Cleared, false},
        {"Clearing directory: ", "...Fail", &TEarlierInstall::Cleared, false},
    };
    AnsiString base = CanonicalFolder(installDir) + "\\";
    const char* data = text.CStr();
    for (size_t start = 0; start < text.Length();) {
        size_t end = start;
        while (end < text.Length() && data[end] != '\r' && data[end] != '\n') ++end;
        AnsiString line(data + start, end - start);
        start = end + 1;
        for (const TLogLine& form : Lines) {
            if (!StartsFolded(line.CStr(), form.Start) || !EndsFolded(line, form.End)) continue;
            size_t from = 0;
            while (form.Start[from]) ++from;
            size_t to = line.Length();
            for (const char* c = form.End; *c; ++c) --to;
            AnsiString path(line.CStr() + from, to > from ? to - from : 0);
            // A copy names its source first: the target follows the last " to ".
            if (form.Copy) {
                size_t target = 0;
                for (size_t i = 0; i + 4 <= path.Length(); ++i) {
                    if (path[i] == ' ' && path[i + 1] == 't' && path[i + 2] == 'o' && path[i + 3] == ' ') target = i + 4;
                }
                if (target == 0) break;
                path = AnsiString(path.CStr() + target);
            }
            // Compared and kept as folders are compared: in ASCII lower case.
            AnsiString canonical = CanonicalFolder(path);
            if (!StartsFolded(canonical.CStr(), base.CStr())) break;
            AnsiString name(canonical.CStr() + base.Length());
            if (IsRelativeName(name, false)) (earlier->*form.List).Append(name);
            break;
        }
    }
}

bool IsProductFile(uint32_t dirKind, const AnsiString& name, const TEarlierInstall& earlier) {
    AnsiString made;
    for (int32_t at = 0; at < ProductFileCount(dirKind, earlier); ++at) {
        if (ProductFile(at, dirKind, earlier, &made) && SameFolded(made.CStr(), name.CStr())) return true;
    }
    return false;
}

bool IsClearedFolder(uint32_t dirKind, const AnsiString& folder, const TEarlierInstall& earlier) {
    for (int32_t i = 0; i < ScriptItemCount; ++i) {
        const ScriptItem& item = ScriptItems[i];
        if (ItemOpcode(item) == siClearDirectory && item.DirKind == dirKind &&
            SameFolded(item.Name, folder.CStr())) {
            return true;
        }
    }
    return dirKind == dkInstallDir && ListHolds(earlier.Cleared, folder.CStr());
}

bool TProductPaths::IsBelow(const char* name) const {
    const char* folder = folder_.CStr();
    size_t length = folder_.Length();
    for (size_t i = 0; i < length; ++i) {
        if (name[i] == '\0' || FoldedCase(name[i]) != FoldedCase(folder[i])) return false;
    }
    return length == 0 || IsSeparator(name[length]);
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
