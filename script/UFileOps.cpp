// The file operations of the script: directories, payload files, copies,
// deletions, checks and edits of the IDEs' text files.
#include <stdlib.h>
#include <windows.h>

#include "UFileTree.h"
#include "UOperations.h"
#include "UPaths.h"
#include "UPayload.h"
#include "UProducts.h"
#include "UScoped.h"
#include "UText.h"
#include "UbrcStringList.h"

namespace {

const char Success[] = "...Success";
const char Fail[] = "...Fail";
const char Already[] = "...Already";

const char* Outcome(int32_t result) { return result == 0 ? Success : Fail; }

int32_t LastError() { return static_cast<int32_t>(GetLastError()); }

bool Exists(const AnsiString& path) {
    WIN32_FIND_DATAA found;
    return TScopedFind(path.CStr(), &found).IsValid();
}

// The path up to and including its last backslash; the path itself when it
// has none.
AnsiString FolderWithSeparator(const AnsiString& path) {
    size_t slash = FindLastChar(path, '\\');
    return slash ? AnsiString(path.CStr(), slash) : path;
}

// One of the current IDE's help configuration files by slot 1..3; empty for
// an IDE index or slot outside the table.
const char* CurrentIdeFile(uint32_t slot) {
    if (CurrentIdeIndex < 1 || CurrentIdeIndex > BorlandProductCount || slot < 1 || slot > 3) {
        return "";
    }
    return BorlandProducts[CurrentIdeIndex - 1].IdeFiles[slot - 1];
}

// Opens an existing text file for editing and reads it whole. Returns 0, -1
// when it cannot be opened, -2 when its size (or content) cannot be read.
int32_t ReadForEdit(const AnsiString& path, TScopedFile* file, AnsiString* content) {
    file->Reset(CreateFileA(path.CStr(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file->IsValid()) return -1;
    DWORD size = GetFileSize(file->Get(), nullptr);
    if (size == INVALID_FILE_SIZE) return -2;
    content->SetLength(size);
    DWORD read = 0;
    if (size > 0 && !ReadFile(file->Get(), content->Data(), size, &read, nullptr)) return -2;
    content->SetLength(read);
    return 0;
}

// Writes at the file position; 0 or the Windows error (a short write is a
// full disk).
int32_t WriteText(HANDLE file, const char* text, size_t length) {
    DWORD written = 0;
    if (length == 0) return 0;
    if (!WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr)) return LastError();
    return written == length ? 0 : ERROR_DISK_FULL;
}

bool StartsWithCrLf(const char* text) { return text[0] == '\r' && text[1] == '\n'; }

// Whether the payload is newer than the file at `path`, by product versions.
bool PayloadIsNewer(const ScriptItem& item, const AnsiString& path) {
    uint32_t installedMs, installedLs;
    if (!GetFileProductVersion(path.CStr(), &installedMs, &installedLs)) return true;
    AnsiString copy = JoinPath(GetKindDirectory(dkTemp), item.Name);
    uint32_t payloadMs, payloadLs;
    if (ExtractPayload(item.Value, copy.CStr()) != 0 ||
        !GetFileProductVersion(copy.CStr(), &payloadMs, &payloadLs)) {
        return true;
    }
    DeleteFileA(copy.CStr());
    return payloadMs > installedMs || (payloadMs == installedMs && payloadLs > installedLs);
}

}  // namespace

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

int32_t OpCreateDirectory(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    int32_t result = static_cast<int32_t>(CreateDirectoryPath(path.CStr()));
    *line = AnsiString("Creating directory: ") + path + Outcome(result);
    return result;
}

int32_t OpExtractFile(const ScriptItem& item, AnsiString* line, bool replace) {
    AnsiString path = ItemPath(item);
    if (!replace && Exists(path)) {
        *line = AnsiString("Copying file: ") + path + Already;
        return 0;
    }
    int32_t result = static_cast<int32_t>(ExtractPayload(item.Value, path.CStr()));
    *line = AnsiString("Copying file: ") + path + Outcome(result);
    return result;
}

int32_t OpExtractIfNewer(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    if (PayloadIsNewer(item, path)) return OpExtractFile(item, line, true);
    *line = AnsiString("Copying file: ") + path + Already;
    return 0;
}

int32_t OpClearDirectory(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    uint32_t failed = DeleteDirectoryTree(path.CStr(), true);
    *line = AnsiString("Clearing directory: ") + path + (failed ? Fail : Success);
    return 0;
}

int32_t OpSetCurrentDir(const ScriptItem& item) {
    return SetCurrentDirectoryA(ItemPath(item).CStr()) ? 0 : LastError();
}

int32_t OpCopyFile(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item), target = TargetPath(item);
    int32_t result = CopyFileA(path.CStr(), target.CStr(), FALSE) ? 0 : LastError();
    *line = AnsiString("Copying file: from ") + path + " to " + target + " " + Outcome(result);
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
            if (!CopyFileA((sourceFolder + found.cFileName).CStr(),
                           (targetFolder + found.cFileName).CStr(), FALSE)) {
                result = LastError();
                break;
            }
        } while (listing.Next(&found));
    }
    *line = AnsiString("Copying file: from ") + mask + " to " + destination + " " + Outcome(result);
    return result;
}

