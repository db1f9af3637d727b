// The product's whole life on one machine, as a user lives it: the real
// setup.exe and its uninstaller, driven through their windows in a Wine
// prefix of their own with a fake Delphi 7 and C++Builder 6. Each step
// compares the full state (the registry keys the product touches, and file
// trees with content hashes) with expectations written here.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <windows.h>
#include <tlhelp32.h>

#include "FakeIde.h"
#include "resources/UResources.h"
#include "resources/version.h"
#include "script/UScriptItems.h"
#include "TestSupport.h"
#include "wizard/UFolderText.h"
#include "WizardDriver.h"

namespace {

const DWORD Wait = 180000;
const std::string Folder = "C:\\Borland\\Vellorin";  // beside the first IDE in table order
const std::string Edition = "source code edition of Vellorin library v" VL_VERSION_SHORT;
const std::string Description = "Source code edition of Vellorin library v" VL_VERSION_SHORT;
const std::string StandardPath = "$(DELPHI)\\Lib;$(DELPHI)\\Bin";
using Lines = std::vector<std::string>;

std::string SystemFolder(UINT (*query)(char*, UINT)) {
    char folder[MAX_PATH];
    query(folder, MAX_PATH);
    return folder;
}
UINT WindowsDirectory(char* b, UINT n) { return GetWindowsDirectoryA(b, n); }
UINT SystemDirectory(char* b, UINT n) { return GetSystemDirectoryA(b, n); }

std::string Today() {
    char date[128];
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
    return date;
}

std::string SetupCommand(const std::string& switches) { return "\"" + BuildFile("setup.exe") + "\"" + switches; }

// The Delphi 7 and C++Builder 6 of this machine, for the whole program.
std::unique_ptr<FakeIde> Delphi7, Builder6;

void InstallIdes() {
    Delphi7 = std::make_unique<FakeIde>(9, "C:\\Borland\\Delphi7");
    Builder6 = std::make_unique<FakeIde>(8, "C:\\Borland\\CBuilder6");
}

class Machine : public ::testing::Environment {
    void SetUp() override {
        ParkPointer();
        InstallIdes();
    }
    void TearDown() override {
        Delphi7.reset();
        Builder6.reset();
    }
};
const auto* const MachineEnvironment = ::testing::AddGlobalTestEnvironment(new Machine);

// The product's registry state, one line per key and value.
Lines Registry() {
    Lines lines;
    for (const auto& [root, label, key] : std::vector<std::tuple<HKEY, std::string, std::string>>{
             {HKEY_LOCAL_MACHINE, "HKLM", "Software\\Brindlecraft"},
             {HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib"},
             {HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows\\Help"},
             {HKEY_CURRENT_USER, "HKCU", "Software\\Borland\\Delphi\\7.0"},
             {HKEY_CURRENT_USER, "HKCU", "Software\\Borland\\C++Builder\\6.0"}}) {
        for (const std::string& line : RegistrySnapshot(root, key)) {
            if (key.find("Help") == std::string::npos || line.rfind("vllib", 0) == 0) {
                lines.push_back(label + "\\" + key + "\\" + line);
            }
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The registry lines of an IDE as the machine has it, with the library's
// packages and search path entries added.
Lines IdeRegistry(const std::string& ideKey, const Lines& packages, const std::string& searchPath) {
    Lines lines = {"HKCU\\" + ideKey + "\\Known Packages\\",
                   "HKCU\\" + ideKey + "\\Known Packages\\$(DELPHI)\\Bin\\dclstd.bpl=\"Standard Components\"",
                   "HKCU\\" + ideKey + "\\Library\\",
                   "HKCU\\" + ideKey + "\\Library\\Search Path=\"" + searchPath + "\""};
    for (const std::string& package : packages) {
        lines.push_back("HKCU\\" + ideKey + "\\Known Packages\\" + Folder + "\\" + package + "=\"" + Description + "\"");
    }
    return lines;
}

const std::string D7Key = "Software\\Borland\\Delphi\\7.0", CB6Key = "Software\\Borland\\C++Builder\\6.0";

Lines Sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The size of the install folder as Add/Remove Programs shows it, in KB.
uint64_t FolderKilobytes() {
    uint64_t bytes = 0;
    for (const std::string& entry : ListTree(Folder)) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (entry.back() != '\\' && GetFileAttributesExA((Folder + "\\" + entry).c_str(), GetFileExInfoStandard, &data)) {
            bytes += (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    }
    return (bytes + 1023) / 1024;
}

// The installation's own keys: the record, the uninstall entry and
// (with the help files) the Windows help values.
Lines ProductRegistry(uint32_t versions, uint32_t items, bool help) {
    const std::string record = "HKLM\\Software\\Brindlecraft\\Vellorin library\\";
    const std::string entry = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib\\";
    char masks[64];
    Lines lines = {"HKLM\\Software\\Brindlecraft\\" "Vellorin library\\",
                   record + "CustomizeItems=dword:0x5",
                   record + "InstallDate=\"" + Today() + "\"",
                   record + "RootDir=\"" + Folder + "\"",
                   record + "Type=\"source code edition\"",
                   record + "Version=\"" VL_VERSION_SHORT "\"",
                   entry + "DisplayName=\"Brindlecraft Vellorin library v" VL_VERSION_SHORT "\"",
                   entry + "UninstallString=\"" + Folder + "\\redud.exe " + Folder + "\\uninst.log\"",
                   entry + "DisplayVersion=\"" VL_VERSION_SHORT "\"",
                   entry + "Publisher=\"Brindlecraft\"",
                   entry + "InstallLocation=\"" + Folder + "\"",
                   entry + "DisplayIcon=\"" + Folder + "\\redud.exe\"",
                   entry + "NoModify=dword:0x1",
                   entry + "NoRepair=dword:0x1"};
    snprintf(masks, sizeof masks, "dword:0x%llx", static_cast<unsigned long long>(FolderKilobytes()));
    lines.push_back(entry + "EstimatedSize=" + masks);
    snprintf(masks, sizeof masks, "dword:0x%x", items);
    lines.push_back(record + "InstallItems=" + masks);
    snprintf(masks, sizeof masks, "dword:0x%x", versions);
    lines.push_back(record + "InstallVersions=" + masks);
    if (help) {
        for (const char* file : {"vllib.cnt", "vllib.hlp"}) {
            lines.push_back("HKLM\\Software\\Microsoft\\Windows\\Help\\" + std::string(file) + "=\"" + Folder + "\\Help\"");
        }
    }
    return lines;
}

// What an install of these parts puts into the install folder: the payload
// files of the folders named (with "" for the top folder), the uninstaller,
// the packages the fake tools build and what they leave beside them and
// beside the sources; the logs are checked on their own.
Lines InstallTree(const std::set<std::string>& folders, const std::vector<std::string>& compiled) {
    std::map<std::string, std::string> files, payload;
    for (const ManifestEntry& entry : LoadManifest()) {
        if (entry.kind != "file") continue;
        payload[entry.name] = PayloadBytes(entry.id);
        size_t slash = entry.name.find('\\');
        if (folders.count(slash == std::string::npos ? "" : entry.name.substr(0, slash))) {
            files[entry.name] = payload[entry.name];
        }
    }
    ReadFileBytes(BuildFile("redud.exe"), &files["redud.exe"]);
    auto compiledFrom = [&files](const std::string& source, const std::string& extension) {
        // "..\Source\vlConst.pas" beside the IDE's folder
        const std::string name = source.substr(3, source.rfind('.') - 3) + extension;
        files[name] = "compiled " + source + "\r\n";
    };
    for (const std::string& project : compiled) {
        // "CBuilder6\vll60.mak" is built as "CBuilder6\vll60.bpl", with
        // what the tools leave beside it: make translates every source,
        // dcc32 compiles the units that the package names.
        const std::string stem = project.substr(0, project.rfind('.'));
        const bool make = project.substr(project.rfind('.')) == ".mak";
        const Lines outputs = make ? Lines{".bpl", ".bpi", ".lib", ".obj", ".tds", ".map", ".ilc", ".ild", ".ilf",
                                           ".ils", ".csm"}
                                   : Lines{".bpl", ".dcp"};
        for (const std::string& output : outputs) {
            files[stem + output] = "compiled " + project.substr(project.find('\\') + 1) + "\r\n";
        }
        if (make) {
            // The objects the project lists ("vlConst0.obj"), of units in Source.
            const std::string& mak = payload[project];
            for (size_t obj = mak.find(".obj"); obj != std::string::npos; obj = mak.find(".obj", obj + 1)) {
                size_t start = obj, stem = obj;
                while (start > 0 && (isalnum(static_cast<unsigned char>(mak[start - 1])) || mak[start - 1] == '_')) --start;
                while (stem > start && isdigit(static_cast<unsigned char>(mak[stem - 1]))) --stem;
                const std::string source = "Source\\" + mak.substr(start, stem - start) + ".pas";
                if (!payload.count(source)) continue;
                compiledFrom("..\\" + source, ".hpp");
                compiledFrom("..\\" + source, ".obj");
            }
            continue;
        }
        const std::string& package = payload[project];
        for (size_t in = package.find(" in '"); in != std::string::npos; in = package.find(" in '", in + 1)) {
            compiledFrom(package.substr(in + 5, package.find('\'', in + 5) - in - 5), ".dcu");
        }
    }
    std::set<std::string> lines;
    for (const auto& [name, contents] : files) {
        lines.insert(HashedEntry(name, contents));
        for (size_t slash = name.find('\\'); slash != std::string::npos; slash = name.find('\\', slash + 1)) {
            lines.insert(name.substr(0, slash + 1));
        }
    }
    return Sorted(Lines(lines.begin(), lines.end()));
}

// The install folder's tree, without the two logs, which are checked on their own.
Lines InstalledTree() {
    Lines tree;
    for (const std::string& line : HashedTree(Folder)) {
        if (line.rfind("install.log ", 0) != 0 && line.rfind("uninst.log ", 0) != 0) tree.push_back(line);
    }
    return tree;
}

Lines LogLines() {
    std::string text;
    ReadFileBytes(Folder + "\\install.log", &text);
    return CrLfLines(text);
}


// Starts the install on the ready page, answers every error box with OK
// and returns their texts; then closes the finish page.
Lines InstallAnsweringErrors(WizardDriver& wizard) {
    Lines errors;
    wizard.PressLater(IDC_NEXT);
    for (DWORD start = GetTickCount(); GetTickCount() - start < Wait && wizard.Text(IDCANCEL) != "Finish";) {
        if (HWND box = wizard.WaitForBox("Error", 20)) {
            errors.push_back(MessageBoxText(box));
            wizard.AnswerAndWait(box, IDOK);
        }
    }
    EXPECT_TRUE(wizard.WaitForFinishPage(0));
    wizard.Press(IDCANCEL);
    EXPECT_TRUE(wizard.WaitForEnd(Wait));
    EXPECT_EQ(wizard.ExitCode(), 0u);
    return errors;
}

// A failing item's report: its line, and after it the reason that the
// system gives for a Windows error (a check's missing file has none).
std::string ErrorText(uint32_t op, const std::string& name, int code, const std::string& line) {
    int index = ItemIndex(op, name);
    char head[128], reason[512] = "";
    snprintf(head, sizeof head, "Error in ScriptItem=%d, ErrorCode=%xh ScriptItemId=%x with text\r\n", index, code,
             ScriptItems[index].Id);
    if (op != siCheckFile) {
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      reason, sizeof reason, nullptr);
        while (length > 0 && strchr("\r\n ", reason[length - 1])) reason[--length] = '\0';
        EXPECT_GT(length, 0u) << code;
    }
    return head + line + (reason[0] ? std::string("\r\n") + reason : "");
}

// Runs setup.exe /S to its end; returns its exit code. It must show no
// window at any time.
DWORD InstallSilently(const std::string& dir) {
    ChildProcess setup(SetupCommand(" /S"), dir);
    std::vector<std::string> windows;
    EXPECT_TRUE(setup.Wait(Wait, &windows));
    EXPECT_EQ(windows, std::vector<std::string>{});
    return setup.ExitCode();
}

// Removes the installation with its uninstaller, silently, and waits until
// its folder is gone.
void UninstallSilently(const std::string& dir) {
    std::string command = RegistryString(HKEY_LOCAL_MACHINE,
                                         "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib",
                                         "UninstallString");
    ChildProcess uninstaller(command + " /S", dir);
    ASSERT_TRUE(uninstaller.Started()) << command;
    EXPECT_TRUE(uninstaller.Wait(Wait));
    EXPECT_EQ(uninstaller.ExitCode(), 0u);
    EXPECT_TRUE(WaitForSetupsToEnd(Wait));
}

std::string CopyError(const std::string& package) {
    return ErrorText(siCopyFile, "CBuilder6\\" + package, 2,
                     "Copying file: from " + Folder + "\\CBuilder6\\" + package + " to " +
                         SystemFolder(SystemDirectory) + "\\" + package + " ...Fail");
}

// Rows of the IDE page by their item data.
const unsigned On = 1, Off = 0, Disabled = 4;

TEST(Acceptance, InstallUpdateCopyOnlyAndUninstall) {
    TempDir work;
    const Lines machineBefore = Registry();
    std::string originalHelp;
    ReadFileBytes(Delphi7->HelpFile(1), &originalHelp);

    {
        SCOPED_TRACE("1: first install, Delphi 7 and the help files, after refused folders, typed with slashes");
        WizardDriver wizard(SetupCommand(""), work.Path());
        ASSERT_NE(wizard.Dialog(), nullptr);
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(wizard.RowStates(), (std::vector<unsigned>{Disabled, Disabled, Disabled, Disabled, On, Disabled,
                                                             Disabled, On, On, On, On}));
        for (int row : {7, 9, 10}) ASSERT_TRUE(wizard.ClickRow(row)) << row;
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(wizard.Text(IDC_FOLDER), Folder);
        // Folders that cannot work are refused, each with its reason, and the page stays.
        // The IDEs' own folder and the folder that holds them (the proposal
        // without its last name), and the Windows folder, are no install folders.
        std::vector<std::tuple<std::string, TFolderProblem, std::string>> refused = {
            {"", fpEmpty, ""}, {"Lib", fpNotAbsolute, ""}, {"Q:\\Vellorin", fpNoSuchDrive, ""},
            {"C:\\" + std::string(250, 'x'), fpTooLong, ""}, {"C:\\", fpDriveRoot, ""},
            {"C:\\Li|b", fpForbiddenCharacter, ""}, {"C:\\Li*b", fpForbiddenCharacter, ""},
            {"C:\\con\\Lib", fpDeviceName, ""}, {"C:\\Lib ", fpBadNameEnd, ""},
            {"C:\\Borland", fpIdeFolder, Builder6->Root()}, {"c:/borland/delphi7", fpIdeFolder, Delphi7->Root()},
            {"C:\\windows\\Vellorin", fpWindowsFolder, "C:\\windows"}};
        // A folder that the user cannot create, where the test command made one.
        if (GetEnvironmentVariableA("VL_READ_ONLY_FOLDER", nullptr, 0)) {
            refused.push_back({"V:\\read-only\\Vellorin", fpCannotCreate, ""});
        }
        for (const auto& [typed, problem, other] : refused) {
            wizard.SetFolder(typed);
            wizard.PressLater(IDC_NEXT);
            HWND box = wizard.WaitForBox("Install", Wait);
            ASSERT_NE(box, nullptr) << typed;
            EXPECT_EQ(MessageBoxText(box),
                      FolderProblemText(problem, NormalizedFolder(typed.c_str()), other.c_str()).CStr());
            EXPECT_EQ(GetWindow(box, GW_OWNER), wizard.Dialog());
            wizard.AnswerAndWait(box, IDOK);
            wizard.Sync();
            EXPECT_TRUE(wizard.Visible(IDC_FOLDER)) << typed;
        }
        EXPECT_EQ(Registry(), machineBefore);
        wizard.SetFolder("C:/Borland/Vellorin/");
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(wizard.Text(IDC_NEXT), "Start");
        EXPECT_EQ(InstallAnsweringErrors(wizard), Lines{});

        EXPECT_EQ(InstalledTree(), InstallTree({"", "Source", "Help", "Delphi7"},
                                               {"Delphi7\\vll70.dpk", "Delphi7\\dclvll70.dpk", "Delphi7\\clxvll70.dpk",
                                                "Delphi7\\dclclxvll70.dpk"}));
        Lines expected = ProductRegistry(0x100, 0x480, true);
        for (const std::string& line :
             IdeRegistry(D7Key, {"Delphi7\\dclvll70.bpl", "Delphi7\\dclclxvll70.bpl"}, StandardPath + ";" + Folder + "\\Delphi7")) {
            expected.push_back(line);
        }
        for (const std::string& line : IdeRegistry(CB6Key, {}, StandardPath)) expected.push_back(line);
        EXPECT_EQ(Registry(), Sorted(expected));
        Lines log = LogLines();
        ASSERT_GT(log.size(), 3u);
        EXPECT_EQ(log[0], "Start installation for " + Edition);
        EXPECT_EQ(log[1], "RootPath: " + Folder);
        EXPECT_EQ(log[2], "Borland products: Delphi7");
        EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.find("...Fail") != std::string::npos; }), 0);
        std::string help;
        ReadFileBytes(Delphi7->HelpFile(1), &help);
        EXPECT_EQ(help, originalHelp + ":Index Vellorin library components=vllib.hlp\r\n");
        EXPECT_FALSE(Exists(Delphi7->IndexFile()));
        EXPECT_TRUE(Exists(SystemFolder(WindowsDirectory) + "\\vllib.ini"));
        EXPECT_EQ(ListTree(work.Path()), Lines{}) << "nothing relative to the current folder";
    }
    {
        SCOPED_TRACE("2: update to C++Builder 6 and the demos, asking for another folder");
        WizardDriver wizard(SetupCommand(""), work.Path());
        ASSERT_NE(wizard.Dialog(), nullptr);
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(wizard.Text(IDC_TEXT).rfind("The previous version of Vellorin library was found.", 0), 0u);
        EXPECT_EQ(wizard.RowStates(), (std::vector<unsigned>{Disabled, Disabled, Disabled, Disabled, On, Disabled,
                                                             Disabled, Off, On, Off, Off}));
        for (int row : {4, 8, 7, 9, 10}) ASSERT_TRUE(wizard.ClickRow(row)) << row;
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(wizard.Text(IDC_FOLDER), Folder);
        wizard.SetFolder("C:\\Elsewhere");
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(InstallAnsweringErrors(wizard), Lines{});

        EXPECT_FALSE(Exists("C:\\Elsewhere")) << "the update stays in the first installation's folder";
        EXPECT_EQ(InstalledTree(), InstallTree({"", "Source", "CBuilder6", "Demos"},
                                               {"CBuilder6\\vll60.mak", "CBuilder6\\dclvll60.mak", "CBuilder6\\clxvll60.mak",
                                                "CBuilder6\\dclclxvll60.mak"}));
        Lines expected = ProductRegistry(0x080, 0x340, false);
        for (const std::string& line : IdeRegistry(D7Key, {}, StandardPath)) expected.push_back(line);
        for (const std::string& line :
             IdeRegistry(CB6Key, {"CBuilder6\\dclvll60.bpl", "CBuilder6\\dclclxvll60.bpl"},
                         StandardPath + ";" + Folder + "\\CBuilder6;" + Folder + "\\Source")) {
            expected.push_back(line);
        }
        EXPECT_EQ(Registry(), Sorted(expected));
        std::string help;
        ReadFileBytes(Delphi7->HelpFile(1), &help);
        EXPECT_EQ(help, originalHelp) << "Delphi 7's help lines are taken back";
        EXPECT_EQ(LogLines()[2], "Borland products: CBuilder6");
    }
    {
        SCOPED_TRACE("2b: silent update (/S): the same choice into the same folder, the first taken back");
        const Lines tree = InstalledTree(), registry = Registry(), log = LogLines();
        // Taken back first, the INI file is placed afresh (it is only ever
        // placed where there is none).
        const std::string ini = SystemFolder(WindowsDirectory) + "\\vllib.ini";
        std::string placed;
        ReadFileBytes(ini, &placed);
        WriteFileBytes(ini, "changed since the install");
        EXPECT_EQ(InstallSilently(work.Path()), 0u);
        EXPECT_EQ(InstalledTree(), tree);
        EXPECT_EQ(Registry(), registry);
        EXPECT_EQ(LogLines(), log);
        std::string now;
        ReadFileBytes(ini, &now);
        EXPECT_EQ(now, placed);
    }
    {
        SCOPED_TRACE("3: copy-only install (/C) of the same choice");
        WizardDriver wizard(SetupCommand(" /C"), work.Path());
        ASSERT_NE(wizard.Dialog(), nullptr);
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(wizard.RowStates()[7], On);
        wizard.Press(IDC_NEXT);
        wizard.Press(IDC_NEXT);
        // Nothing is compiled, and the runtime packages are not copied to
        // the system folder: that belongs to their registration.
        EXPECT_EQ(InstallAnsweringErrors(wizard), Lines{});

        EXPECT_EQ(InstalledTree(), InstallTree({"", "Source", "CBuilder6", "Demos"}, {}));
        Lines expected = ProductRegistry(0x080, 0x340, false);
        for (const std::string& line : IdeRegistry(D7Key, {}, StandardPath)) expected.push_back(line);
        for (const std::string& line : IdeRegistry(CB6Key, {}, StandardPath)) expected.push_back(line);
        EXPECT_EQ(Registry(), Sorted(expected));
        for (const std::string& line : LogLines()) {
            for (const char* registration : {"Compiling", "Check file", "Registering package", "Registering windows",
                                             "Adding", "Modifying", "Merging", "Deleting"}) {
                EXPECT_EQ(line.find(registration), std::string::npos) << line;
            }
        }
    }
    {
        SCOPED_TRACE("4: uninstall through the Add/Remove Programs entry");
        std::string command = RegistryString(HKEY_LOCAL_MACHINE,
                                             "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib",
                                             "UninstallString");
        ChildProcess uninstaller(command, work.Path());
        ASSERT_TRUE(uninstaller.Started()) << command;
        HWND question = nullptr, done = nullptr;
        for (DWORD start = GetTickCount(); !question && GetTickCount() - start < Wait; Sleep(10)) {
            question = FindWindowA("#32770", "Uninstall");
        }
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(MessageBoxText(question), "Are you sure you want to remove Vellorin library v" VL_VERSION_SHORT " from your computer?");
        PostMessageA(question, WM_COMMAND, IDYES, 0);
        for (DWORD start = GetTickCount(); !done && GetTickCount() - start < Wait; Sleep(10)) {
            HWND box = FindWindowA("#32770", "Uninstall");
            if (box && box != question && MessageBoxText(box).find("was removed") != std::string::npos) done = box;
        }
        ASSERT_NE(done, nullptr);
        EXPECT_EQ(MessageBoxText(done), "Vellorin library v" VL_VERSION_SHORT " was removed from your computer.");
        PostMessageA(done, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(uninstaller.Wait(Wait));
        EXPECT_EQ(uninstaller.ExitCode(), 0u);
        EXPECT_TRUE(WaitForSetupsToEnd(Wait));

        EXPECT_FALSE(Exists(Folder));
        EXPECT_EQ(Registry(), machineBefore) << "the machine's registry as before the first install";
        EXPECT_FALSE(Exists(SystemFolder(WindowsDirectory) + "\\vllib.ini"));
        // What stays on purpose: the runtime packages copied to the system
        // folder, the lines merged into the IDEs' alias files, and their help
        // index files, which the install deleted so that the IDEs rebuild them.
        for (const char* package : {"vll70.bpl", "clxvll70.bpl", "vll60.bpl", "clxvll60.bpl"}) {
            EXPECT_TRUE(Exists(SystemFolder(SystemDirectory) + "\\" + package)) << package;
        }
        std::string aliases;
        ReadFileBytes(Delphi7->HelpFile(3), &aliases);
        EXPECT_NE(aliases, FakeIde::AliasFileText) << "merged in the first install, which had the help files";
        EXPECT_FALSE(Exists(Builder6->IndexFile()));
        std::string help;
        ReadFileBytes(Builder6->HelpFile(1), &help);
        EXPECT_EQ(help, FakeIde::HelpFileText);
    }
}

// Release 3.18, built for the tests from the same description: a unit
// (vlLegacy) and a folder (Wizards) that 3.19 no longer has, and design
// packages named vllreg* where 3.19 names them dclvll*. An update to 3.19
// takes all of it back, and so does the uninstall afterwards; the user's
// own file stays.
TEST(Acceptance, AnUpdateFromTheEarlierReleaseLeavesNothingOfIt) {
    TempDir work;
    const Lines machineBefore = Registry();
    const std::string earlier = "\"" + BuildFile("earlier\\setup.exe") + "\" /S";
    const std::string mine = Folder + "\\Source\\MyUnit.pas";
    for (const char* update : {"wizard", "/S"}) {
        SCOPED_TRACE(std::string("an update with ") + update);
        ChildProcess install(earlier, work.Path());
        ASSERT_TRUE(install.Wait(Wait));
        ASSERT_EQ(install.ExitCode(), 0u);
        ASSERT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft\\Vellorin library", "Version"), "3.18");
        ASSERT_TRUE(Exists(Folder + "\\Source\\vlLegacy.pas") && Exists(Folder + "\\Wizards\\vlExpert.pas"));
        ASSERT_NE(Delphi7->KnownPackage(Folder + "\\Delphi7\\vllreg70.bpl"), "(none)");
        WriteFileBytes(mine, "unit MyUnit;");

        if (update == std::string("/S")) {
            EXPECT_EQ(InstallSilently(work.Path()), 0u);
        } else {
            WizardDriver wizard(SetupCommand(""), work.Path());
            ASSERT_NE(wizard.Dialog(), nullptr);
            for (int page = 1; page <= 3; ++page) wizard.Press(IDC_NEXT);
            EXPECT_EQ(InstallAnsweringErrors(wizard), Lines{});
        }
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft\\Vellorin library", "Version"), VL_VERSION_SHORT);
        // Nothing of 3.18: its unit, its folder, its design packages.
        EXPECT_FALSE(Exists(Folder + "\\Source\\vlLegacy.pas"));
        EXPECT_FALSE(Exists(Folder + "\\Source\\vlLegacy.dcu")) << "what the compiler made of it";
        EXPECT_FALSE(Exists(Folder + "\\Wizards"));
        for (const auto& ide : {std::make_pair(Delphi7.get(), D7Key), std::make_pair(Builder6.get(), CB6Key)}) {
            Lines packages;
            for (const std::string& line : RegistrySnapshot(HKEY_CURRENT_USER, ide.second + "\\Known Packages")) {
                packages.push_back(line.substr(0, line.find('=')));
            }
            const std::string ver = ide.first == Delphi7.get() ? "70" : "60";
            EXPECT_EQ(Sorted(packages), Sorted({"$(DELPHI)\\Bin\\dclstd.bpl", Folder + "\\" + (ver == "70" ? "Delphi7" : "CBuilder6") +
                                                "\\dclvll" + ver + ".bpl", Folder + "\\" +
                                                (ver == "70" ? "Delphi7" : "CBuilder6") + "\\dclclxvll" + ver + ".bpl"}));
        }
        std::string kept;
        ReadFileBytes(mine, &kept);
        EXPECT_EQ(kept, "unit MyUnit;");

        UninstallSilently(work.Path());
        EXPECT_EQ(ListTree(Folder), (Lines{"Source\\", "Source\\MyUnit.pas"})) << "the user's file alone";
        EXPECT_EQ(Registry(), machineBefore);
        RemoveTree(Folder);
    }
}

TEST(Acceptance, ASilentFirstInstallIsTheWizardsAcceptedPageByPage) {
    TempDir work;
    // The files with their hashes (both logs among them) and the registry.
    auto state = [] {
        Lines lines = HashedTree(Folder);
        for (const std::string& line : Registry()) lines.push_back(line);
        return lines;
    };
    WizardDriver wizard(SetupCommand(""), work.Path());
    ASSERT_NE(wizard.Dialog(), nullptr);
    for (int page = 1; page <= 3; ++page) wizard.Press(IDC_NEXT);
    EXPECT_EQ(InstallAnsweringErrors(wizard), Lines{});
    const Lines byWizard = state();
    ASSERT_GT(byWizard.size(), 100u);
    UninstallSilently(work.Path());
    ASSERT_FALSE(Exists(Folder));

    EXPECT_EQ(InstallSilently(work.Path()), 0u);
    EXPECT_EQ(state(), byWizard);
    UninstallSilently(work.Path());
}

TEST(Acceptance, ASilentInstallWithAFailingItemEndsWithExitCodeOne) {
    TempDir work;
    WriteFileBytes(Builder6->Root() + "\\bin\\fake-ide.cfg", "package=.bpl\r\nfail=vll60\r\n");
    EXPECT_EQ(InstallSilently(work.Path()), 1u);
    Lines failed;
    for (const std::string& line : LogLines()) {
        if (line.find("...Fail") != std::string::npos) failed.push_back(line);
    }
    EXPECT_EQ(failed, (Lines{"Check file: " + Folder + "\\CBuilder6\\vll60.bpl...Fail",
                             "Copying file: from " + Folder + "\\CBuilder6\\vll60.bpl to " +
                                 SystemFolder(SystemDirectory) + "\\vll60.bpl ...Fail"}));
    // The rest is installed, and recorded.
    EXPECT_TRUE(Exists(Folder + "\\CBuilder6\\dclvll60.bpl"));
    EXPECT_TRUE(Exists(Folder + "\\Delphi7\\vll70.bpl"));
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft\\Vellorin library", "RootDir"), Folder);
    WriteFileBytes(Builder6->Root() + "\\bin\\fake-ide.cfg", "package=.bpl\r\n");
    UninstallSilently(work.Path());
}

// A build machine's line: the folder, the IDEs and the parts chosen on the
// command line, and a copy of install.log where the script wants it.
// Each parameter alone changes only what it chooses; the wizard's proposal
// stands for the rest (C:\Borland\Vellorin, both IDEs, every part).
TEST(Acceptance, ASilentInstallTakesItsChoiceFromTheCommandLine) {
    const std::string chosen = "C:\\Build Libs\\Vellorin", proposed = "C:\\Borland\\Vellorin";
    struct Case {
        std::string arguments, folder;
        DWORD versions, items;
        std::vector<std::string> present, absent;
    } cases[] = {
        {" \"/DIR=" + chosen + "\" /IDES=cb6 /PARTS=help /LOG=setup.txt", chosen, 0x080, 0x040 | 0x080,
         {"CBuilder6\\vll60.bpl", "Help\\vllib.hlp"}, {"Delphi7", "Demos"}},
        {" /dir=\"" + chosen + "\"", chosen, 0x180, 0x7C0, {"Delphi7\\vll70.bpl", "CBuilder6\\vll60.bpl", "Demos"}, {}},
        {" -IDES=D7", proposed, 0x100, 0x780, {"Delphi7\\vll70.bpl", "Help\\vllib.hlp"}, {"CBuilder6"}},
        {" /PARTS=none", proposed, 0x180, 0x440, {"Delphi7\\vll70.bpl", "CBuilder6\\vll60.bpl"}, {"Help", "Demos"}},
    };
    const std::string record = "Software\\Brindlecraft\\Vellorin library";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        TempDir work;
        ChildProcess setup(SetupCommand(" /S" + c.arguments), work.Path());
        ASSERT_TRUE(setup.Wait(Wait));
        EXPECT_EQ(setup.ExitCode(), 0u);
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, record, "RootDir"), c.folder);
        DWORD versions = 0, items = 0, size = sizeof versions;
        RegGetValueA(HKEY_LOCAL_MACHINE, record.c_str(), "InstallVersions", RRF_RT_DWORD, nullptr, &versions, &size);
        RegGetValueA(HKEY_LOCAL_MACHINE, record.c_str(), "InstallItems", RRF_RT_DWORD, nullptr, &items, &size);
        EXPECT_EQ(versions, c.versions);
        EXPECT_EQ(items, c.items);
        for (const std::string& name : c.present) EXPECT_TRUE(Exists(c.folder + "\\" + name)) << name;
        for (const std::string& name : c.absent) EXPECT_FALSE(Exists(c.folder + "\\" + name)) << name;
        EXPECT_EQ(Delphi7->KnownPackage(c.folder + "\\Delphi7\\dclvll70.bpl") == "(none)", (c.versions & 0x100) == 0);
        if (c.arguments.find("/LOG=") != std::string::npos) {
            std::string copied, log;
            ReadFileBytes(work / "setup.txt", &copied);
            ReadFileBytes(c.folder + "\\install.log", &log);
            EXPECT_EQ(copied, log);
        }
        UninstallSilently(work.Path());
        EXPECT_FALSE(Exists(c.folder)) << "the folders it made went with it";
    }
    EXPECT_FALSE(Exists("C:\\Build Libs"));
}

// The names in a folder, without what lies below them.
Lines TopLevel(const std::string& folder) {
    Lines names;
    WIN32_FIND_DATAA found;
    HANDLE listing = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (bool more = listing != INVALID_HANDLE_VALUE; more; more = FindNextFileA(listing, &found)) {
        if (found.cFileName[0] != '.') names.push_back(found.cFileName);
    }
    if (listing != INVALID_HANDLE_VALUE) FindClose(listing);
    return Sorted(names);
}

// The machine as the product finds it and must leave it: the registry it
// touches, the IDEs' and the install folder's files, the INI file, the
// runtime packages and the uninstaller's folders in the temporary folder.
// Not the fake tools' notes, nor the IDEs' help index, which an install
// deletes for the IDE to build anew.
Lines MachineState() {
    Lines lines = Registry();
    for (const std::string& line : HashedTree("C:\\Borland")) {
        if (line.find("calls.log ") == std::string::npos && line.find(".gid ") == std::string::npos) {
            lines.push_back(line);
        }
    }
    for (const std::string& name : TopLevel(SystemFolder(WindowsDirectory))) {
        if (name == "vllib.ini") lines.push_back("windows\\" + name);
    }
    for (const std::string& name : TopLevel(SystemFolder(SystemDirectory))) {
        if (name.find("vll") != std::string::npos) lines.push_back("system\\" + name);
    }
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    for (const std::string& name : TopLevel(temp)) {
        if (name.rfind("redud-", 0) == 0) lines.push_back("temp\\" + name);
    }
    return lines;
}

// Ends every process of the program: the setup and the IDE tools it started,
// as "End process tree" in Task Manager would.
void EndProcessesNamed(const char* program) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, program) != 0) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 9);
            WaitForSingleObject(process, Wait);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

