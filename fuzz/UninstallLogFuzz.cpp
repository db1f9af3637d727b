// Arbitrary bytes as an uninstall log: checking, reading the header, walking
// the records in replay order and deciding on each must stay inside the
// data, whatever the lengths in it say; and nothing that the install script
// does not record may be let through.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "UDeinstall.h"
#include "UPaths.h"
#include "UText.h"
#include "UnDo.h"

namespace {

const uint32_t LocalMachine = 0x80000002;  // the one root the script creates a key below

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    TDeinstall log;
    log.LogFolder = "C:\\Lib\\Vellorin";
    if (log.SetLogData(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size)) != 0) return 0;
    InstallDir = AnsiString();
    log.ReadHeader();
    if (log.InstallDirKnown != !InstallDir.IsEmpty()) abort();
    TReplayState state;
    state.InstallDirKnown = log.InstallDirKnown;
    state.IdeRoot = "C:\\Borland\\IDE";
    log.Cursor = log.ReplayStart;
    TUninstallRecord record;
    while (log.NextRecord(&record)) {
        if (!MayUndo(record, state)) continue;
        // Never a root or a top-level key, never the install folder unless
        // the log lies there.
        if (record.Kind() == siCreateRegKey &&
            (record.Arg != LocalMachine || FindLastChar(record.Text, '\\') == 0)) {
            abort();
        }
        if (record.DirKind == dkInstallDir && !IsLogFolder(InstallDir, log.LogFolder)) abort();
        if (record.Kind() == siSelectIde) state.IdeIndex = static_cast<int32_t>(record.Arg);
        if (record.Kind() != siCreateDirectory) continue;
        TProductPaths paths(record.DirKind, record.Text);
        AnsiString name;
        while (paths.NextFile(&name) || paths.NextFolder(&name)) {
        }
    }
    return 0;
}
