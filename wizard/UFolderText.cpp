#include "wizard/UFolderText.h"

#include "catalogue/UConst.h"
#include "script/UScriptItems.h"
#include "util/UPaths.h"
#include "util/UText.h"

namespace {

// MAX_PATH without its NUL.
const size_t MaxPathLength = 259;

// The length of the root of an absolute folder, without the separator
// after it: 2 for "C:\", that of "\\server\share" for a share's path; 0 for
// any other text.
size_t RootLength(const AnsiString& folder) {
    TPathRoot root = PathRoot(folder);
    return root.Kind == pkDrive || root.Kind == pkShare ? root.Length : 0;
}

// Whether the name, up to its first dot, is a device's: CON, PRN, AUX,
// NUL, COM1 to COM9 or LPT1 to LPT9.
bool IsDeviceName(const char* name, size_t length) {
    size_t stem = 0;
    while (stem < length && name[stem] != '.') ++stem;
    AnsiString upper = FoldedName(AnsiString(name, stem));
    if (upper.Length() != stem || stem < 3 || stem > 4) return false;
    static const char Devices[] = "CONPRNAUXNULCOMLPT";
    for (size_t d = 0; d < sizeof Devices - 1; d += 3) {
        if (upper[0] == Devices[d] && upper[1] == Devices[d + 1] && upper[2] == Devices[d + 2]) {
            // The first four stand alone; COM and LPT take a digit.
            return d < 12 ? stem == 3 : stem == 4 && upper[3] >= '1' && upper[3] <= '9';
        }
    }
    return false;
}

// What is wrong with one name below the root, fpNone when nothing is.
TFolderProblem CheckName(const char* name, size_t length) {
    if (ForbiddenCharAt(name, length) < length) return fpForbiddenCharacter;
    // Its last character: a blank or a dot is a byte of its own.
    size_t last = 0;
    for (size_t i = 0; i < length; i += CharSize(name, length, i)) last = i;
    if (length > 0 && last == length - 1 && (name[last] == ' ' || name[last] == '.')) return fpBadNameEnd;
    if (IsDeviceName(name, length)) return fpDeviceName;
    return fpNone;
}

// The first name below the root with a problem, and the problem; fpNone
// when every name is good.
TFolderProblem FirstBadName(const AnsiString& folder, AnsiString* name) {
    const char* text = folder.CStr();
    size_t start = RootLength(folder);
    while (start < folder.Length()) {
        while (start < folder.Length() && IsSeparator(text[start])) ++start;
        size_t end = start;
        while (end < folder.Length() && !IsSeparator(text[end])) end += CharSize(text, folder.Length(), end);
        TFolderProblem problem = CheckName(text + start, end - start);
        if (problem != fpNone) {
            *name = AnsiString(text + start, end - start);
            return problem;
        }
        start = end;
    }
    return fpNone;
}

// The character of a name that Windows does not allow, as the user is told it.
AnsiString ForbiddenCharacter(const AnsiString& name) {
    size_t at = ForbiddenCharAt(name.CStr(), name.Length());
    if (at == name.Length()) return AnsiString();
    if (static_cast<unsigned char>(name[at]) < 32) return AnsiString("a control character");
    return AnsiString("\"") + AnsiString(name.CStr() + at, 1) + "\"";
}

// `pattern` with each "#" replaced by `first`, each "@" by `second` and
// each "^" by `third`.
AnsiString Filled(const char* pattern, const AnsiString& first, const AnsiString& second,
                  const AnsiString& third = AnsiString()) {
    AnsiString text;
    for (const char* c = pattern; *c != '\0'; ++c) {
        if (*c == '#') {
            text += first;
        } else if (*c == '@') {
            text += second;
        } else if (*c == '^') {
            text += third;
        } else {
            text += *c;
        }
    }
    return text;
}

}  // namespace

AnsiString ParentFolder(const AnsiString& rootDir) {
    return LastNameStart(rootDir) ? ParentPath(rootDir) : rootDir;
}