// `setup.exe /S` ended at a point of its run; then the way out that the
// README gives, `setup.exe /S` again and the uninstaller, leaves the machine
// as a whole install and uninstall leave it.
TEST(Acceptance, ASilentInstallEndedAnywhereIsTakenBackByTheWayOut) {
    TempDir work;
    const std::string entryKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib";
    const std::string record = "Software\\Brindlecraft\\Vellorin library";
    auto has = [](const std::string& text, const std::string& file) {
        std::string data;
        return ReadFileBytes(file, &data) && data.find(text) != std::string::npos;
    };
    bool earlierGone = false;
    const struct {
        const char* when;
        bool update;
        std::function<bool()> reached;
    } points[] = {
        {"with the first sources written", false, [] { return !ListTree(Folder + "\\Source").empty(); }},
        {"with the Add/Remove Programs entry written", false,
         [&] { return RegistryString(HKEY_LOCAL_MACHINE, entryKey, "UninstallString") != "(none)"; }},
        {"inside Delphi 7's block", false,
         [] { return Delphi7->KnownPackage(Folder + "\\Delphi7\\dclvll70.bpl") != "(none)"; }},
        {"among C++Builder 6's help changes", false, [&] { return has("vllib.hlp", Builder6->HelpFile(1)); }},
        {"an update, once the earlier installation is taken back", true,
         [&] { return RegistryString(HKEY_LOCAL_MACHINE, entryKey, "UninstallString") == "(none)"; }},
        {"an update, inside C++Builder 6's block", true,
         [&] {
             earlierGone = earlierGone || Builder6->KnownPackage(Folder + "\\CBuilder6\\dclvll60.bpl") == "(none)";
             return earlierGone && Builder6->KnownPackage(Folder + "\\CBuilder6\\dclvll60.bpl") != "(none)";
         }},
    };
    // The reference: one whole install and uninstall.
    EXPECT_EQ(InstallSilently(work.Path()), 0u);
    UninstallSilently(work.Path());
    const Lines before = MachineState();
    for (const auto& point : points) {
        SCOPED_TRACE(point.when);
        Lines earlierRecord;
        if (point.update) {
            ASSERT_EQ(InstallSilently(work.Path()), 0u);
            earlierRecord = RegistrySnapshot(HKEY_LOCAL_MACHINE, record);
        }
        earlierGone = false;
        {
            ChildProcess setup(SetupCommand(" /S"), work.Path());
            ASSERT_TRUE(setup.Started());
            bool reached = false;
            for (DWORD start = GetTickCount(); !(reached = point.reached()) && !setup.Wait(0);) {
                ASSERT_LT(GetTickCount() - start, Wait) << "setup.exe neither reached the point nor ended";
            }
            EndProcessesNamed("setup.exe");
            EndProcessesNamed("dcc32.exe");
            EndProcessesNamed("make.exe");
            ASSERT_TRUE(reached) << "the run ended before";
        }
        ASSERT_TRUE(WaitForSetupsToEnd(Wait));
        if (point.update) {
            EXPECT_EQ(RegistrySnapshot(HKEY_LOCAL_MACHINE, record), earlierRecord)
                << "what the last whole installation chose, until the update is whole";
        }
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, record, "RootDir"), Folder) << "the next run's folder";
        EXPECT_EQ(InstallSilently(work.Path()), 0u);
        UninstallSilently(work.Path());
        EXPECT_EQ(MachineState(), before);
    }
}

