// The demonstration's driver. tools/demo.sh runs it under Wine one step at a
// time, and shows the logs between the steps:
//
//   DemoDriver ides                     fakes Delphi 7 and C++Builder 6 below Program Files
//   DemoDriver install auto <folder>    drives setup.exe page by page, with a screenshot of each
//   DemoDriver install manual           opens setup.exe for the person at the display
//   DemoDriver folder                   prints the install folder of the installation record
//   DemoDriver state <install folder>   prints what the installation put on the machine
//   DemoDriver uninstall auto|manual    runs the uninstall entry's command; auto answers its boxes
//   DemoDriver leftovers <install folder>  checks that the rest is gone; lists what stays on purpose
//
// Exit code 0 when the step did its job, 1 otherwise.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/UConst.h"
#include "controls/UbrcCheckListBox.h"
#include "FakeIde.h"
#include "resources/UResources.h"
#include "script/UScriptItems.h"
#include "TestSupport.h"
#include "util/UProducts.h"
#include "WizardDriver.h"

namespace {

const DWORD Minute = 60000;
const char WindowsHelpKey[] = "Software\\Microsoft\\Windows\\Help";

// The simulated IDEs: index in BorlandProducts and folder below Program Files.
struct Ide {
    int index;
    const char* folder;
};
const Ide Ides[] = {{9, "Borland\\Delphi7"}, {8, "Borland\\CBuilder6"}};

const TBorlandProduct& Product(const Ide& ide) { return BorlandProducts[ide.index - 1]; }

std::string ProgramFiles() {
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ProgramFiles", folder, sizeof folder);
    return length > 0 && length < sizeof folder ? folder : "C:\\Program Files";
}

std::string TempFolder() {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    return folder;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(HKEY root, const std::string& key) {
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }

// Names of the files in `folder` that match `pattern`.
std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
    return text.empty() ? "(none)" : text;
}

void PrintKey(const char* title, HKEY root, const std::string& key) {
    printf("%s, %s\\%s:\n", title, root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU", key.c_str());
    if (!KeyExists(root, key)) printf("    (no such key)\n");
    for (const std::string& value : RegistrySnapshot(root, key)) printf("    %s\n", value.c_str());
}

bool IsAliasFile(const std::string& path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".als") == 0;
}

// The lines of a help configuration file that the fake IDE did not ship
// with it; empty lines left out.
std::vector<std::string> AddedLines(const std::string& path) {
    std::string text;
    ReadFileBytes(path, &text);
    std::vector<std::string> shipped = CrLfLines(IsAliasFile(path) ? FakeIde::AliasFileText
                                                                   : FakeIde::HelpFileText);
    std::vector<std::string> added;
    for (const std::string& line : CrLfLines(text + "\r\n")) {
        if (!line.empty() && std::find(shipped.begin(), shipped.end(), line) == shipped.end()) {
            added.push_back(line);
        }
    }
    return added;
}

std::string IdeRoot(const Ide& ide) { return ProgramFiles() + "\\" + ide.folder; }

std::vector<std::string> HelpFiles(const Ide& ide) {
    std::vector<std::string> files;
    for (const char* name : Product(ide).IdeFiles) {
        if (*name) files.push_back(IdeRoot(ide) + "\\Help\\" + name);
    }
    return files;
}

std::string SearchPath(const Ide& ide) {
    return RegistryString(HKEY_CURRENT_USER, std::string(Product(ide).RegKey) + LibraryKey,
                          SearchPathValueName(ide.index));
}

std::vector<std::string> KnownPackages(const Ide& ide) {
    return RegistrySnapshot(HKEY_CURRENT_USER, std::string(Product(ide).RegKey) + KnownPackagesKey);
}

std::vector<std::string> HelpIndexFiles(const Ide& ide) {
    return FilesMatching(IdeRoot(ide) + "\\Help", "*.gid");
}

// The INI file that the install puts in the Windows folder.
std::string IniFile() {
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof folder);
    return std::string(folder) + "\\vllib.ini";
}

std::string SystemFolder() {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    return folder;
}

