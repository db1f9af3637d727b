#include "app/UExtract.h"

#include <windows.h>

#include "script/UScriptItems.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UPayload.h"

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