// Installs into the folder typed, which already holds the user's own files
// (each at its top or in a folder of its own), updates, and uninstalls: the
// user's files come through whole, and of the product nothing stays.
void KeepsTheUsersFiles(const std::string& folder, const Lines& users) {
    const std::string& typed = folder;
    for (const std::string& file : users) {
        std::filesystem::create_directories(std::filesystem::path(folder + "\\" + file).parent_path());
        WriteFileBytes(folder + "\\" + file, file);
    }
    auto keptWhole = [&] {
        std::string contents;
        return std::all_of(users.begin(), users.end(), [&](const std::string& file) {
            return ReadFileBytes(folder + "\\" + file, &contents) && contents == file;
        });
    };
    const Lines top = TopLevel(folder);
    TempDir work;
    for (const char* step : {"install", "update"}) {
        WizardDriver wizard(SetupCommand(""), work.Path());
        ASSERT_NE(wizard.Dialog(), nullptr) << step;
        wizard.Press(IDC_NEXT);
        wizard.Press(IDC_NEXT);
        wizard.SetFolder(typed);
        if (step == std::string("install")) {
            // The folder holds the user's files: asked first.
            wizard.PressLater(IDC_NEXT);
            HWND question = wizard.WaitForBox("Install", Wait);
            ASSERT_NE(question, nullptr);
            EXPECT_NE(MessageBoxText(question).find("exists and holds files"), std::string::npos);
            wizard.AnswerAndWait(question, IDYES);
            wizard.Sync();
        } else {
            wizard.Press(IDC_NEXT);
        }
        EXPECT_EQ(InstallAnsweringErrors(wizard), Lines{}) << step;
        EXPECT_TRUE(Exists(folder + "\\CBuilder6\\vll60.bpl") && keptWhole()) << step;
    }
    ChildProcess uninstaller(RegistryString(HKEY_LOCAL_MACHINE,
                                            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib",
                                            "UninstallString"),
                             work.Path());
    HWND question = WaitForMessageBox("Uninstall", "Are you sure", Wait);
    ASSERT_NE(question, nullptr);
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    HWND done = WaitForMessageBox("Uninstall", "was removed", Wait);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(MessageBoxText(done), "Vellorin library v" VL_VERSION_SHORT " was removed from your computer. The folder " + typed +
                                        " still holds files and was left in place.");
    PostMessageA(done, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(uninstaller.Wait(Wait));
    EXPECT_EQ(TopLevel(folder), top);
    EXPECT_TRUE(keptWhole());
    for (const std::string& file : users) {
        size_t slash = file.find('\\');
        if (slash == std::string::npos) continue;
        EXPECT_EQ(ListTree(folder + "\\" + file.substr(0, slash)), Lines{file.substr(slash + 1)}) << "nothing else";
    }
}

TEST(Acceptance, AnExistingFolderKeepsTheUsersFiles) {
    KeepsTheUsersFiles("C:\\Work", {"MyProject\\Main.pas", "todo.txt"});
    RemoveTree("C:\\Work");
}


TEST(Acceptance, ExtractionWritesThePayloadManifest) {
    TempDir target;
    ChildProcess setup(SetupCommand(" /X"), target.Path());
    std::vector<std::string> windows;
    ASSERT_TRUE(setup.Wait(Wait, &windows));
    EXPECT_EQ(setup.ExitCode(), 0u);
    EXPECT_EQ(windows, std::vector<std::string>{});
    EXPECT_EQ(CompareWithManifest(target.Path()), std::vector<std::string>{});
}

TEST(Acceptance, FailingItemsAreReportedOneByOneAndTheInstallCompletes) {
    TempDir work;
    // A compiler that builds nothing for one package, and a target the user
    // made read-only.
    WriteFileBytes(Builder6->Root() + "\\bin\\fake-ide.cfg", "package=.bpl\r\nfail=vll60\r\n");
    CreateDirectoryA("C:\\Borland\\Vellorin", nullptr);
    WriteFileBytes(Folder + "\\ReadMe.txt", "the user's own notes");
    SetReadOnly(Folder + "\\ReadMe.txt", true);

    WizardDriver wizard(SetupCommand(""), work.Path());
    ASSERT_NE(wizard.Dialog(), nullptr);
    wizard.Press(IDC_NEXT);
    wizard.Press(IDC_NEXT);
    // The folder holds the user's file: asked first.
    wizard.PressLater(IDC_NEXT);
    HWND question = wizard.WaitForBox("Install", Wait);
    ASSERT_NE(question, nullptr);
    wizard.AnswerAndWait(question, IDYES);
    wizard.Sync();
    const std::string check = "Check file: " + Folder + "\\CBuilder6\\vll60.bpl...Fail";
    const std::string readMe = "Copying file: " + Folder + "\\ReadMe.txt...Fail";
    EXPECT_EQ(InstallAnsweringErrors(wizard),
              (Lines{ErrorText(siExtractFile, "ReadMe.txt", 5, readMe),
                     ErrorText(siCheckFile, "CBuilder6\\vll60.bpl", 1, check), CopyError("vll60.bpl")}));
    Lines failed;
    for (const std::string& line : LogLines()) {
        if (line.find("...Fail") != std::string::npos) failed.push_back(line);
    }
    EXPECT_EQ(failed, (Lines{readMe, check,
                             "Copying file: from " + Folder + "\\CBuilder6\\vll60.bpl to " +
                                 SystemFolder(SystemDirectory) + "\\vll60.bpl ...Fail"}));
    std::string notes;
    ReadFileBytes(Folder + "\\ReadMe.txt", &notes);
    EXPECT_EQ(notes, "the user's own notes");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft\\Vellorin library", "RootDir"), Folder);
    WriteFileBytes(Builder6->Root() + "\\bin\\fake-ide.cfg", "package=.bpl\r\n");
}

// Users of other ANSI code pages. In 932 and 950 the second byte of a
// double-byte character can be a backslash or a bar; 1251 has letters of two
// cases beyond ASCII. Each code page's tests run in a ctest entry of their
// own, in the Unix locale that gives it. Names are written here in UTF-16
// and compared in that code page's bytes, as the product stores them.
class CodePage : public ::testing::Test {
protected:
    CodePage(UINT page, const wchar_t* sample) : page_(page), sample_(sample) {}

    void SetUp() override {
        top_ = TopLevel("C:");
        ASSERT_EQ(GetACP(), page_) << "not run in the locale of code page " << page_;
        // Wine names the code page of a locale that is not generated too, but
        // then finds no file whose name is not ASCII.
        const std::wstring probe = L"C:\\" + std::wstring(sample_);
        ASSERT_TRUE(CreateDirectoryW(probe.c_str(), nullptr) && RemoveDirectoryW(probe.c_str()))
            << "no name in code page " << page_ << " works (error " << GetLastError()
            << "): its locale is not generated";
    }
    // Takes back what the test made, whatever a failure left: the product's
    // traces, what is new at the top of drive C, and the IDEs as they were.
    void TearDown() override {
        RemoveInstallTraces();
        for (const std::string& name : TopLevel("C:")) {
            if (std::find(top_.begin(), top_.end(), name) != top_.end()) continue;
            RemoveTree("C:\\" + name);
            DeleteFileA(("C:\\" + name).c_str());
        }
        MoveIdes();
        InstallIdes();
    }

    std::string Ansi(const std::wstring& text) const {
        std::string bytes(2 * text.size(), '\0');
        BOOL lost = FALSE;
        bytes.resize(WideCharToMultiByte(page_, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                                         static_cast<int>(bytes.size()), nullptr, &lost));
        EXPECT_FALSE(lost) << "not a name of code page " << page_;
        return bytes;
    }

    // Delphi 7 and C++Builder 6, in folders below `parent` (or nowhere),
    // instead of the machine's.
    void MoveIdes(const std::wstring& parent = L"") {
        Delphi7.reset();
        Builder6.reset();
        delphi_.reset();
        builder_.reset();
        if (parent.empty()) return;
        delphi_ = std::make_unique<FakeIde>(9, Ansi(parent + L"\\Delphi7"));
        builder_ = std::make_unique<FakeIde>(8, Ansi(parent + L"\\CBuilder6"));
    }

    // The wizard's install into the folder typed, or its update into the
    // folder of the first install.
    void InstallWithWizard(const std::string& dir, const std::wstring& folder, bool type) {
        WizardDriver wizard(SetupCommand(""), dir);
        ASSERT_NE(wizard.Dialog(), nullptr);
        wizard.Press(IDC_NEXT);
        wizard.Press(IDC_NEXT);
        if (type) {
            ASSERT_TRUE(wizard.Type(folder));
        } else {
            EXPECT_EQ(wizard.Text(IDC_FOLDER), Ansi(folder)) << "the folder of the first install";
        }
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(InstallAnsweringErrors(wizard), Lines{});
    }

    // setup.exe /S with the IDEs below `parent`: the install goes beside
    // them, into parent\Vellorin, and the record names it byte for byte.
    void InstallBesideIdes(const std::wstring& parent) {
        const std::string folder = Ansi(parent + L"\\Vellorin");
        TempDir work;
        EXPECT_EQ(InstallSilently(work.Path()), 0u);
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, Record, "RootDir"), folder);
        EXPECT_TRUE(Exists(folder + "\\redud.exe"));
        EXPECT_EQ(TopLevel(Ansi(parent)), (Lines{"CBuilder6", "Delphi7", "Vellorin"}));
    }

    const char* const Record = "Software\\Brindlecraft\\Vellorin library";
    UINT page_;
    const wchar_t* sample_;
    Lines top_;
    std::unique_ptr<FakeIde> delphi_, builder_;
};

