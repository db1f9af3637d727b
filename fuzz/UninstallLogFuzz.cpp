// Arbitrary bytes as an uninstall log, with arbitrary bytes as the install
// log beside it: checking, reading the header, walking the records in replay
// order and deciding on each must stay inside the data, whatever the lengths
// in it say; and nothing outside the product's territory may be let through.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <initializer_list>

#include "uninstall/UDeinstall.h"
#include "uninstall/UnDo.h"
#include "util/UPaths.h"
#include "util/UText.h"

namespace {

const uint32_t LocalMachine = 0x80000002;  // the one root the script creates a key below

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    // The first half is the uninstall log, the second the install log.
    size_t half = size / 2;
    TDeinstall log;
    log.LogFolder = "C:\\Lib\\Vellorin";
    if (log.SetLogData(reinterpret_cast<const char*>(data), static_cast<uint32_t>(half)) != 0) return 0;
    InstallDir = AnsiString();
    log.ReadHeader();
    if (log.InstallDirKnown != !InstallDir.IsEmpty()) abort();
    TEarlierInstall earlier;
    ReadInstallLog(AnsiString(reinterpret_cast<const char*>(data) + half, size - half), InstallDir, &earlier);
    for (const TbrcStringList* list : {&earlier.Files, &earlier.Folders, &earlier.Cleared}) {
        for (int32_t i = 0; i < list->Count(); ++i) {
            if (!IsRelativeName(list->Get(i), false)) abort();
        }
    }
    TReplayState state;
    state.InstallDirKnown = log.InstallDirKnown;
    state.IdeRoot = "C:\\Borland\\IDE";
    log.Cursor = log.ReplayStart;
    TUninstallRecord record;
    while (log.NextRecord(&record)) {
        state.BlockIde = log.BlockIdeAt(record.Offset);
        if (!MayUndo(record, state)) continue;
        // Never a root or a top-level key, never the install folder unless
        // the log lies there.
        if (record.Kind() == siCreateRegKey &&
            (record.Arg != LocalMachine || FindLastChar(record.Text, '\\') == 0)) {
            abort();
        }
        // The kinds whose undo forms a path from the record.
        bool path = record.Kind() != siSelectIde && record.Kind() != siRegisterUninstall &&
                    record.Kind() != siCreateRegKey && record.Kind() != siRegisterWinHelp &&
                    record.Kind() != siModifyFile;
        if (path && record.DirKind == dkInstallDir &&
            (!IsLogFolder(InstallDir, log.LogFolder) || !IsRelativeName(record.Text, true))) {
            abort();
        }
        if (path && record.DirKind != dkInstallDir && record.DirKind != dkIdeRoot && record.DirKind != dkWindows) {
            abort();
        }
        if (record.Kind() == siSelectIde) state.IdeIndex = static_cast<int32_t>(record.Arg);
        if (record.Kind() != siCreateDirectory) continue;
        TProductPaths paths(record.DirKind, record.Text, earlier);
        AnsiString name;
        while (paths.NextFile(&name) || paths.NextFolder(&name)) {
        }
    }
    return 0;
}
