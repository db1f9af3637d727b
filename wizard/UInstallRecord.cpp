#include "wizard/UInstallRecord.h"

#include <windows.h>

#include "catalogue/UConst.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/URegistry.h"
#include "wizard/USelection.h"

namespace {

// Today in the user's short date format.
AnsiString ShortDate() {
    char date[128];
    int length = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
    return length > 0 ? AnsiString(date) : AnsiString();
}

}  // namespace

bool WriteInstallRecord() {
    const char* key = ProductRegistryKey;
    return WriteRegDword(RootLocalMachine, key, InstallVersionsValueName, InstallVersions) &&
           WriteRegDword(RootLocalMachine, key, InstallItemsValueName, InstallItems) &&
           WriteRegString(RootLocalMachine, key, RootDirValueName, InstallDir.CStr()) &&
           WriteRegString(RootLocalMachine, key, VersionValueName, ProductVersion) &&
           WriteRegString(RootLocalMachine, key, TypeValueName, EditionLabel) &&
           WriteRegString(RootLocalMachine, key, InstallDateValueName, ShortDate().CStr()) &&
           WriteRegDword(RootLocalMachine, key, CustomizeItemsValueName, CustomizeItems);
}

void RecordFolderAhead() {
    AnsiString folder;
    if (ReadRegString(RootLocalMachine, ProductRegistryKey, RootDirValueName, &folder)) return;
    WriteRegString(RootLocalMachine, ProductRegistryKey, RootDirValueName, InstallDir.CStr());
}

TInstallRecord ReadInstallRecord() {
    TInstallRecord record;
    const char* key = ProductRegistryKey;
    uint32_t versions = 0, items = 0;
    ReadRegDword(RootLocalMachine, key, InstallVersionsValueName, &versions);
    ReadRegDword(RootLocalMachine, key, InstallItemsValueName, &items);
    record.InstallVersions = static_cast<int32_t>(versions);
    record.InstallItems = static_cast<int32_t>(items);
    ReadRegString(RootLocalMachine, key, RootDirValueName, &record.RootDir);
    record.HasCustomizeItems = ReadRegDword(RootLocalMachine, key, CustomizeItemsValueName, &record.CustomizeItems);
    return record;
}

TChoiceProblem PresetChoice(const TInstallRecord& record, AnsiString* refused) {
    DetectIdes();
    PresetSelection(record.InstallVersions, record.InstallItems);
    if (record.HasCustomizeItems) CustomizeItems = record.CustomizeItems;
    TChoiceProblem problem = ApplyCommandChoice(refused);
    ComputeSelectionMasks();
    return problem;
}
