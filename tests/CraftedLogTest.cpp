// Uninstall logs that someone else wrote into the install folder: well-formed
// records that the install script never writes. Replayed by the uninstaller
// and by an update, they change nothing of the machine.
#include <filesystem>

#include "EngineFixture.h"
#include "script/UUninstallRecord.h"
#include "uninstall/UDeinstall.h"

namespace {

std::string Rec(uint32_t code, uint32_t arg, uint32_t dirKind, const std::string& text) {
    AnsiString bytes = EncodeUninstallRecord(code, arg, dirKind, AnsiString(text.c_str(), text.size()));
    return std::string(bytes.CStr(), bytes.Length());
}

const uint32_t User = RootCurrentUser, Machine = RootLocalMachine;
const std::string Decoy = "Software\\VellorinDecoy", Uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The files below `folder` but the log, and every key that a crafted log aims at.
std::vector<std::string> Snapshot(const std::string& folder) {
    std::vector<std::string> lines;
    for (const std::string& line : HashedTree(folder)) {
        if (line.rfind("Lib\\uninst.log ", 0) != 0) lines.push_back(line);
    }
    for (const auto& [root, key] : std::vector<std::pair<HKEY, std::string>>{
             {HKEY_CURRENT_USER, Decoy}, {HKEY_CURRENT_USER, "Software\\Borland"},
             {HKEY_CURRENT_USER, "Software\\Brindlecraft"}, {HKEY_LOCAL_MACHINE, "Software\\Brindlecraft"},
             {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help"}, {HKEY_LOCAL_MACHINE, Uninstall}}) {
        for (const std::string& line : RegistrySnapshot(root, key)) lines.push_back(key + "\\" + line);
    }
    return lines;
}

TEST_F(EngineFixture, CraftedLogsChangeNothingInTheUninstallerOrAnUpdate) {
    const std::string lib = temp_ / "Lib", decoy = temp_ / "Decoy";
    FakeIdeOptions options;
    options.searchPathValue = "$(DELPHI)\\Lib;$(DELPHI)\\Bin;C:\\Components;" + lib + "\\Source";
    FakeIde delphi7(9, temp_ / "Borland\\Delphi7", options);
    WriteFileBytes(delphi7.HelpFile(1), std::string(FakeIde::HelpFileText) + ":Link vllib.hlp\r\n");
    for (const char* file : {"Lib\\todo.txt", "Lib\\MyProject\\Main.pas", "Decoy\\Source\\vlConst.pas"}) {
        std::filesystem::create_directories(std::filesystem::path(temp_ / file).parent_path());
        WriteFileBytes(temp_ / file, file);
    }
    // Keys of this test and of another program, a Windows help value, and
    // an Add/Remove Programs entry that names the log, for the update.
    const std::vector<std::pair<uint32_t, std::string>> keys = {
        {User, Decoy + "\\Settings"}, {User, ProductRegistryKey}, {Machine, "Software\\Brindlecraft\\Other Product"},
        {Machine, Uninstall + "\\Decoy"}, {Machine, Uninstall + "\\vllLib"}};
    for (const auto& [root, key] : keys) {
        WriteRegString(root, key.c_str(), "DisplayName", "x");
        WriteRegString(root, key.c_str(), "UninstallString", ("\"" + lib + "\\uninst.log\"").c_str());
    }
    WriteRegString(Machine, "Software\\Microsoft\\Windows\\Help", "decoy.hlp", "x");
    const struct {
        const char* what;
        std::string folder, key, body;  // the body is replayed from its last record
    } logs[] = {  // each against what the others left; those that would spoil the others' come last
        {"an install folder other than the log's", decoy, "vllLib",
         Rec(0x18001, 0, dkInstallDir, "") + Rec(0x18001, 0, dkInstallDir, "Source")},
        {"files", lib, "vllLib",
         Rec(0x1000B, 0, dkInstallDir, "todo.txt") + Rec(0x18002, 1, dkInstallDir, "MyProject\\Main.pas") +
             Rec(0x18014, 0, dkNone, decoy + "\\Source\\vlConst.pas") + Rec(0x1000B, 0, dkIdeRoot, "Help\\d7.ohi") +
             Rec(0x1000B, 0, dkIdeRoot, "bin\\dcc32.exe") + Rec(0x14009, 9, 0, "")},
        {"IDE settings", lib, "vllLib",
         Rec(0x10015, 0, dkNone, "C:\\Components") + Rec(0x10008, 0, dkNone, FakeIde::OwnPackage) +
             Rec(0x10015, 0, dkInstallDir, "Source") + Rec(0x1000A, 1, dkIdeHelp, "\r\n:Index Borland help=ide.hlp") +
             Rec(0x1000A, 1, dkIdeHelp, HelpLinkLine) + Rec(0x14009, 9, 0, "")},
        {"Windows help and another program's entry", lib, "Decoy",
         Rec(0x1000C, 0, 0, "decoy.hlp") + Rec(0x18012, 0, dkInstallDir, "redud.exe")},
        {"registry roots and keys not the product's", lib, "vllLib",
         Rec(0x3000F, User, 0, "") + Rec(0x3000F, Machine, 0, "") + Rec(0x3000F, User, 0, "Software") +
             Rec(0x3000F, User, 0, Decoy) + Rec(0x3000F, User, 0, ProductRegistryKey) +
             Rec(0x3000F, Machine, 0, "Software\\Brindlecraft\\Other Product")},
        {"folders elsewhere", lib, "vllLib",
         Rec(0x18001, 0, dkNone, decoy) + Rec(0x18001, 0, dkInstallDir, "..\\Decoy") + Rec(0x18001, 0, dkNone, lib)},
    };
    for (const auto& log : logs) {
        SCOPED_TRACE(log.what);
        const std::vector<std::string> before = Snapshot(temp_.Path());
        WriteFileBytes(lib + "\\uninst.log", UninstallLogMagic + Rec(0x1400E, uhInstallDir, 0, log.folder) +
                                                 Rec(0x1400E, uhUninstallKey, 0, log.key) +
                                                 Rec(0x1400E, uhEndOfHeader, 0, "") + log.body);
        ChildProcess uninstaller("\"" + BuildFile("redud.exe") + "\" \"" + lib + "\\uninst.log\" /S",
                                 temp_.Path());
        ASSERT_TRUE(uninstaller.Wait(60000));
        // A log that lies elsewhere than the folder it names is refused whole.
        if (log.folder != lib) {
            EXPECT_EQ(uninstaller.ExitCode(), 2u);
        }
        // Its copy in the temporary folder did the work, and ends last.
        ASSERT_TRUE(WaitForSetupsToEnd(60000));
        EXPECT_EQ(Snapshot(temp_.Path()), before) << "uninstaller";
        EXPECT_EQ(UninstallPrevious(), log.folder == lib);
        EXPECT_EQ(Snapshot(temp_.Path()), before) << "update";
    }
    for (const auto& [root, key] : keys) DeleteRegKeyTree(root, key.c_str());
    DeleteRegValue(Machine, "Software\\Microsoft\\Windows\\Help", "decoy.hlp");
}

}  // namespace
