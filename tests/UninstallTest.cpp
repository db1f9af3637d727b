// Taking an installation back: before an update, and through the uninstaller
// program that the Add/Remove Programs entry names.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "EngineFixture.h"
#include "resources/version.h"
#include "uninstall/UDeinstall.h"
#include "util/USecurity.h"

namespace {

const DWORD Wait = 60000;

// What the product touches outside its own folder, as text to compare.
struct MachineState {
    std::vector<std::string> registry;
    std::map<std::string, std::string> ideFiles;  // below the IDE's root, with contents
    std::vector<std::string> windowsFiles, tempFiles, systemPackages;
};

// The files and folders directly in a folder; folders end with "\\".
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const std::string& entry : ListTree(folder)) {
        size_t slash = entry.find('\\');
        if (slash == std::string::npos || slash + 1 == entry.size()) files.push_back(entry);
    }
    return files;
}

std::string TempFolder() {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

// The uninstaller's private folders in the temporary folder.
std::vector<std::string> CopyFolders() {
    std::vector<std::string> folders;
    for (const std::string& entry : FilesIn(TempFolder())) {
        if (entry.rfind("redud-", 0) == 0) folders.push_back(entry);
    }
    return folders;
}

// The lines only one of two sorted lists has: "+" after, "-" before.
std::vector<std::string> Difference(const std::vector<std::string>& before,
                                    const std::vector<std::string>& after) {
    std::vector<std::string> difference;
    for (const std::string& line : before) {
        if (!std::binary_search(after.begin(), after.end(), line)) difference.push_back("-" + line);
    }
    for (const std::string& line : after) {
        if (!std::binary_search(before.begin(), before.end(), line)) difference.push_back("+" + line);
    }
    return difference;
}

// A file held open as an IDE holds its package: nobody may delete it.
HANDLE HoldOpen(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

const char SessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

// The files and folders that Windows is to remove when it restarts, in its
// order, without "\\??\\"; the value goes.
std::vector<std::string> TakeScheduledRemovals() {
    char data[4096] = {};
    DWORD size = sizeof data - 2;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, SessionManager, "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr,
                     data, &size) != ERROR_SUCCESS) {
        data[0] = 0;
    }
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, SessionManager, "PendingFileRenameOperations");
    std::vector<std::string> removed;
    for (const char* source = data; *source; source += strlen(source) + 2) removed.push_back(source + 4);
    return removed;
}

class Uninstall : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        delphi7_ = std::make_unique<FakeIde>(9, temp_ / "Borland\\Delphi7");
    }
    void TearDown() override {
        builder6_.reset();
        delphi7_.reset();
        EngineFixture::TearDown();
    }
    void Choose(uint32_t versions, uint32_t items) {
        DetectIdes();
        for (TBorlandProduct& product : BorlandProducts) product.Selected = (product.Mask & versions) != 0;
        InstallVersions = versions;
        InstallItems = items;
    }
    std::vector<Failure> Install(const std::string& folder) {
        InstallDir = folder.c_str();
        TScript script(TakeBackEarlierInstallation);
        return RunScript(script);
    }
    MachineState State() const {
        MachineState state;
        state.registry = TouchedRegistry();
        for (const std::string& entry : ListTree(delphi7_->Root())) {
            ReadFileBytes(delphi7_->Root() + "\\" + entry, &state.ideFiles[entry]);
        }
        char folder[MAX_PATH];
        GetWindowsDirectoryA(folder, MAX_PATH);
        state.windowsFiles = FilesIn(folder);
        // Tests that run beside this one make and remove scratch folders of
        // their own there; the uninstaller never names anything so.
        for (const std::string& file : FilesIn(TempFolder())) {
            if (file.rfind("vltest-", 0) != 0) state.tempFiles.push_back(file);
        }
        GetSystemDirectoryA(folder, MAX_PATH);
        for (const char* package : {"\\vll70.bpl", "\\clxvll70.bpl"}) {
            if (GetFileAttributesA((std::string(folder) + package).c_str()) != INVALID_FILE_ATTRIBUTES) {
                state.systemPackages.push_back(package + 1);
            }
        }
        return state;
    }
    // The entry's command, as Add/Remove Programs starts it.
    static std::string UninstallCommand() {
        return RegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib",
                              "UninstallString");
    }
    // After an uninstall: waits for its copy to go, then expects the machine
    // as it was before the install, but for what stays on purpose.
    void ExpectMachineAsBefore(const MachineState& before) const;
    std::unique_ptr<FakeIde> delphi7_, builder6_;
};

