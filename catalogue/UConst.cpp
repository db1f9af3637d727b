#include "catalogue/UConst.h"

#include "util/UPaths.h"

const char ProductMaker[] = "Brindlecraft";
const char ProductName[] = "Vellorin library";
// Another release of the same code (the tests build the one before) says
// its own version.
#ifndef VL_PRODUCT_VERSION
#define VL_PRODUCT_VERSION "3.19"
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

TSelectionItem SelectionItems[SelectionItemCount] = {
    {0x001, "Delphi 3", false, 0x001},
    {0x002, "Delphi 4", false, 0x002},
    {0x004, "Delphi 5", false, 0x004},
    {0x008, "Delphi 6", false, 0x040},
    {0x400, "Delphi 7", false, 0x100},
    {0x010, "C++Builder 4", false, 0x010},
    {0x020, "C++Builder 5", false, 0x020},
    {0x040, "C++Builder 6", false, 0x080},
    {0x080, "Context help files", false, 0},
    {0x100, "Delphi demo projects", false, 0},
    {0x200, "C++Builder demo projects", false, 0},
};

const TCustomizeOption CustomizeOptions[CustomizeOptionCount] = {{"", ""}};

uint32_t InstallVersions = 0;
uint32_t InstallItems = 0;
// Bit 2 has no row; the value is kept as the installation record has always stored it.
uint32_t CustomizeItems = 5;

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
