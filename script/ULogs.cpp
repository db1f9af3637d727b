// install.log, the account of the run for people, and uninst.log, the
// journal of what can be undone, for the uninstaller.
#include "catalogue/UConst.h"
#include "script/UOperations.h"
#include "script/UScript.h"
#include "script/UUninstallRecord.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UProducts.h"

namespace {

HANDLE CreateLog(const char* name) {
    // The folder may not exist yet: the script creates it only later.
    CreateDirectoryPath(InstallDir.CStr(), nullptr, FolderSecurityFor(InstallDir));
    AnsiString path = JoinPath(InstallDir, name);
    if (LinkInProductFolders(path)) return INVALID_HANDLE_VALUE;
    return CreateFileForWriting(path);
}

void WriteBytes(const TScopedFile& file, const AnsiString& bytes) {
    if (!file.IsValid()) return;
    DWORD written;
    WriteFile(file.Get(), bytes.CStr(), static_cast<DWORD>(bytes.Length()), &written, nullptr);
}

// The header text that a siUninstallHeader record carries for its kind.
AnsiString HeaderText(uint32_t kind) {
    switch (kind) {
    case uhProductName: return ProductName;
    case uhVersion: return ProductVersion;
    case uhEdition: return EditionLabel;
    case uhInstallDir: return InstallDir;
    case uhProductKey: return ProductRegistryKey;
    case uhUninstallKey: return UninstallKeyName;
    default: return AnsiString();
    }
}

}  // namespace

void TScript::OpenInstallLog() {
    installLog_.Reset(CreateLog(InstallLogName));
    if (!installLog_.IsValid()) return;
    // The IDEs this run installs for. (Their Selected flags only say what the
    // selection page proposed, and a changed choice leaves them behind.)
    AnsiString products("Borland products: ");
    bool any = false;
    for (const TBorlandProduct& product : BorlandProducts) {
        if (product.Mask & InstallVersions) {
            if (any) products += ',';
            products += product.Name;
            any = true;
        }
    }
    WriteInstallLogLine(AnsiString("Start installation for ") + EditionText());
    WriteInstallLogLine(AnsiString("RootPath: ") + InstallDir);
    WriteInstallLogLine(products);
}

void TScript::OpenUninstLog() {
    uninstLog_.Reset(CreateLog(UninstallLogName));
    WriteBytes(uninstLog_, AnsiString(UninstallLogMagic, UninstallLogMagicLength));
}

void TScript::WriteInstallLogLine(const AnsiString& line) { WriteBytes(installLog_, line + "\r\n"); }

void TScript::WriteUninstRecord(const ScriptItem& item) {
    TRecordedName recorded = RecordedName(item);
    AnsiString text =
        ItemOpcode(item) == siUninstallHeader ? HeaderText(item.Value) : AnsiString(recorded.Text);
    uint32_t code = item.Id, arg = item.Value;
    // Only a folder that the product made is the product's to take back
    // whole; with the install folder go the folders made above it.
    if (ItemOpcode(item) == siCreateDirectory && itemMadeFolder_) {
        code |= RecordFolderMade;
        if (item.DirKind == dkInstallDir && text.IsEmpty()) arg = ParentsMade;
    }
    // Said in the header as well: a run ended before the folder's own record
    // still leaves a log that takes the folder back.
    if (ItemOpcode(item) == siUninstallHeader && item.Value == uhInstallDir && IsMadeFolder(InstallDir)) {
        code |= RecordFolderMade;
    }
    WriteBytes(uninstLog_, EncodeUninstallRecord(code, arg, recorded.DirKind, text));
}

void TScript::FlushLogs() {
    // Only at the points where a lost tail would hide what was done: the
    // system writes the files out in its own time, after a power cut maybe
    // never, while their size already says otherwise.
    if (installLog_.IsValid()) FlushFileBuffers(installLog_.Get());
    if (uninstLog_.IsValid()) FlushFileBuffers(uninstLog_.Get());
}

void TScript::WriteEndOfLog() {
    WriteBytes(uninstLog_, EncodeUninstallRecord(siUninstallHeader | sfRecordUndo, uhEndOfLog, dkNone, ""));
}