void Uninstall::ExpectMachineAsBefore(const MachineState& before) const {
    EXPECT_TRUE(WaitForSetupsToEnd(Wait));
    MachineState after;
    for (DWORD start = GetTickCount(); GetTickCount() - start < Wait; Sleep(20)) {
        after = State();
        if (after.tempFiles == before.tempFiles) break;
    }
    EXPECT_EQ(GetFileAttributesA(installDir_.c_str()), INVALID_FILE_ATTRIBUTES)
        << ::testing::PrintToString(ListTree(installDir_));
    EXPECT_EQ(Difference(before.registry, after.registry), std::vector<std::string>{});
    EXPECT_EQ(delphi7_->KnownPackage(FakeIde::OwnPackage), "Standard Components");
    EXPECT_EQ(after.windowsFiles, before.windowsFiles) << "the INI file goes";
    EXPECT_EQ(after.tempFiles, before.tempFiles) << "nothing left in the temporary folder";
    // Left on purpose, as the script records none of it: the runtime
    // packages in the system folder, the lines merged into the IDE's alias
    // file, and the IDE's help index that was deleted.
    EXPECT_EQ(after.systemPackages, (std::vector<std::string>{"vll70.bpl", "clxvll70.bpl"}));
    std::map<std::string, std::string> changed;
    for (const auto& [file, content] : before.ideFiles) {
        auto now = after.ideFiles.find(file);
        if (now == after.ideFiles.end()) changed[file] = "deleted";
        else if (now->second != content) changed[file] = "changed";
    }
    for (const auto& [file, content] : after.ideFiles) {
        if (!before.ideFiles.count(file)) changed[file] = "added";
    }
    EXPECT_EQ(changed, (std::map<std::string, std::string>{{"Help\\d7.als", "changed"},
                                                           {"Help\\d7.gid", "deleted"},
                                                           {"bin\\calls.log", "added"}}));
}