// The runtime packages that the install copies into the system folder.
std::vector<std::string> RuntimePackages() {
    std::vector<std::string> packages = FilesMatching(SystemFolder(), "vll*.?pl");
    for (const std::string& name : FilesMatching(SystemFolder(), "clxvll*.bpl")) packages.push_back(name);
    return packages;
}

int MakeIdes() {
    for (const auto& ide : Ides) {
        FakeIdeOptions options;
        options.lasting = true;  // the later steps and the setup need them
        FakeIde fake(ide.index, IdeRoot(ide), options);
        const TBorlandProduct& product = Product(ide);
        printf("%-9s in %s: HKLM\\%s RootDir, HKCU Known Packages and %s, Help\\ %s, bin\\ %s\n",
               product.Name, fake.Root().c_str(), product.RegKey, SearchPathValueName(ide.index),
               Joined(FilesMatching(fake.Root() + "\\Help", "*")).c_str(),
               Joined(FilesMatching(fake.Root() + "\\bin", "*.exe")).c_str());
    }
    return 0;
}

std::string SetupCommand() { return "\"" + BuildFile("setup.exe") + "\""; }

void ShowPage(const WizardDriver& wizard, const char* name, DWORD settleMs = 2000) {
    printf("  %-12s %s\n", name, FirstLine(wizard.Text(IDC_TEXT)).c_str());
    wizard.Screenshot(name, settleMs);
}

// Clicks through the wizard with its default choices.
int InstallAutomatically(const std::string& screenshots) {
    WizardDriver wizard(SetupCommand(), TempFolder());
    if (!wizard.Dialog()) {
        printf("The wizard of setup.exe did not open.\n");
        return 1;
    }
    wizard.SaveScreenshotsIn(screenshots);
    printf("The wizard's pages, each with its screenshot:\n");
    ShowPage(wizard, "1-welcome");
    wizard.Press(IDC_NEXT);
    ShowPage(wizard, "2-select");
    std::vector<unsigned> rows = wizard.RowStates();
    printf("  %-12s %d of %d rows checked\n", "",
           static_cast<int>(std::count_if(rows.begin(), rows.end(),
                                          [](unsigned row) { return (row & clbChecked) != 0; })),
           static_cast<int>(rows.size()));
    wizard.Press(IDC_NEXT);
    ShowPage(wizard, "3-directory");
    printf("  %-12s destination: %s\n", "", wizard.Text(IDC_FOLDER).c_str());
    wizard.Press(IDC_NEXT);
    ShowPage(wizard, "4-ready");
    // Start runs the whole install on the wizard's thread, which answers
    // between two items: the progress page is taken a third of the way in.
    wizard.PressLater(IDC_NEXT);
    // The bar counts the script's items.
    for (DWORD start = GetTickCount(); GetTickCount() - start < Minute; Sleep(5)) {
        if (wizard.Visible(IDC_PROGRESS) &&
            SendMessageA(wizard.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0) >= ScriptItemCount / 3) {
            ShowPage(wizard, "5-progress", 0);
            break;
        }
        if (wizard.Text(IDCANCEL) == "Finish") {
            printf("  5-progress   (the install was over before the page could be taken)\n");
            break;
        }
    }
    for (DWORD start = GetTickCount(); !wizard.WaitForFinishPage(100);) {
        if (HWND box = wizard.WaitForBox("Error", 0)) {
            printf("  error box:   %s\n", MessageBoxText(box).c_str());
            wizard.AnswerAndWait(box, IDOK);
        }
        if (GetTickCount() - start > 5 * Minute) {
            printf("The install did not reach the finish page.\n");
            return 1;
        }
    }
    ShowPage(wizard, "6-finish");
    wizard.Press(IDCANCEL);
    if (!wizard.WaitForEnd(Minute)) {
        printf("setup.exe did not end after Finish.\n");
        return 1;
    }
    return 0;
}

int InstallManually() {
    WizardDriver wizard(SetupCommand(), TempFolder());
    if (!wizard.Dialog()) {
        printf("The wizard of setup.exe did not open.\n");
        return 1;
    }
    printf("The wizard is open on your display: click through it (the demo goes on when it ends).\n");
    wizard.WaitForEnd(INFINITE);
    return 0;
}

