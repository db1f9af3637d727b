// The checks of the undo actions that need no system call.
#include "UConst.h"
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

// A folder as folders are compared: ASCII letters in lower case, every
// separator a backslash, runs of them as one (but the two that begin a UNC
// path) and none at the end.
AnsiString Canonical(const AnsiString& folder) {
    AnsiString canonical;
    for (size_t i = 0; i < folder.Length(); ++i) {
        char c = IsSeparator(folder[i]) ? '\\' : FoldedCase(folder[i]);
        if (c == '\\' && canonical.Length() > 1 && canonical.Last() == '\\') continue;
        canonical += c;
    }
    return Trimmed(canonical);
}

// Kinds whose undo works on the current IDE: its registry keys or files.
bool UsesIde(uint32_t kind, uint32_t dirKind) {
    return kind == siRegisterPackage || kind == siAddSearchPath || kind == siModifyFile ||
           dirKind == dkIdeRoot || dirKind == dkIdeHelp;
}

// Kinds whose undo reads Arg: the IDE index, the help-file slot, the root key.
bool UsesArg(uint32_t kind) { return kind == siSelectIde || kind == siModifyFile || kind == siCreateRegKey; }

// What a compile step leaves beside the package that it builds: Delphi's
// compiler the package's compiled symbols; C++Builder's make tool the
// import libraries, the object of the package source and the debug symbols.
const char* const DelphiOutputs[] = {".dcp"};
const char* const MakeOutputs[] = {".bpi", ".lib", ".obj", ".tds"};

template <size_t Count>
bool Output(const char* const (&extensions)[Count], uint32_t at, const char** extension) {
    if (at >= Count) return false;
    *extension = extensions[at];
    return true;
}

// The `part`th file that item `index` makes in the directory of `dirKind`
// (part 0 the item's own file); false when there is none.
bool MadeFile(int32_t index, uint32_t part, uint32_t dirKind, AnsiString* name) {
    const ScriptItem& item = ScriptItems[index];
    switch (ItemOpcode(item)) {
    case siExtractFile:
    case siExtractIfAbsent:
    case siExtractIfNewer: break;
    case siCopyFile:
        if (part > 0 || !item.Target || item.Target->DirKind != dirKind) return false;
        *name = item.Target->Name;
        return true;
    // A compile step leaves the package that the check after it looks for,
    // and more files of the same name.
    case siCheckFile: {
        if (index == 0 || ItemOpcode(ScriptItems[index - 1]) != siCompilePackage || item.DirKind != dirKind) {
            return false;
        }
        if (part == 0) break;
        const char* project = ScriptItems[index - 1].Name;
        const char* dot = project;
        for (const char* c = project; *c; ++c) {
            if (*c == '.') dot = c;
        }
        const char* extension;
        bool delphi = dot[0] == '.' && FoldedCase(dot[1]) == 'd';
        if (!(delphi ? Output(DelphiOutputs, part - 1, &extension) : Output(MakeOutputs, part - 1, &extension))) {
            return false;
        }
        const AnsiString package(item.Name);
        size_t stem = package.Length();
        while (stem > 0 && package[stem - 1] != '.' && package[stem - 1] != '\\') --stem;
        if (stem == 0 || package[stem - 1] != '.') return false;
        *name = AnsiString(package.CStr(), stem - 1) + extension;
        return true;
    }
    default: return false;
    }
    if (part > 0 || item.DirKind != dirKind) return false;
    *name = item.Name;
    return true;
}

// The files of item `at`, and after the items the two logs, which lie in
// the install folder.
bool ProductFile(int32_t at, uint32_t part, uint32_t dirKind, AnsiString* name) {
    if (at < ScriptItemCount) return MadeFile(at, part, dirKind, name);
    if (dirKind != dkInstallDir || part > 0) return false;
    *name = at == ScriptItemCount ? InstallLogName : UninstallLogName;
    return true;
}

}  // namespace

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
    AnsiString canonical = Canonical(folder);
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
    return IsAbsoluteFolder(folder) && Canonical(folder) == Canonical(logFolder);
}

bool MayUndo(const TUninstallRecord& record, const TReplayState& state) {
    uint32_t kind = record.Kind();
    // Header records in the body undo nothing.
    if (kind == siUninstallHeader) return false;
    if (record.DirKind == dkInstallDir && !state.InstallDirKnown) return false;
    if ((record.DirKind == dkIdeRoot || record.DirKind == dkIdeHelp) && !IsAbsoluteFolder(state.IdeRoot)) {
        return false;
    }
    bool usesIde = UsesIde(kind, record.DirKind);
    // Each IDE's block begins and ends with a recorded select item.
    uint32_t ide = 0;
    for (const ScriptItem& item : ScriptItems) {
        if (!(item.Id & sfRecordUndo)) continue;
        if (ItemOpcode(item) == siSelectIde) ide = item.Value;
        if (ItemOpcode(item) != kind) continue;
        TRecordedName recorded = RecordedName(item);
        if (recorded.DirKind == record.DirKind && record.Text == recorded.Text &&
            (!UsesArg(kind) || record.Arg == item.Value) &&
            (!usesIde || ide == static_cast<uint32_t>(state.IdeIndex))) {
            return true;
        }
    }
    return false;
}

bool TProductPaths::IsBelow(const char* name) const {
    const char* folder = folder_.CStr();
    size_t length = folder_.Length();
    for (size_t i = 0; i < length; ++i) {
        if (name[i] == '\0' || FoldedCase(name[i]) != FoldedCase(folder[i])) return false;
    }
    return length == 0 || name[length] == '\\';
}

bool TProductPaths::NextFile(AnsiString* name) {
    while (file_ < ScriptItemCount + 2) {
        AnsiString made;
        if (!ProductFile(file_, part_, dirKind_, &made)) {
            ++file_;
            part_ = 0;
            continue;
        }
        ++part_;
        if (IsBelow(made.CStr())) {
            *name = made;
            return true;
        }
    }
    return false;
}

bool TProductPaths::NextFolder(AnsiString* name) {
    while (folderItem_ > 0) {
        const ScriptItem& item = ScriptItems[--folderItem_];
        if (ItemOpcode(item) == siCreateDirectory && item.DirKind == dirKind_ && item.Name[0] != '\0' &&
            IsBelow(item.Name)) {
            *name = item.Name;
            return true;
        }
    }
    return false;
}
