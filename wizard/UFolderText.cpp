#include "UFolderText.h"

#include "UConst.h"
#include "UScriptItems.h"
#include "UText.h"

namespace {

// MAX_PATH without its NUL.
const size_t MaxPathLength = 259;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The length of the root of an absolute folder, without the separator
// after it: 2 for "C:\", that of "\\server\share" for a network path; 0 for
// any other text.
size_t RootLength(const AnsiString& folder) {
    const char* text = folder.CStr();
    if (IsLetter(text[0]) && text[1] == ':' && text[2] == '\\') return 2;
    if (text[0] != '\\' || text[1] != '\\') return 0;
    size_t server = 2, i = server;
    while (text[i] != '\0' && text[i] != '\\') ++i;
    // Device paths (\\.\ and \\?\) name no server.
    bool device = i == server + 1 && (text[server] == '.' || text[server] == '?');
    if (i == server || text[i] == '\0' || device) return 0;
    size_t share = ++i;
    while (text[i] != '\0' && text[i] != '\\') ++i;
    return i > share ? i : 0;
}

// `pattern` with each "#" replaced by `value`.
AnsiString Filled(const char* pattern, const AnsiString& value) {
    AnsiString text;
    for (const char* c = pattern; *c != '\0'; ++c) {
        if (*c == '#') {
            text += value;
        } else {
            text += *c;
        }
    }
    return text;
}

}  // namespace

AnsiString ParentFolder(const AnsiString& rootDir) {
    size_t slash = FindLastChar(rootDir, '\\');
    return slash ? AnsiString(rootDir.CStr(), slash - 1) : rootDir;
}

AnsiString WithProductFolder(const AnsiString& folder) {
    AnsiString result(folder);
    if (result.Last() != '\\') result += '\\';
    result += ProductWord;
    return result;
}

AnsiString NormalizedFolder(const AnsiString& typed) {
    size_t length = typed.Length();
    // "C:" without its backslash would be the current folder of drive C.
    while (length > 1 && IsSeparator(typed[length - 1]) && !(length == 3 && typed[1] == ':')) --length;
    AnsiString folder(typed.CStr(), length);
    for (char* c = folder.Data(); *c != '\0'; ++c) {
        if (*c == '/') *c = '\\';
    }
    return folder;
}

size_t MaxInstallFolderLength() {
    size_t below = 1 + DeepestInstallName;  // the separator and the name
    return below < MaxPathLength ? MaxPathLength - below : 0;
}

TFolderProblem CheckFolderText(const AnsiString& folder) {
    if (folder.IsEmpty()) return fpEmpty;
    if (RootLength(folder) == 0) return fpNotAbsolute;
    if (folder.Length() > MaxInstallFolderLength()) return fpTooLong;
    return fpNone;
}

AnsiString FolderRoot(const AnsiString& folder) {
    AnsiString root(folder.CStr(), RootLength(folder));
    if (!root.IsEmpty()) root += '\\';
    return root;
}

AnsiString FolderProblemText(TFolderProblem problem, const AnsiString& folder) {
    AnsiString root(folder.CStr(), RootLength(folder));
    AnsiString text;
    switch (problem) {
    case fpEmpty:
        return Filled("Please enter the destination folder, a full path such as C:\\#.", ProductWord);
    case fpNotAbsolute:
        return Filled("The destination folder must be a full path, such as C:\\# or \\\\server\\share\\#.",
                      ProductWord);
    case fpTooLong:
        return Filled("The destination folder is too long. Please enter a folder of at most # characters.",
                      Decimal(static_cast<int32_t>(MaxInstallFolderLength())));
    case fpNoSuchDrive:
        text = Filled(root.CStr()[0] == '\\' ? "The network share # cannot be reached." : "The drive # does not exist.",
                      root);
        break;
    case fpUnsuitableDrive:
        text = Filled("The drive # is neither a local disk nor a network share.", root);
        break;
    case fpNone:
        return text;
    }
    text += " Please enter a folder on a local disk or a network share.";
    return text;
}