int PrintFolder() {
    std::string folder = RegistryString(HKEY_LOCAL_MACHINE, ProductRegistryKey, RootDirValueName);
    if (folder == "(none)") return 1;
    printf("%s\n", folder.c_str());
    return 0;
}

int PrintState(const std::string& installFolder) {
    if (Exists(installFolder)) {
        std::vector<std::string> entries = ListTree(installFolder);
        auto folders = std::count_if(entries.begin(), entries.end(),
                                     [](const std::string& entry) { return entry.back() == '\\'; });
        printf("Install folder %s: %d folders, %d files\n", installFolder.c_str(),
               static_cast<int>(folders), static_cast<int>(entries.size() - folders));
    } else {
        printf("Install folder %s: not there\n", installFolder.c_str());
    }
    PrintKey("Installation record", HKEY_LOCAL_MACHINE, ProductRegistryKey);
    PrintKey("Add/Remove Programs entry", HKEY_LOCAL_MACHINE, UninstallRegistryKey().CStr());
    printf("Windows help files, HKLM\\%s: vllib.hlp=%s vllib.cnt=%s\n", WindowsHelpKey,
           RegistryString(HKEY_LOCAL_MACHINE, WindowsHelpKey, "vllib.hlp").c_str(),
           RegistryString(HKEY_LOCAL_MACHINE, WindowsHelpKey, "vllib.cnt").c_str());
    printf("%s: %s\n", IniFile().c_str(), Exists(IniFile()) ? "there" : "not there");
    for (const auto& ide : Ides) {
        printf("%s in %s\n", Product(ide).Name, IdeRoot(ide).c_str());
        printf("  Known Packages:\n");
        for (const std::string& value : KnownPackages(ide)) printf("    %s\n", value.c_str());
        printf("  %s: %s\n", SearchPathValueName(ide.index), SearchPath(ide).c_str());
        // The alias files get dozens of lines: a few show what they are like.
        const size_t shown = 3;
        for (const std::string& file : HelpFiles(ide)) {
            std::vector<std::string> added = AddedLines(file);
            printf("  Help\\%s, lines added: %d\n", file.substr(file.rfind('\\') + 1).c_str(),
                   static_cast<int>(added.size()));
            for (size_t i = 0; i < added.size() && i < shown; ++i) printf("    %s\n", added[i].c_str());
            if (added.size() > shown) {
                printf("    ... and %d more\n", static_cast<int>(added.size() - shown));
            }
        }
        printf("  Help\\*.gid, the help index: %s\n", Joined(HelpIndexFiles(ide)).c_str());
    }
    return 0;
}

// The uninstaller runs from a copy of itself in the temporary folder, which
// goes when the copy ends.
bool WaitForTemporaryCopy(DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20)) {
        if (FilesMatching(TempFolder(), "redud-*.exe").empty()) return true;
    }
    return false;
}

bool AnswerBox(const char* text, int button, const char* answer) {
    HWND box = WaitForMessageBox("Uninstall", text, Minute);
    if (!box) {
        printf("  No box \"Uninstall\" with \"%s\" came.\n", text);
        return false;
    }
    printf("  box \"Uninstall\": %s  -> %s\n", MessageBoxText(box).c_str(), answer);
    WizardDriver::Answer(box, button);
    return true;
}

int Uninstall(bool automatic) {
    std::string command =
        RegistryString(HKEY_LOCAL_MACHINE, UninstallRegistryKey().CStr(), UninstallStringValueName);
    if (command == "(none)") {
        printf("There is no uninstall entry: nothing to remove.\n");
        return 1;
    }
    printf("Running the entry's %s: %s\n", UninstallStringValueName, command.c_str());
    ChildProcess uninstaller(command, TempFolder());
    if (!uninstaller.Started()) {
        printf("It could not be started.\n");
        return 1;
    }
    if (automatic) {
        if (!AnswerBox("Are you sure you want to remove", IDYES, "Yes") ||
            !AnswerBox("was removed from your computer", IDOK, "OK")) {
            return 1;
        }
    } else {
        printf("The uninstaller asks on your display (the demo goes on when it ends).\n");
    }
    uninstaller.Wait(Minute);
    if (!WaitForTemporaryCopy(automatic ? Minute : INFINITE)) {
        printf("The uninstaller did not end.\n");
        return 1;
    }
    return 0;
}