TEST_F(Uninstall, AnUpdateTakesTheFirstInstallationBackAndStaysInItsFolder) {
    builder6_ = std::make_unique<FakeIde>(8, temp_ / "Borland\\CBuilder6");
    const std::string a = installDir_, b = temp_ / "B";
    std::string originalHelp;
    ReadFileBytes(delphi7_->HelpFile(1), &originalHelp);
    const std::string originalPath = delphi7_->LibraryPath();

    Choose(0x100, 0x480);  // Delphi 7 and the help files into A
    EXPECT_TRUE(Install(a).empty());
    ASSERT_NE(delphi7_->KnownPackage(a + "\\Delphi7\\dclvll70.bpl"), "(none)");

    // A product file made read-only (a checkout) is replaced all the same.
    ASSERT_TRUE(SetReadOnly(a + "\\ReadMe.txt", true));
    Choose(0x080, 0x040);  // C++Builder 6 alone, into B
    EXPECT_TRUE(Install(b).empty());
    EXPECT_FALSE(GetFileAttributesA((a + "\\ReadMe.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(std::string(InstallDir.CStr()), a) << "the folder of the installation taken back";
    EXPECT_EQ(GetFileAttributesA(b.c_str()), INVALID_FILE_ATTRIBUTES);
    std::vector<std::string> top;
    for (const std::string& entry : ListTree(a)) {
        if (std::count(entry.begin(), entry.end(), '\\') <= (entry.back() == '\\' ? 1 : 0)) top.push_back(entry);
    }
    EXPECT_EQ(top, (std::vector<std::string>{"CBuilder6\\", "History.txt", "License.txt", "Order.txt",
                                             "ReadMe.txt", "Source\\", "install.log", "redud.exe",
                                             "uninst.log"}));
    // Delphi 7 is as it was before the first install.
    EXPECT_EQ(delphi7_->KnownPackage(a + "\\Delphi7\\dclvll70.bpl"), "(none)");
    EXPECT_EQ(delphi7_->LibraryPath(), originalPath);
    std::string help;
    ReadFileBytes(delphi7_->HelpFile(1), &help);
    EXPECT_EQ(help, originalHelp);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help", "vllib.hlp"), "(none)");
    // The new installation names A.
    EXPECT_EQ(InstallLog()[1], "RootPath: " + a);
    EXPECT_EQ(UninstallLog()[3].text, a);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE,
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib", "UninstallString"),
              "\"" + a + "\\redud.exe\" \"" + a + "\\uninst.log\"");
    EXPECT_EQ(builder6_->Calls().size(), 4u);
}


TEST_F(Uninstall, TheUninstallerLeavesTheMachineAsItWas) {
    MachineState before = State();
    Choose(0x100, 0x780);
    EXPECT_TRUE(Install(installDir_).empty());
    // What WinHelp and the IDE's tools leave beside the product's files, in
    // any case, and a file in a folder that the install clears: the product's.
    std::filesystem::create_directories(installDir_ + "\\Delphi7\\Backup");
    for (const char* left : {"Help\\VLLIB.GID", "Help\\vllib.Fts", "Help\\vllib.FTG", "Source\\vlConst.#01",
                             "Source\\VLCONST.MAP", "Demos\\Delphi\\IniDemo\\Main.dcu", "Delphi7\\Backup\\vll70.dpk"}) {
        ASSERT_TRUE(WriteFileBytes(installDir_ + "\\" + left, "left by the tools")) << left;
    }

    std::string command = UninstallCommand();
    ASSERT_EQ(command.front(), '"') << "the install folder has a blank: " << command;
    ChildProcess uninstaller(command, temp_.Path());
    ASSERT_TRUE(uninstaller.Started());
    HWND question =
        WaitForMessageBox("Uninstall", "Are you sure you want to remove Vellorin library v" VL_VERSION_SHORT, Wait);
    HWND other = FindWindowA("#32770", "Uninstall");
    ASSERT_NE(question, nullptr) << (other ? MessageBoxText(other) : "no box");
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    HWND done =
        WaitForMessageBox("Uninstall", "Vellorin library v" VL_VERSION_SHORT " was removed from your computer.", Wait);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(MessageBoxText(done), "Vellorin library v" VL_VERSION_SHORT " was removed from your computer.");
    PostMessageA(done, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(uninstaller.Wait(Wait));
    EXPECT_EQ(uninstaller.ExitCode(), 0u);
    ExpectMachineAsBefore(before);
}

TEST_F(Uninstall, TheUninstallerCanRemoveSilently) {
    // A user's file named like what an ended rewrite leaves stays; that goes.
    const std::string help = delphi7_->Root() + "\\Help\\";
    ASSERT_TRUE(WriteFileBytes(help + "d7.ohi.vl0123456789abcdef.tmp.txt", "mine"));
    MachineState before = State();
    Choose(0x100, 0x480);
    EXPECT_TRUE(Install(installDir_).empty());
    ASSERT_TRUE(WriteFileBytes(help + "d7.ohl.vl0123456789abcdef.tmp", "half"));
    // Product files made read-only (a copy from a CD, a checkout) are still the product's.
    for (const char* file : {"\\Source\\vlConst.pas", "\\Help\\vllib.hlp"}) {
        ASSERT_TRUE(SetReadOnly(installDir_ + file, true)) << file;
    }
    char ini[MAX_PATH];
    ASSERT_TRUE(GetWindowsDirectoryA(ini, MAX_PATH) && SetReadOnly(lstrcatA(ini, "\\vllib.ini"), true));
    ChildProcess uninstaller(UninstallCommand() + " /S", temp_.Path());
    std::vector<std::string> windows;
    ASSERT_TRUE(uninstaller.Wait(Wait, &windows));
    EXPECT_EQ(uninstaller.ExitCode(), 0u);
    EXPECT_EQ(FindWindowA("#32770", "Uninstall"), nullptr) << "no question, no report";
    ExpectMachineAsBefore(before);
}

// A product file held open (an IDE, a help window) is named with the reason
// Windows gave, the entry staying meanwhile. Retry, once it is closed,
// finishes; Cancel has Windows remove it and its folders when it restarts.
TEST_F(Uninstall, AFileInUseIsNamedAndRetryRemovesItOnceItIsClosed) {
    MachineState before = State();
    for (int answer : {IDCANCEL, IDRETRY}) {
        Choose(0x100, 0x480);
        ASSERT_TRUE(Install(installDir_).empty());
        // A file that its record names, or one that the compiler made in a folder that the install clears.
        const std::string held = installDir_ + (answer == IDRETRY ? "\\Source\\vlConst.pas" : "\\Delphi7\\dclvll70.bpl");
        HANDLE file = HoldOpen(held);
        ChildProcess uninstaller(UninstallCommand(), temp_.Path());
        HWND box = WaitForMessageBox("Uninstall", "Are you sure", Wait);
        PostMessageA(box, WM_COMMAND, IDYES, 0);
        box = WaitForMessageBox("Uninstall", "could not be removed", Wait);
        const std::string named = "This file of Vellorin library v" VL_VERSION_SHORT " could not be removed:\r\n\r\n" + held + "\r\n    ";
        EXPECT_EQ(MessageBoxText(box).rfind(named, 0), 0u) << MessageBoxText(box);
        EXPECT_GT(MessageBoxText(box).find("\r\n\r\nClose the programs"), named.size()) << "after a reason";
        EXPECT_NE(UninstallCommand(), "(none)") << "listed until the end";
        if (answer == IDRETRY) CloseHandle(file);
        PostMessageA(box, WM_COMMAND, answer, 0);
        box = WaitForMessageBox("Uninstall", "was removed from your computer.", Wait);
        EXPECT_EQ(MessageBoxText(box), answer == IDRETRY ? "Vellorin library v" VL_VERSION_SHORT " was removed from your computer."
                                                         : "Vellorin library v" VL_VERSION_SHORT " was removed from your computer. One "
                                                           "of its files could not be removed now: it will be removed "
                                                           "when Windows restarts, and so will the folder " +
                                                               installDir_ + ".");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(uninstaller.Wait(Wait));
        EXPECT_EQ(uninstaller.ExitCode(), answer == IDRETRY ? 0u : 8u);
        if (answer == IDRETRY) break;
        ASSERT_TRUE(WaitForSetupsToEnd(Wait));
        EXPECT_EQ(UninstallCommand(), "(none)");
        EXPECT_EQ(TakeScheduledRemovals(), (std::vector<std::string>{held, installDir_ + "\\Delphi7", installDir_}));
        CloseHandle(file);
        RemoveTree(installDir_);
    }
    ExpectMachineAsBefore(before);
}

// /S asks nothing: a file in use goes at restart (8). Where it cannot be
// scheduled either (Wine refuses to add to a value of another type), the
// entry, the logs and the uninstaller stay (9), and a second run later
// removes the rest.
TEST_F(Uninstall, SilentlyAFileInUseGoesAtRestartOrKeepsTheEntry) {
    MachineState before = State();
    const std::string help = installDir_ + "\\Help\\vllib.hlp";
    for (DWORD expected : {8u, 9u}) {
        Choose(0x100, 0x480);
        ASSERT_TRUE(Install(installDir_).empty());
        HANDLE viewer = HoldOpen(help);
        const DWORD number = 1;
        if (expected == 9) {
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, SessionManager, "PendingFileRenameOperations", REG_DWORD, &number, 4);
        }
        ChildProcess uninstaller(UninstallCommand() + " /S", temp_.Path());
        ASSERT_TRUE(uninstaller.Wait(Wait));
        EXPECT_EQ(uninstaller.ExitCode(), expected);
        ASSERT_TRUE(WaitForSetupsToEnd(Wait));
        const std::vector<std::string> scheduled{help, installDir_ + "\\Help", installDir_};
        EXPECT_EQ(TakeScheduledRemovals(), expected == 8 ? scheduled : std::vector<std::string>{});
        CloseHandle(viewer);
        if (expected == 8) RemoveTree(installDir_);
    }
    EXPECT_NE(UninstallCommand(), "(none)");
    EXPECT_TRUE(Exists(installDir_ + "\\uninst.log") && Exists(installDir_ + "\\redud.exe") && Exists(help));
    ChildProcess again(UninstallCommand() + " /S", temp_.Path());
    ASSERT_TRUE(again.Wait(Wait));
    EXPECT_EQ(again.ExitCode(), 0u);
    ExpectMachineAsBefore(before);
}

// A folder of the user's that the install uses, and one in it named like
// the folder the install makes for an IDE, keep what the user put there, at
// the install and at the uninstall; other users can no longer change them.
// Folders the install made above its folder go with it. An IDE folder that
// other users can change is named in install.log.
TEST_F(Uninstall, InstallingIntoTheUsersFolders) {
    Choose(0x100, 0x480);
    const std::string components = temp_ / "Components";
    for (const char* file : {"Delphi7\\MyGrid.pas", "ReadMe.txt"}) {
        std::filesystem::create_directories(std::filesystem::path(components + "\\" + file).parent_path());
        WriteFileBytes(components + "\\" + file, "the user's own");
    }
    for (const std::string& path : {components, components + "\\Delphi7\\MyGrid.pas", delphi7_->Root()}) {
        ASSERT_TRUE(OpenToEveryone(path)) << path;
    }
    EXPECT_TRUE(Install(components).empty());
    EXPECT_TRUE(Exists(components + "\\Delphi7\\MyGrid.pas"));
    for (const std::string& path : {components, components + "\\Delphi7\\MyGrid.pas"}) {
        EXPECT_FALSE(OthersCanChangePath(path.c_str())) << path;
    }
    std::string text;
    ReadFileBytes(components + "\\install.log", &text);
    const std::vector<std::string> log = CrLfLines(text);
    for (const std::string& line :
         {"Protecting directory: " + components + "...Success",
          "Clearing directory: " + components + "\\Delphi7...Already (it was there before setup: what it holds is kept)",
          "Warning: users other than administrators can change the folder " + delphi7_->Root() +
              ", from which the IDE's compiler and make tool run with administrator rights"}) {
        EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
    }
    // A read-only file of the user's is no file left of the product's.
    ASSERT_TRUE(SetReadOnly(components + "\\Delphi7\\MyGrid.pas", true));
    ChildProcess uninstaller(UninstallCommand() + " /S", temp_.Path());
    ASSERT_TRUE(uninstaller.Wait(Wait));
    EXPECT_EQ(uninstaller.ExitCode(), 0u);
    ASSERT_TRUE(WaitForSetupsToEnd(Wait));
    // The user's ReadMe.txt was replaced by the product's, and went with it.
    EXPECT_EQ(ListTree(components), (std::vector<std::string>{"Delphi7\\", "Delphi7\\MyGrid.pas"}));

    const std::string lib = temp_ / "Lib";
    EXPECT_TRUE(Install(lib + "\\Vellorin").empty());
    ChildProcess again(UninstallCommand() + " /S", temp_.Path());
    ASSERT_TRUE(again.Wait(Wait));
    EXPECT_EQ(again.ExitCode(), 0u);
    ASSERT_TRUE(WaitForSetupsToEnd(Wait));
    EXPECT_FALSE(Exists(lib));
}

// Started in the install folder with the log's name alone, as its usage
// suggests: the log is taken from there.
TEST_F(Uninstall, ARelativeLogPathIsTakenFromTheCurrentFolder) {
    MachineState before = State();
    Choose(0x100, 0x480);
    EXPECT_TRUE(Install(installDir_).empty());
    ChildProcess uninstaller("\"" + installDir_ + "\\redud.exe\" uninst.log /S", installDir_);
    ASSERT_TRUE(uninstaller.Wait(Wait));
    EXPECT_EQ(uninstaller.ExitCode(), 0u);
    ExpectMachineAsBefore(before);
}

// A log cut short (a damaged disk, an install that was ended) is taken back
// as far as it goes, and said to be cut short; an install over it, then an
// uninstall, take back the rest. Cut inside the IDE's block (0: before the
// select record that closes it), also with zeros after it as a power cut
// leaves them, it takes back the IDE's registrations too, and so all. Cut
// just after the header (1), it still takes back the folder the install made.
TEST_F(Uninstall, ALogCutShortIsSaidToBeAndTheNextInstallTakesBackTheRest) {
    MachineState before = State();
    for (auto [cut, zeros] :
         std::vector<std::pair<size_t, size_t>>{{430, 0}, {500, 0}, {700, 0}, {0, 0}, {0, 300}, {1, 0}}) {
        SCOPED_TRACE(cut);
        Choose(0x100, 0x480);
        ASSERT_TRUE(Install(installDir_).empty());
        std::string log;
        ReadFileBytes(installDir_ + "\\uninst.log", &log);
        ASSERT_GT(log.size(), 700u);
        const bool inBlock = cut == 0;
        if (inBlock) cut = log.rfind(std::string("\x09\x40\x01\x00\x09\x00\x00\x00", 8));
        if (cut == 1) cut = log.find(std::string("\x01\x80\x01\x40", 4));
        WriteFileBytes(installDir_ + "\\uninst.log", log.substr(0, cut) + std::string(zeros, '\0'));
        const std::string command = "\"" + installDir_ + "\\redud.exe\" \"" + installDir_ + "\\uninst.log\"";
        if (cut == 430) {
            ChildProcess asking(command, temp_.Path());
            HWND question = WaitForMessageBox("Uninstall", "Are you sure", Wait);
            ASSERT_NE(question, nullptr);
            PostMessageA(question, WM_COMMAND, IDYES, 0);
            HWND said = WaitForMessageBox("Uninstall", "was cut short", Wait);
            ASSERT_NE(said, nullptr);
            EXPECT_EQ(MessageBoxText(said).rfind("The uninstall log " + installDir_ +
                                                     "\\uninst.log was cut short. What it holds of Vellorin library "
                                                     "v" VL_VERSION_SHORT " was removed; parts of it may remain on your computer.",
                                                 0),
                      0u)
                << MessageBoxText(said);
            PostMessageA(said, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(asking.Wait(Wait));
            EXPECT_EQ(asking.ExitCode(), 4u);
        } else {
            ChildProcess silent(command + " /S", temp_.Path());
            ASSERT_TRUE(silent.Wait(Wait));
            EXPECT_EQ(silent.ExitCode(), 4u);
        }
        if (inBlock) ExpectMachineAsBefore(before);
        ASSERT_TRUE(WaitForSetupsToEnd(Wait));
        Choose(0x100, 0x480);
        ASSERT_TRUE(Install(installDir_).empty());
        ChildProcess uninstaller(UninstallCommand() + " /S", temp_.Path());
        ASSERT_TRUE(uninstaller.Wait(Wait));
        EXPECT_EQ(uninstaller.ExitCode(), 0u);
        ExpectMachineAsBefore(before);
    }
}

// The first uninstaller's copy, found among the processes by its parent.
DWORD CopyOf(DWORD launcher) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD copy = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !copy; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == launcher) copy = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return copy;
}

// An uninstall that was stopped half-way (the machine lost power) can be run
// again: it goes on where it stopped, and the end is that of one whole run.
// Stopped early, in its last quarter and as the install folder goes.
TEST_F(Uninstall, AnUninstallStoppedHalfWayFinishesWhenRunAgain) {
    MachineState before = State();
    char ini[MAX_PATH];
    GetWindowsDirectoryA(ini, MAX_PATH);
    lstrcatA(ini, "\\vllib.ini");
    const struct {
        const char* when;
        std::function<bool()> reached;
    } points[] = {
        {"as the installation record goes",
         [] {
             HKEY key;
             if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return true;
             RegCloseKey(key);
             return false;
         }},
        {"as the INI file goes, after the entry's record", [&ini] { return !Exists(ini); }},
        {"as the install folder goes, the entry gone", [] { return UninstallCommand() == "(none)"; }},
    };
    for (const auto& point : points) {
        SCOPED_TRACE(point.when);
        Choose(0x100, 0x480);
        bool stopped = false;
        for (int attempt = 0; attempt < 5 && !stopped; ++attempt) {
            if (!Exists(installDir_ + "\\uninst.log")) {
                ASSERT_TRUE(Install(installDir_).empty());
            }
            ChildProcess uninstaller(UninstallCommand() + " /S", temp_.Path());
            HANDLE process = nullptr;
            for (DWORD start = GetTickCount(); !process && GetTickCount() - start < Wait; Sleep(1)) {
                if (DWORD copy = CopyOf(uninstaller.ProcessId())) {
                    process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, copy);
                }
            }
            ASSERT_NE(process, nullptr) << "no copy of " << uninstaller.ProcessId();
            for (DWORD start = GetTickCount(); GetTickCount() - start < Wait && !point.reached();) Sleep(0);
            TerminateProcess(process, 9);
            WaitForSingleObject(process, Wait);
            CloseHandle(process);
            ASSERT_TRUE(uninstaller.Wait(Wait));
            // A copy that was quicker than the test ended whole; then once more.
            stopped = Exists(installDir_ + "\\uninst.log");
            if (stopped) {
                EXPECT_EQ(uninstaller.ExitCode(), 7u) << "a copy that ended without its result";
                // The first stage took away the ended copy's folder.
                EXPECT_EQ(CopyFolders(), std::vector<std::string>{});
            }
        }
        ASSERT_TRUE(stopped) << "never stopped before its end";
        // Marked undone as the replay went: from the end, each record but the
        // select records, up to where it stopped.
        std::vector<Record> records = UninstallLog();
        bool reached = false;
        for (auto record = records.rbegin() + 1; record != records.rend(); ++record) {
            if (record->code == 0x14009u || record->code == 0x1400Eu || record->code == 0x18012u) continue;
            bool undone = (record->code & RecordUndone) != 0;
            EXPECT_FALSE(undone && reached) << std::hex << record->code << " " << record->text;
            reached = reached || !undone;
        }
        // Run again from Add/Remove Programs while it is listed there (the
        // entry goes last), else from the install folder, as a user would.
        const std::string entry = UninstallCommand();
        ChildProcess again(entry != "(none)" ? entry + " /S" : "\"" + installDir_ + "\\redud.exe\" /S",
                           temp_.Path());
        ASSERT_TRUE(again.Wait(Wait));
        EXPECT_EQ(again.ExitCode(), 0u);
        ExpectMachineAsBefore(before);
    }
}

