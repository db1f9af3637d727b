#include "FakeIde.h"

#include <windows.h>

#include <filesystem>

#include "TestSupport.h"
#include "util/UProducts.h"

namespace {

const char* const IndexFileNames[] = {"delphi3", "delphi4", "delphi5", "bcb3", "bcb4",
                                      "bcb5",    "delphi6", "bcb6",    "d7"};

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

void DeleteKeyAndEmptyParents(HKEY root, std::string key) {
    RegDeleteTreeA(root, key.c_str());
    RegDeleteKeyA(root, key.c_str());
    // Parents go while they are empty; "Software" never is.
    for (size_t slash; (slash = key.rfind('\\')) != std::string::npos;) {
        key.resize(slash);
        if (RegDeleteKeyA(root, key.c_str()) != ERROR_SUCCESS) break;
    }
}

}  // namespace

const char FakeIde::OwnPackage[] = "$(DELPHI)\\Bin\\dclstd.bpl";
const char FakeIde::HelpFileText[] = ":Base ide.hlp\r\n:Index Borland help=ide.hlp\r\n";
const char FakeIde::AliasFileText[] = "TButton=vcl.hlp>main\r\nTForm=vcl.hlp>main\r\n";

FakeIde::FakeIde(int index, const std::string& root, const FakeIdeOptions& options)
    : index_(index), root_(root), lasting_(options.lasting) {
    const TBorlandProduct& product = BorlandProducts[index - 1];
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, product.RegKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "RootDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                   static_cast<DWORD>(root.size() + 1));
    RegCloseKey(key);
    // The IDE's own design packages, as an installed IDE lists them.
    std::string packages = std::string(product.RegKey) + "\\Known Packages";
    RegCreateKeyExA(HKEY_CURRENT_USER, packages.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, OwnPackage, 0, REG_SZ, reinterpret_cast<const BYTE*>("Standard Components"), 20);
    RegCloseKey(key);
    std::string library = std::string(product.RegKey) + "\\Library";
    RegCreateKeyExA(HKEY_CURRENT_USER, library.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    if (options.searchPath) {
        RegSetValueExA(key, SearchPathValueName(index), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(options.searchPathValue.c_str()),
                       static_cast<DWORD>(options.searchPathValue.size() + 1));
    }
    RegCloseKey(key);

    // In UTF-16: the standard library does not read a name in the ANSI code page.
    std::filesystem::create_directories(Wide(root + "\\Help"));
    std::filesystem::create_directories(Wide(root + "\\bin"));
    if (options.helpFiles) {
        for (int slot = 1; slot <= 3; ++slot) {
            std::string name = product.IdeFiles[slot - 1];
            if (name.empty()) continue;
            bool alias = name.size() > 4 && name.compare(name.size() - 4, 4, ".als") == 0;
            WriteFileBytes(HelpFile(slot), alias ? AliasFileText : HelpFileText);
        }
        WriteFileBytes(IndexFile(), "generated help index");
    }
    for (const char* tool : {"dcc32.exe", "make.exe"}) {
        CopyFileA(BuildFile(std::string("fixtures/") + tool).c_str(),
                  (root + "\\bin\\" + tool).c_str(), FALSE);
    }
    std::vector<std::string> config = {"package=" + options.packageExtension};
    for (const std::string& package : options.failing) config.push_back("fail=" + package);
    WriteFileBytes(root + "\\bin\\fake-ide.cfg", Lines(config));
}

FakeIde::~FakeIde() {
    if (lasting_) return;
    const char* key = BorlandProducts[index_ - 1].RegKey;
    DeleteKeyAndEmptyParents(HKEY_LOCAL_MACHINE, key);
    DeleteKeyAndEmptyParents(HKEY_CURRENT_USER, key);
}

std::string FakeIde::HelpFile(int slot) const {
    return root_ + "\\Help\\" + BorlandProducts[index_ - 1].IdeFiles[slot - 1];
}

std::string FakeIde::IndexFile() const {
    return root_ + "\\Help\\" + IndexFileNames[index_ - 1] + ".gid";
}

std::vector<std::string> FakeIde::Calls() const {
    std::string text;
    ReadFileBytes(root_ + "\\bin\\calls.log", &text);
    return CrLfLines(text);
}

std::string FakeIde::LibraryPath() const {
    return RegistryString(HKEY_CURRENT_USER, std::string(BorlandProducts[index_ - 1].RegKey) + "\\Library",
                      SearchPathValueName(index_));
}

std::string FakeIde::KnownPackage(const std::string& path) const {
    return RegistryString(HKEY_CURRENT_USER,
                      std::string(BorlandProducts[index_ - 1].RegKey) + "\\Known Packages", path);
}

void RemoveInstallTraces() {
    HKEY help;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help", 0, KEY_WRITE,
                      &help) == ERROR_SUCCESS) {
        RegDeleteValueA(help, "vllib.hlp");
        RegDeleteValueA(help, "vllib.cnt");
        RegCloseKey(help);
    }
    DeleteKeyAndEmptyParents(HKEY_LOCAL_MACHINE,
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib");
    DeleteKeyAndEmptyParents(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft\\Vellorin library");
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, MAX_PATH);
    DeleteFileA((std::string(folder) + "\\vllib.ini").c_str());
    GetSystemDirectoryA(folder, MAX_PATH);
    for (const char* package : {"vll30.dpl", "vll40.bpl", "vll50.bpl", "vll60.bpl",
                                "clxvll60.bpl", "vll70.bpl", "clxvll70.bpl"}) {
        DeleteFileA((std::string(folder) + "\\" + package).c_str());
    }
}
