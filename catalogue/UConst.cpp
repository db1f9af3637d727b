#include "catalogue/UConst.h"

#include "resources/version.h"
#include "util/UPaths.h"
#include "util/UProducts.h"

const char ProductMaker[] = "Brindlecraft";
const char ProductName[] = "Vellorin library";
// Another release of the same code (the tests build the one before) says
// its own version.
#ifndef VL_PRODUCT_VERSION
#define VL_PRODUCT_VERSION VL_VERSION_SHORT
#endif
const char ProductVersion[] = VL_PRODUCT_VERSION;
const char EditionLabel[] = "source code edition";
const char ProductWord[] = "Vellorin";
const char ProductDescription[] =
    "Vellorin library - collection of components for working with the application settings.\r\n\r\n";
const char ProductRegistryKey[] = "Software\\Brindlecraft\\Vellorin library";
const char ProductWebPage[] = "https://www.brindlecraft.example/vellorin/";

const char InstallVersionsValueName[] = "InstallVersions";
const char InstallItemsValueName[] = "InstallItems";
const char VersionValueName[] = "Version";
const char TypeValueName[] = "Type";
const char InstallDateValueName[] = "InstallDate";
const char CustomizeItemsValueName[] = "CustomizeItems";

const char UninstallerName[] = "redud.exe";
const char UninstallKeyName[] = "vllLib";
const char DisplayNameValueName[] = "DisplayName";
const char UninstallStringValueName[] = "UninstallString";
const char DisplayVersionValueName[] = "DisplayVersion";
const char PublisherValueName[] = "Publisher";
const char InstallLocationValueName[] = "InstallLocation";
const char DisplayIconValueName[] = "DisplayIcon";
const char NoModifyValueName[] = "NoModify";
const char NoRepairValueName[] = "NoRepair";
const char EstimatedSizeValueName[] = "EstimatedSize";
const char InstallLogName[] = "install.log";
const char UninstallLogName[] = "uninst.log";

const char HelpIndexLine[] = "\r\n:Index Vellorin library components=vllib.hlp";
const char HelpLinkLine[] = "\r\n:Link vllib.hlp";
const char HelpIndexStart[] = ":Index ";
const char HelpIndexEnd[] = "=vllib.hlp";

namespace {

// The selection page's row of the IDE at `position` among its IDE rows.
constexpr TSelectionItem IdeSelectionRow(int position) {
    for (const TIdeRow& ide : IdeRows) {
        if (ide.ItemBit != 0 && ide.Position == position) return {ide.ItemBit, ide.DisplayName, ide.Mask, ide.Option};
    }
    return {0, "", 0, ""};
}

// The IDE rows of the page, each at one place of 0..count-1, and item bits
// that no two rows share.
constexpr bool IdeRowsFillTheirPlaces(int count) {
    int rows = 0;
    for (const TIdeRow& ide : IdeRows) {
        if (ide.ItemBit == 0) continue;
        ++rows;
        if (ide.Position < 0 || ide.Position >= count) return false;
        for (const TIdeRow& other : IdeRows) {
            bool same = other.Position == ide.Position || other.ItemBit == ide.ItemBit;
            if (&other != &ide && other.ItemBit != 0 && same) return false;
        }
    }
    return rows == count;
}

constexpr bool PartsApartFromIdes() {
    for (const TIdeRow& ide : IdeRows) {
        if (ide.ItemBit & (HelpFilesItem | DelphiDemosItem | CBuilderDemosItem)) return false;
    }
    return true;
}

}  // namespace

// The IDE rows come first, then the optional parts.
static_assert(IdeRowsFillTheirPlaces(SelectionItemCount - 3) && PartsApartFromIdes(),
              "the selection page's IDE rows do not match the IDE table");

const TSelectionItem SelectionItems[SelectionItemCount] = {
    IdeSelectionRow(0),
    IdeSelectionRow(1),
    IdeSelectionRow(2),
    IdeSelectionRow(3),
    IdeSelectionRow(4),
    IdeSelectionRow(5),
    IdeSelectionRow(6),
    IdeSelectionRow(7),
    {HelpFilesItem, "Context help files", 0, "help"},
    {DelphiDemosItem, "Delphi demo projects", 0, "delphidemos"},
    {CBuilderDemosItem, "C++Builder demo projects", 0, "cbuilderdemos"},
};

const TCustomizeOption CustomizeOptions[CustomizeOptionCount] = {{"", ""}};

namespace {

AnsiString QuotedIfBlank(const AnsiString& text) {
    for (size_t i = 0; i < text.Length(); ++i) {
        if (text[i] == ' ') return AnsiString("\"") + text + "\"";
    }
    return text;
}

}  // namespace

AnsiString ProductNameAndVersion() { return AnsiString(ProductName) + " v" + ProductVersion; }

AnsiString EditionText() { return AnsiString(EditionLabel) + " of " + ProductNameAndVersion(); }

AnsiString PackageDescription() {
    AnsiString text = EditionText();
    char* first = text.Data();
    if (*first >= 'a' && *first <= 'z') *first = static_cast<char>(*first - 'a' + 'A');
    return text;
}

AnsiString UninstallDisplayName() {
    return AnsiString(ProductMaker) + " " + ProductNameAndVersion();
}

AnsiString UninstallRegistryKey() {
    return AnsiString("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + UninstallKeyName;
}

AnsiString UninstallCommand(const AnsiString& installDir) {
    return QuotedIfBlank(JoinPath(installDir, UninstallerName)) + " " +
           QuotedIfBlank(JoinPath(installDir, UninstallLogName));
}