AnsiString WithProductFolder(const AnsiString& folder) {
    AnsiString result(folder);
    if (!EndsWithSeparator(result)) result += '\\';
    result += ProductWord;
    return result;
}

AnsiString NormalizedFolder(const AnsiString& typed) {
    AnsiString text = typed;
    // Explorer's "Copy as path" puts the path in double quotes.
    if (text.Length() >= 2 && text[0] == '"' && text.Last() == '"') text = AnsiString(text.CStr() + 1, text.Length() - 2);
    // "/" is "\"; its byte is never the second of a character.
    for (char* c = text.Data(); *c != '\0'; ++c) {
        if (*c == '/') *c = '\\';
    }
    TPathRoot root = PathRoot(text);
    if (root.Kind != pkDrive && root.Kind != pkShare) {
        // Not a folder that could be used: its trailing separators go, and
        // the checks say what is wrong with it.
        AnsiString trimmed = WithoutTrailingSeparators(text);
        return trimmed.IsEmpty() ? AnsiString(text.CStr(), text.IsEmpty() ? 0 : 1) : trimmed;
    }
    // The root without a long-path prefix: "\\?\C:" is "C:", and
    // "\\?\UNC\server\share" is "\\server\share".
    AnsiString folder;
    const char* rootText = text.CStr();
    size_t rootLength = root.Length;
    if (rootLength >= 4 && rootText[2] == '?' && rootText[3] == '\\') {
        bool share = root.Kind == pkShare;
        rootText += share ? 8 : 4;
        rootLength -= share ? 8 : 4;
        if (share) folder = "\\\\";
    }
    folder.Append(rootText, rootLength);
    size_t rootEnd = folder.Length();
    // The names below the root, as Windows takes them: "." is the folder
    // itself, ".." its parent (never above the root), and doubled separators
    // are one.
    for (size_t start = root.Length; start < text.Length();) {
        while (start < text.Length() && IsSeparator(text[start])) ++start;
        size_t end = start;
        while (end < text.Length() && !IsSeparator(text[end])) end += CharSize(text.CStr(), text.Length(), end);
        AnsiString name(text.CStr() + start, end - start);
        start = end;
        if (name.IsEmpty() || name == ".") continue;
        if (name == "..") {
            if (folder.Length() > rootEnd) folder = ParentPath(folder);
            continue;
        }
        folder += '\\';
        folder += name;
    }
    // "C:" without its backslash would be the current folder of drive C.
    if (folder.Length() == rootEnd && root.Kind == pkDrive) folder += '\\';
    return folder;
}

uint64_t InstallSpaceNeeded() {
    // A package, its compiled units and its symbol files take a few megabytes
    // for each IDE.
    const uint64_t CompilersOutput = 16u << 20;
    return PayloadWrittenBytes + CompilersOutput;
}

size_t MaxInstallFolderLength() {
    size_t below = 1 + DeepestInstallName;  // the separator and the name
    return below < MaxPathLength ? MaxPathLength - below : 0;
}

TFolderProblem CheckFolderText(const AnsiString& folder) {
    if (folder.IsEmpty()) return fpEmpty;
    size_t root = RootLength(folder);
    if (root == 0) return fpNotAbsolute;
    if (folder.Length() <= root + 1) return fpDriveRoot;
    AnsiString name;
    TFolderProblem problem = FirstBadName(folder, &name);
    if (problem != fpNone) return problem;
    if (folder.Length() > MaxInstallFolderLength()) return fpTooLong;
    return fpNone;
}

AnsiString OffendingName(TFolderProblem problem, const AnsiString& folder) {
    AnsiString name;
    if (RootLength(folder) == 0 || FirstBadName(folder, &name) != problem) return AnsiString();
    return name;
}

AnsiString FolderRoot(const AnsiString& folder) {
    AnsiString root(folder.CStr(), RootLength(folder));
    if (!root.IsEmpty()) root += '\\';
    return root;
}

