#include "util/UPayload.h"

#include <windows.h>

#include "script/UScriptItems.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UScoped.h"
#include "util/UVersionResource.h"

uint32_t ExtractPayload(uint32_t id, const char* path) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "vllib");
    if (!resource) return GetLastError();
    // The bytes are written straight from the mapped image, never copied.
    DWORD size = SizeofResource(nullptr, resource);
    const void* bytes = LockResource(LoadResource(nullptr, resource));

    TScopedFile file(CreateFileForWriting(AnsiString(path)));
    if (!file.IsValid()) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes, size, &written, nullptr)) return GetLastError();
    // A short write leaves a truncated file; on a local disk it means the
    // disk filled up.
    return written == size ? 0 : ERROR_DISK_FULL;
}

bool PayloadProductVersion(uint32_t id, uint32_t* ms, uint32_t* ls) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "vllib");
    if (!resource) return false;
    const void* bytes = LockResource(LoadResource(nullptr, resource));
    return bytes && ImageProductVersion(static_cast<const uint8_t*>(bytes), SizeofResource(nullptr, resource), ms, ls);
}

// The walk below makes folders of siCreateDirectory and files of
// siExtractFile: the opcode table must mark no other opcode for /X.
static_assert(opcode_checks::ExtractedCount() == 2 && OpcodeRowOf(siCreateDirectory)->Extraction == exFolder &&
                  OpcodeRowOf(siExtractFile)->Extraction == exFile,
              "setup.exe /X takes an opcode that ExtractAllPayload does not walk");

void ExtractAllPayload() {
    char current[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof current, current);
    // A current directory too long for the buffer leaves InstallDir empty:
    // the names are then taken relative to the current directory, which is
    // the same place.
    InstallDir = (length > 0 && length < sizeof current) ? AnsiString(current) : AnsiString();

    for (const ScriptItem& item : ScriptItems) {
        uint32_t op = ItemOpcode(item);
        if (op != siCreateDirectory && op != siExtractFile) continue;
        AnsiString path = JoinPath(GetKindDirectory(item.DirKind), item.Name);
        // Nothing is written through a link below the current folder.
        if (LinkInProductFolders(path)) continue;
        if (op == siCreateDirectory) {
            CreateDirectoryPath(path.CStr());
        } else {
            ExtractPayload(item.Value, path.CStr());
        }
    }
}