struct CodePage932 : CodePage {
    CodePage932() : CodePage(932, L"機能") {}
};
struct CodePage950 : CodePage {
    CodePage950() : CodePage(950, L"成功") {}
};
struct CodePage1251 : CodePage {
    CodePage1251() : CodePage(1251, L"Программы") {}
};

// 能 is 94 5C: a folder typed into the wizard that ends in it.
TEST_F(CodePage932, AFolderEndingInABackslashByteLivesThroughInstallUpdateAndUninstall) {
    const std::wstring typed = L"C:\\開発\\機能";
    const std::string folder = Ansi(typed), above = Ansi(L"C:\\開発");
    const Lines machineBefore = Registry();
    TempDir work;
    for (const char* step : {"install", "update"}) {
        SCOPED_TRACE(step);
        InstallWithWizard(work.Path(), typed, step == std::string("install"));
        EXPECT_EQ(TopLevel(above), Lines{Ansi(L"機能")}) << "nothing beside the folder";
        EXPECT_TRUE(Exists(folder + "\\redud.exe") && Exists(folder + "\\Source"));
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, Record, "RootDir"), folder);
        std::string log;
        ReadFileBytes(folder + "\\install.log", &log);
        EXPECT_NE(log.find("\r\nRootPath: " + folder + "\r\n"), std::string::npos);
        // Files dropped into a folder that the product made and clears (ソ
        // is 83 5C, 表 95 5C) go with the update's clearing.
        for (const wchar_t* name : {L"\\Delphi7\\ソース.txt", L"\\Delphi7\\表示.dcu"}) {
            const std::string path = folder + Ansi(name);
            if (step == std::string("install")) {
                HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
                EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
                CloseHandle(file);
            } else {
                EXPECT_FALSE(Exists(path)) << path;
            }
        }
    }
    UninstallSilently(work.Path());
    EXPECT_EQ(TopLevel("C:"), top_) << "the folders the install made went with it";
    EXPECT_EQ(Registry(), machineBefore);
}