int32_t OpDeleteFile(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    DeleteFileA(path.CStr());
    *line = AnsiString("Deleting file: ") + path + Success;
    return 0;
}

int32_t OpDeleteFiles(const ScriptItem& item, AnsiString* line) {
    AnsiString mask = ItemPath(item);
    size_t slash = FindLastChar(mask, '\\');
    AnsiString folder(mask.CStr(), slash);
    WIN32_FIND_DATAA found;
    TScopedFind listing(mask.CStr(), &found);
    if (listing.IsValid()) {
        do {
            DeleteFileA((folder + found.cFileName).CStr());
        } while (listing.Next(&found));
    }
    *line = AnsiString("Deleting files: ") + mask + Success;
    return 0;
}

int32_t OpCheckFile(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    int32_t result = Exists(path) ? 0 : 1;
    *line = AnsiString("Check file: ") + path + Outcome(result);
    return result;
}

int32_t OpModifyFile(const ScriptItem& item, AnsiString* line) {
    AnsiString path = JoinPath(GetKindDirectory(item.DirKind), CurrentIdeFile(item.Value));
    TScopedFile file(INVALID_HANDLE_VALUE);
    AnsiString content;
    int32_t result = ReadForEdit(path, &file, &content);
    if (result != 0) return result;

    *line = AnsiString("Modifying file: ") + path;
    if (FindTextPos(LowerCase(content), LowerCase(item.Name)) != 0) {
        *line += Already;
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
    AnsiString addition = AnsiString(text) + "\r\n";
    result = WriteText(file.Get(), addition.CStr(), addition.Length());
    *line += Outcome(result);
    return result;
}

int32_t OpMergeFiles(const ScriptItem& item, AnsiString* line) {
    AnsiString source = ItemPath(item), destination = ItemPath2(item);
    TbrcStringList sourceLines, destinationLines;
    destinationLines.Duplicates = 0;
    sourceLines.LoadFromFile(source.CStr());
    destinationLines.LoadFromFile(destination.CStr());
    for (int32_t i = 0; i < sourceLines.Count(); ++i) {
        if (destinationLines.IndexOf(sourceLines.Get(i)) == -1) destinationLines.Add(sourceLines.Get(i));
    }
    destinationLines.SaveToFile(destination.CStr());
    *line = AnsiString("Merging files: ") + source + ", " + destination + Success;
    return 0;
}

int32_t OpReplaceText(const ScriptItem& item, AnsiString* line) {
    AnsiString path = ItemPath(item);
    TScopedFile file(INVALID_HANDLE_VALUE);
    AnsiString content;
    int32_t result = ReadForEdit(path, &file, &content);
    if (result != 0) return result;

    AnsiString find(item.Text), replacement(item.Name2);
    *line = AnsiString("Replace text: File=") + path + ", FindText=" + find + ", ReplaceTo=" + replacement;
    size_t position = FindTextPos(LowerCase(content), LowerCase(find));
    if (position == 0) {
        *line += Already;
        return 0;
    }
    // Everything from the found text on is written anew, and the file ends
    // right after it.
    AnsiString tail = replacement;
    size_t after = position - 1 + find.Length();
    tail.Append(content.CStr() + after, content.Length() - after);
    SetFilePointer(file.Get(), static_cast<LONG>(position - 1), nullptr, FILE_BEGIN);
    result = WriteText(file.Get(), tail.CStr(), tail.Length());
    if (result == 0 && !SetEndOfFile(file.Get())) result = LastError();
    *line += Outcome(result);
    return result;
}
