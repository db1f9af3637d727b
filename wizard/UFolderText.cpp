#include "UFolderText.h"

#include "UConst.h"
#include "UText.h"

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

AnsiString WithoutTrailingSeparator(const AnsiString& folder) {
    char last = folder.Last();
    return last == '\\' || last == '/' ? AnsiString(folder.CStr(), folder.Length() - 1) : folder;
}
