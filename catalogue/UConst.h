// The names of the packaged product, in one place: every text that names it
// is composed here from these.
#pragma once

#include <stdint.h>

#include "util/UAnsiString.h"
#include "util/URunState.h"

extern const char ProductMaker[];        // "Brindlecraft"
extern const char ProductName[];         // "Vellorin library"
extern const char ProductVersion[];      // "3.19", a text, never a number
extern const char EditionLabel[];        // lower-case; composed texts put it before " of "
extern const char ProductWord[];         // last component of the default install folder
extern const char ProductDescription[];  // ends with two line breaks
extern const char ProductRegistryKey[];  // the installation record, below HKEY_LOCAL_MACHINE
extern const char ProductWebPage[];      // the maker's page that the wizard's link opens

// Value names of the installation record (its "RootDir" is RootDirValueName).
extern const char InstallVersionsValueName[];
extern const char InstallItemsValueName[];
extern const char VersionValueName[];
extern const char TypeValueName[];
extern const char InstallDateValueName[];
extern const char CustomizeItemsValueName[];

extern const char UninstallerName[];     // the uninstaller program in the install folder
extern const char UninstallKeyName[];    // the Add/Remove Programs entry's key name
extern const char DisplayNameValueName[];      // values of that entry
extern const char UninstallStringValueName[];
// The entry's values that Windows shows for every program: "DisplayVersion",
// "Publisher", "InstallLocation", "DisplayIcon", "NoModify", "NoRepair",
// and "EstimatedSize" (KB).
extern const char DisplayVersionValueName[];
extern const char PublisherValueName[];
extern const char InstallLocationValueName[];
extern const char DisplayIconValueName[];
extern const char NoModifyValueName[];
extern const char NoRepairValueName[];
extern const char EstimatedSizeValueName[];
extern const char InstallLogName[];      // the two logs in the install folder
extern const char UninstallLogName[];

// Lines that the script appends to the IDEs' help configuration files, each
// with its leading line break so that it always starts a line of its own.
extern const char HelpIndexLine[];
extern const char HelpLinkLine[];
// What an index line of any release starts with after its line break, and
// what it ends with: the product's help file, whatever the title between.
extern const char HelpIndexStart[];
extern const char HelpIndexEnd[];

// The rows of the IDE selection list, in display order.
struct TSelectionItem {
    uint32_t ItemBit;         // bit in InstallItems
    const char* DisplayName;
    uint32_t IdeBit;          // Mask of the IDE; 0 for an optional part
    const char* Option;       // its name in setup.exe's /IDES= or /PARTS= list
};
const int SelectionItemCount = 11;
// The item bits of the optional parts, the last three rows.
const uint32_t HelpFilesItem = 0x080, DelphiDemosItem = 0x100, CBuilderDemosItem = 0x200;
extern const TSelectionItem SelectionItems[SelectionItemCount];

// The rows of the Customize dialog; bit i of CustomizeItems stands for row i.
struct TCustomizeOption {
    const char* Name;
    const char* Description;
};
const int CustomizeOptionCount = 1;
extern const TCustomizeOption CustomizeOptions[CustomizeOptionCount];

// The selection (InstallVersions, InstallItems, CustomizeItems) is part of
// the run's state.

// "Vellorin library v3.19"
AnsiString ProductNameAndVersion();
// "<edition> of Vellorin library v3.19"
AnsiString EditionText();
// The edition text with its first letter upper-cased: the description under
// which the IDEs list the design packages.
AnsiString PackageDescription();
// "Brindlecraft Vellorin library v3.19": the Add/Remove Programs entry.
AnsiString UninstallDisplayName();
// The Add/Remove Programs entry, below HKEY_LOCAL_MACHINE.
AnsiString UninstallRegistryKey();
// The uninstaller and the uninstall log of an installation in `installDir`,
// each quoted when it holds a blank.
AnsiString UninstallCommand(const AnsiString& installDir);