TEST_F(Uninstall, TheUninstallersCopyRunsFromAFolderOnlyAdministratorsCanChange) {
    Choose(0x100, 0x480);
    EXPECT_TRUE(Install(installDir_).empty());
    ASSERT_EQ(CopyFolders(), std::vector<std::string>{});
    ChildProcess uninstaller("\"" + installDir_ + "\\redud.exe\"", temp_.Path());
    HWND question = WaitForMessageBox("Uninstall", "Are you sure you want to remove", Wait);
    ASSERT_NE(question, nullptr);
    // A new folder with an unpredictable name, holding the copy that asks.
    std::vector<std::string> folders = CopyFolders();
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0].size(), std::string("redud-").size() + 16 + 1) << folders[0];
    EXPECT_EQ(folders[0].find_first_not_of("0123456789abcdef", 6), folders[0].size() - 1) << folders[0];
    const std::string copy = TempFolder() + folders[0] + "redud.exe";
    EXPECT_EQ(FilesIn(TempFolder() + folders[0]), std::vector<std::string>{"redud.exe"});
    // Nobody can put another program in its place.
    HANDLE writer = CreateFileA(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_FALSE(DeleteFileA(copy.c_str()));
    PostMessageA(question, WM_COMMAND, IDNO, 0);
    // Answered No: nothing removed, and the copy gone with its folder.
    for (DWORD start = GetTickCount(); GetTickCount() - start < Wait && !CopyFolders().empty(); Sleep(20)) {
    }
    EXPECT_EQ(CopyFolders(), std::vector<std::string>{});
    EXPECT_TRUE(Exists(installDir_ + "\\redud.exe"));
    EXPECT_NE(delphi7_->KnownPackage(installDir_ + "\\Delphi7\\dclvll70.bpl"), "(none)");
}