TEST_F(CodePage932, ExtractionWritesIntoACurrentFolderEndingInABackslashByte) {
    const std::wstring current = L"C:\\作業\\機能";
    ASSERT_TRUE(CreateDirectoryW(L"C:\\作業", nullptr) && CreateDirectoryW(current.c_str(), nullptr));
    ChildProcess setup(Wide(SetupCommand(" /X")), current);
    ASSERT_TRUE(setup.Wait(Wait));
    EXPECT_EQ(setup.ExitCode(), 0u);
    EXPECT_EQ(CompareWithManifest(Ansi(current)), Lines{});
    EXPECT_EQ(TopLevel(Ansi(L"C:\\作業")), Lines{Ansi(L"機能")}) << "nothing made beside it";
}

// 表 is 95 5C, ポ 83 7C ('|').
TEST_F(CodePage932, ASilentInstallGoesBesideIdesBelowAFolderEndingInABackslashOrBarByte) {
    for (const wchar_t* parent : {L"C:\\代表", L"C:\\コンポーネント"}) {
        SCOPED_TRACE(::testing::Message() << parent);
        MoveIdes(parent);
        InstallBesideIdes(parent);
        RemoveInstallTraces();
    }
}

// 功 is A5 5C.
TEST_F(CodePage950, ASilentInstallGoesBesideIdesBelowAFolderEndingInABackslashByte) {
    MoveIdes(L"C:\\成功");
    InstallBesideIdes(L"C:\\成功");
}

TEST_F(CodePage1251, TheUninstallerStartedWithTheFolderInAnotherCaseRemovesEverything) {
    const Lines machineBefore = Registry();
    TempDir work;
    InstallWithWizard(work.Path(), L"C:\\Программы\\Библиотека", true);
    ASSERT_EQ(RegistryString(HKEY_LOCAL_MACHINE, Record, "RootDir"), Ansi(L"C:\\Программы\\Библиотека"));
    ChildProcess uninstaller(std::wstring(L"c:\\программы\\библиотека\\redud.exe /S"), Wide(work.Path()));
    ASSERT_TRUE(uninstaller.Wait(Wait));
    EXPECT_EQ(uninstaller.ExitCode(), 0u);
    EXPECT_TRUE(WaitForSetupsToEnd(Wait));
    EXPECT_EQ(TopLevel("C:"), top_) << "the folders the install made went with it";
    EXPECT_EQ(Registry(), machineBefore);
}

}  // namespace