int ListLeftovers(const std::string& installFolder) {
    std::vector<std::string> remaining;
    if (Exists(installFolder)) remaining.push_back("the install folder " + installFolder);
    if (KeyExists(HKEY_LOCAL_MACHINE, ProductRegistryKey)) remaining.push_back("the installation record");
    if (KeyExists(HKEY_LOCAL_MACHINE, UninstallRegistryKey().CStr())) {
        remaining.push_back("the uninstall entry");
    }
    for (const char* name : {"vllib.hlp", "vllib.cnt"}) {
        if (RegistryString(HKEY_LOCAL_MACHINE, WindowsHelpKey, name) != "(none)") {
            remaining.push_back(std::string("the Windows help value ") + name);
        }
    }
    if (Exists(IniFile())) remaining.push_back(IniFile());
    const std::string shippedPackages = std::string(FakeIde::OwnPackage) + "=\"Standard Components\"";
    const std::string shippedPath = FakeIdeOptions().searchPathValue;
    for (const auto& ide : Ides) {
        std::string name = Product(ide).Name;
        if (KnownPackages(ide) != std::vector<std::string>{shippedPackages}) {
            remaining.push_back(name + "'s Known Packages");
        }
        if (SearchPath(ide) != shippedPath) remaining.push_back(name + "'s search path");
        for (const std::string& file : HelpFiles(ide)) {
            if (!IsAliasFile(file) && !AddedLines(file).empty()) remaining.push_back("lines in " + file);
        }
    }
    if (remaining.empty()) {
        printf("Gone: the install folder, the installation record, the uninstall entry, the Windows help "
               "values, the INI file, and the IDEs' packages, search paths and help lines.\n");
    } else {
        for (const std::string& thing : remaining) printf("Still there: %s\n", thing.c_str());
    }

    printf("Left on purpose:\n");
    printf("  the runtime packages copied into %s (the uninstall log has no record of them): %s\n",
           SystemFolder().c_str(), Joined(RuntimePackages()).c_str());
    printf("  the lines merged into the IDEs' alias files (no record either):\n");
    for (const auto& ide : Ides) {
        for (const std::string& file : HelpFiles(ide)) {
            if (!IsAliasFile(file)) continue;
            printf("    %d in %s\n", static_cast<int>(AddedLines(file).size()), file.c_str());
        }
    }
    printf("  the IDEs' help index files that the install deleted (WinHelp builds them again):\n");
    for (const auto& ide : Ides) {
        printf("    %s\\Help\\*.gid: %s\n", IdeRoot(ide).c_str(), Joined(HelpIndexFiles(ide)).c_str());
    }
    return remaining.empty() ? 0 : 1;
}

int Usage() {
    printf("usage: DemoDriver ides | install auto <folder> | install manual | folder | state <folder>\n"
           "                  | uninstall auto|manual | leftovers <folder>\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // The shell reads the output as it comes, with Unix line ends.
    setvbuf(stdout, nullptr, _IONBF, 0);
    _setmode(_fileno(stdout), _O_BINARY);
    std::string step = argc > 1 ? argv[1] : "";
    std::string argument = argc > 2 ? argv[2] : "";
    if (step == "ides" && argc == 2) return MakeIdes();
    if (step == "install" && argument == "auto" && argc == 4) return InstallAutomatically(argv[3]);
    if (step == "install" && argument == "manual" && argc == 3) return InstallManually();
    if (step == "folder" && argc == 2) return PrintFolder();
    if (step == "state" && argc == 3) return PrintState(argument);
    if (step == "uninstall" && (argument == "auto" || argument == "manual") && argc == 3) {
        return Uninstall(argument == "auto");
    }
    if (step == "leftovers" && argc == 3) return ListLeftovers(argument);
    return Usage();
}