// The replay marks what it undoes in the log that it opened: a link put in
// the log's place meanwhile gets nothing.
TEST_F(Uninstall, TheReplayMarksTheLogItOpenedNotWhatTakesItsName) {
    Choose(0x100, 0x480);
    EXPECT_TRUE(Install(installDir_).empty());
    const std::string name = installDir_ + "\\uninst.log", moved = temp_ / "moved.log", victim = temp_ / "victim.txt";
    std::string original, marked, left;
    ReadFileBytes(name, &original);
    WriteFileBytes(victim, "another user's file");
    TDeinstall log;
    ASSERT_EQ(log.LoadLog(name.c_str()), 0);
    ASSERT_TRUE(MoveFileA(name.c_str(), moved.c_str()));
    ASSERT_TRUE(MakeLink(name, victim));
    log.ReadHeader();
    EXPECT_EQ(log.Run(), 0);
    ReadFileBytes(victim, &left);
    EXPECT_EQ(left, "another user's file");
    ReadFileBytes(moved, &marked);
    ASSERT_EQ(marked.size(), original.size());
    EXPECT_NE(marked, original) << "the records undone are marked";
    RemoveLink(name);
}

// A copy of the log elsewhere (a backup) speaks for no installation: nothing
// at all is taken back on its word, and the box says where the log is.
TEST_F(Uninstall, ALogThatDoesNotLieInItsFolderIsRefused) {
    Choose(0x100, 0x480);
    EXPECT_TRUE(Install(installDir_).empty());
    const std::vector<std::string> registry = TouchedRegistry();
    const std::vector<std::string> tree = HashedTree(installDir_);
    const std::string backup = temp_ / "backup";
    CreateDirectoryA(backup.c_str(), nullptr);
    CopyFileA((installDir_ + "\\uninst.log").c_str(), (backup + "\\uninst.log").c_str(), FALSE);
    ChildProcess silent("\"" + installDir_ + "\\redud.exe\" \"" + backup + "\\uninst.log\" /S", temp_.Path());
    ASSERT_TRUE(silent.Wait(Wait));
    EXPECT_EQ(silent.ExitCode(), 2u);
    ChildProcess asking("\"" + installDir_ + "\\redud.exe\" \"" + backup + "\\uninst.log\"", temp_.Path());
    HWND refusal = WaitForMessageBox("Uninstall", "does not lie in the folder", Wait);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(MessageBoxText(refusal), "The uninstall log " + backup + "\\uninst.log does not lie in the folder of its "
                                       "installation, " + installDir_ + ". Nothing was removed. That installation's "
                                       "own log is " + installDir_ + "\\uninst.log.");
    PostMessageA(refusal, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(asking.Wait(Wait));
    EXPECT_EQ(asking.ExitCode(), 2u);
    ASSERT_TRUE(WaitForSetupsToEnd(Wait));
    EXPECT_EQ(TouchedRegistry(), registry);
    EXPECT_EQ(HashedTree(installDir_), tree);
}

TEST_F(Uninstall, WithoutItsCopyTheUninstallerRemovesNothing) {
    Choose(0x100, 0x480);
    EXPECT_TRUE(Install(installDir_).empty());
    const std::vector<std::string> registry = TouchedRegistry();
    const std::vector<std::string> tree = HashedTree(installDir_);
    // A temporary folder that is not there: the copy cannot be made.
    const std::string missing = temp_ / "no such folder";
    char temp[MAX_PATH], tmp[MAX_PATH];
    GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
    GetEnvironmentVariableA("TMP", tmp, MAX_PATH);
    SetEnvironmentVariableA("TEMP", missing.c_str());
    SetEnvironmentVariableA("TMP", missing.c_str());
    const std::string command = "\"" + installDir_ + "\\redud.exe\"";
    ChildProcess silent(command + " /S", temp_.Path());
    ChildProcess asking(command, temp_.Path());
    SetEnvironmentVariableA("TEMP", temp);
    SetEnvironmentVariableA("TMP", tmp);
    ASSERT_TRUE(silent.Wait(Wait));
    EXPECT_EQ(silent.ExitCode(), 5u);
    HWND refusal = WaitForMessageBox("Uninstall", "cannot start its copy", Wait);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(MessageBoxText(refusal),
              "The uninstaller cannot start its copy in the temporary folder " + missing + "\\. Nothing was removed.");
    PostMessageA(refusal, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(asking.Wait(Wait));
    EXPECT_EQ(asking.ExitCode(), 5u);
    EXPECT_EQ(TouchedRegistry(), registry);
    EXPECT_EQ(HashedTree(installDir_), tree);
}

}  // namespace