AnsiString FolderProblemText(TFolderProblem problem, const AnsiString& folder, const AnsiString& other) {
    // By problem, in the order of TFolderProblem: "#" is the folder or the
    // name concerned, "@" what follows from it.
    static const char* const Patterns[] = {
        "",
        "Please enter the destination folder, a full path such as C:\\#.",
        "The destination folder must be a full path, such as C:\\# or \\\\server\\share\\#.",
        "The destination folder is too long. Please enter a folder of at most # characters.",
        "The drive # does not exist.@",
        "The drive # is neither a local disk nor a network share.@",
        "The destination folder # is the root of a drive, where your own files lie. Please enter a folder below it, "
        "such as @.",
        "The name \"#\" in the destination folder holds @, which Windows does not allow in a name. Please enter "
        "another folder.",
        "The name \"#\" in the destination folder ends with @, which Windows does not allow at the end of a name. "
        "Please enter another folder.",
        "The name \"#\" in the destination folder is the name of a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 "
        "to LPT9), which Windows does not allow for a folder. Please enter another folder.",
        "The destination folder # cannot be created. Please enter a folder that you may create.",
        "Setup cannot write into the destination folder #. Please enter a folder that you may write to.",
        "The destination folder # is or holds the folder of an installed IDE, @, whose files Setup must not change. "
        "Please enter a folder of its own, such as ^.",
        "The destination folder # lies in the Windows folder @, which holds the system's own files. Please enter a "
        "folder outside it.",
        "The drive of the destination folder # has @ MB free, and Setup needs about ^ MB there. Please free some "
        "space on it, or enter a folder on another drive.",
    };
    static_assert(sizeof Patterns / sizeof Patterns[0] == fpNoSpace + 1, "a text for each problem");
    const char* pattern = Patterns[problem];
    AnsiString first = folder, second = other;
    switch (problem) {
    case fpEmpty:
    case fpNotAbsolute: first = ProductWord; break;
    case fpTooLong: first = Decimal(static_cast<int32_t>(MaxInstallFolderLength())); break;
    case fpNoSuchDrive:
    case fpUnsuitableDrive:
        first = AnsiString(folder.CStr(), RootLength(folder));
        if (problem == fpNoSuchDrive && first.CStr()[0] == '\\') pattern = "The network share # cannot be reached.@";
        second = " Please enter a folder on a local disk or a network share.";
        break;
    case fpDriveRoot:
        first = FolderRoot(folder);
        second = WithProductFolder(first);
        break;
    case fpForbiddenCharacter:
    case fpBadNameEnd:
    case fpDeviceName:
        first = OffendingName(problem, folder);
        second = problem == fpForbiddenCharacter ? ForbiddenCharacter(first)
                                                 : AnsiString(first.Last() == ' ' ? "a blank" : "a dot");
        break;
    default: break;
    }
    // The IDE's case names a folder beside the IDE to enter instead.
    AnsiString third = problem == fpIdeFolder ? WithProductFolder(ParentFolder(other))
                       : problem == fpNoSpace ? Decimal(static_cast<int32_t>(InstallSpaceNeeded() >> 20))
                                              : AnsiString();
    return Filled(pattern, first, second, third);
}

AnsiString ExistingFolderQuestion(const AnsiString& folder, bool othersCanChange) {
    AnsiString text = AnsiString("The folder ") + folder + " exists and holds files. Setup will put the files of " +
                      ProductName + " into it. A file of the same name as one of them is replaced, and is removed "
                      "when " + ProductName + " is uninstalled. Your other files and folders there are kept as they "
                      "are.";
    if (othersCanChange) {
        text += "\r\n\r\nUsers other than administrators can change this folder now. Setup will make it a program "
                "folder that only administrators can change, with everything it holds.";
    }
    return text + "\r\n\r\nInstall into this folder?";
}
