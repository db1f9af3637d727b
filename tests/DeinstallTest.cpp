// Reading uninstall logs: the checks of a loaded log, the header, the replay
// order, the log path of an uninstall command, and the rules of the undo
// actions that need no system call.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "UDeinstall.h"
#include "UPaths.h"
#include "UScriptItems.h"
#include "USearchPath.h"
#include "UUninstallRecord.h"
#include "UnDo.h"

namespace {

std::string Record(uint32_t code, uint32_t arg, uint32_t dirKind, const std::string& text) {
    AnsiString bytes = EncodeUninstallRecord(code, arg, dirKind, AnsiString(text.c_str(), text.size()));
    return std::string(bytes.CStr(), bytes.Length());
}

std::string Header(uint32_t kind, const std::string& text) {
    return Record(siUninstallHeader | sfRecordUndo, kind, 0, text);
}

const std::string Magic = "REDUD01";

// The texts of the records in replay order, after ReadHeader.
std::vector<std::string> Replay(TDeinstall& log) {
    std::vector<std::string> texts;
    TUninstallRecord record;
    log.Cursor = log.ReplayStart;
    while (log.NextRecord(&record)) texts.push_back(record.Text.CStr());
    return texts;
}

int32_t Load(TDeinstall& log, const std::string& bytes) {
    return log.SetLogData(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

class Deinstall : public ::testing::Test {
protected:
    void TearDown() override { InstallDir = AnsiString(); }
    TDeinstall log;
};

TEST_F(Deinstall, AcceptsAnyTwoDigitsAfterTheMagic) {
    EXPECT_EQ(Load(log, "REDUD07"), 0);
    EXPECT_EQ(Load(log, "REDUD1x"), dlNotALog);
    EXPECT_EQ(Load(log, "REDUD0"), dlNotALog);
    EXPECT_EQ(Load(log, "redud01"), dlNotALog);
    EXPECT_EQ(Load(log, ""), dlEmpty);
}

TEST_F(Deinstall, ReplaysTheBodyBackwardsDownToTheHeader) {
    log.LogFolder = "C:\\Lib\\";
    ASSERT_EQ(Load(log, Magic + Header(uhProductName, "Vellorin library") + Header(uhInstallDir, "C:\\Lib") +
                            Header(uhUninstallKey, "vllLib") + Header(uhEndOfHeader, "") +
                            Record(0x18001, 0, 3, "first") + Record(0x18001, 0, 3, "second")),
              0);
    log.ReadHeader();
    EXPECT_TRUE(log.Backward);
    EXPECT_STREQ(InstallDir.CStr(), "C:\\Lib");
    EXPECT_STREQ(log.LoggedProductName.CStr(), "Vellorin library");
    EXPECT_STREQ(log.UninstallKeyName.CStr(), "vllLib");
    EXPECT_EQ(Replay(log), (std::vector<std::string>{"second", "first"}));
}

TEST_F(Deinstall, AHeaderWithoutItsEndIsReplayedForwards) {
    ASSERT_EQ(Load(log, Magic + Header(uhProductName, "p") + Record(0x18001, 0, 3, "first") +
                            Record(0x18001, 0, 3, "second")),
              0);
    log.ReadHeader();
    EXPECT_FALSE(log.Backward);
    EXPECT_EQ(Replay(log), (std::vector<std::string>{"first", "second"}));
}

TEST_F(Deinstall, HeaderRecordsAfterTheEndAreNotRead) {
    log.LogFolder = "C:\\A\\";
    ASSERT_EQ(Load(log, Magic + Header(uhInstallDir, "C:\\A") + Header(uhEndOfHeader, "") +
                            Header(uhInstallDir, "C:\\B") + Record(0x18001, 0, 3, "dir")),
              0);
    log.ReadHeader();
    EXPECT_STREQ(InstallDir.CStr(), "C:\\A");
    // Replayed backwards: the late header record is a body record, and does nothing.
    EXPECT_EQ(Replay(log), (std::vector<std::string>{"dir", "C:\\B"}));
}

TEST_F(Deinstall, AHeaderAloneReplaysNothing) {
    ASSERT_EQ(Load(log, Magic + Header(uhProductName, "p") + Header(uhEndOfHeader, "")), 0);
    log.ReadHeader();
    EXPECT_TRUE(Replay(log).empty());
}

TEST_F(Deinstall, RejectsALogWhoseRecordsDoNotHoldTogether) {
    std::string body = Record(0x18001, 0, 3, "dir");
    std::string wrongLength = body;
    wrongLength[wrongLength.size() - 2] = 0x12;  // RecLen disagrees with TextLen
    EXPECT_EQ(Load(log, Magic + Header(uhEndOfHeader, "") + wrongLength + body), dlBroken);
    std::string shortLength = body;
    shortLength[shortLength.size() - 2] = 0x0F;  // RecLen below 16
    EXPECT_EQ(Load(log, Magic + Header(uhEndOfHeader, "") + shortLength), dlBroken);
    EXPECT_EQ(log.LogSize, 0u);
}

TEST_F(Deinstall, LeavesOutALastRecordCutShort) {
    std::string whole = Magic + Header(uhEndOfHeader, "") + Record(0x18001, 0, 3, "kept");
    std::string cut = Record(0x18001, 0, 3, "cut off while written");
    for (size_t keep : {size_t(1), size_t(13), size_t(15), cut.size() - 1}) {
        TDeinstall partial;
        ASSERT_EQ(Load(partial, whole + cut.substr(0, keep)), 0) << keep;
        EXPECT_EQ(partial.LogSize, whole.size());
        partial.ReadHeader();
        EXPECT_EQ(Replay(partial), std::vector<std::string>{"kept"}) << keep;
    }
    // A TextLen pointing far beyond the data reads as such a cut record too.
    std::string far = Record(0x18001, 0, 3, "x");
    far[12] = '\xFF';
    TDeinstall partial;
    ASSERT_EQ(Load(partial, whole + far), 0);
    EXPECT_EQ(partial.LogSize, whole.size());
}

TEST_F(Deinstall, TakesOnlyTheLogsOwnFolderAndTheProductsOwnEntry) {
    const struct {
        const char *folder, *logFolder;
        bool taken;
    } cases[] = {{"c:/lib//VELLORIN/", "C:\\Lib\\Vellorin\\", true}, {"C:", "C:\\", true},
                 {"\\\\server\\share", "\\\\server\\share\\", true}, {"C:\\Lib", "C:\\Lib\\Vellorin\\", false},
                 {"Vellorin", "Vellorin\\", false}, {"C:Lib", "C:Lib\\", false}, {"\\\\server", "\\\\server\\", false}};
    for (const auto& c : cases) {
        TDeinstall header;
        header.LogFolder = c.logFolder;
        InstallDir = "before";
        ASSERT_EQ(Load(header, Magic + Header(uhInstallDir, c.folder) + Header(uhUninstallKey, "Other")), 0);
        header.ReadHeader();
        EXPECT_EQ(header.InstallDirKnown, c.taken) << c.folder;
        EXPECT_STREQ(InstallDir.CStr(), c.taken ? c.folder : "before") << c.folder;
        EXPECT_STREQ(header.UninstallKeyName.CStr(), "") << "another program's Add/Remove Programs entry";
    }
}

// Every log that the script writes, for every choice of items, with and
// without copying only, is taken back whole: replayed backwards, each IDE's
// records come after the select record that closes its block.
TEST(ReplayRules, EveryLogTheScriptWritesIsTakenBackWhole) {
    for (uint32_t items = 0; items < 0x800; ++items) {
        for (bool copyOnly : {false, true}) {
            std::vector<TUninstallRecord> records;  // as the engine writes them, skipping blocks not chosen
            uint32_t skipMask = 0;
            for (const ScriptItem& item : ScriptItems) {
                uint32_t op = ItemOpcode(item);
                if (skipMask) {
                    if (op == siEndIfItems && item.Value == skipMask) skipMask = 0;
                } else if (op == siIfItems && !(item.Value & items)) {
                    skipMask = item.Value;
                } else if ((item.Id & sfRecordUndo) && op != siUninstallHeader && (!copyOnly || (op & 0xC000))) {
                    records.push_back({item.Id, item.Value, RecordedName(item).DirKind, RecordedName(item).Text});
                }
            }
            TReplayState state;
            state.InstallDirKnown = true;
            state.IdeRoot = "C:\\Borland\\IDE";
            for (auto record = records.rbegin(); record != records.rend(); ++record) {
                ASSERT_TRUE(MayUndo(*record, state)) << std::hex << items << " " << record->Text.CStr();
                if (record->Kind() == siSelectIde) state.IdeIndex = static_cast<int32_t>(record->Arg);
            }
        }
    }
}

TEST(ReplayRules, AFolderTakesBackOnlyWhatTheProductMakesInIt) {
    auto files = [](uint32_t kind, const char* folder) {
        TProductPaths walk(kind, folder);
        std::vector<std::string> names;
        for (AnsiString name; walk.NextFile(&name);) names.push_back(name.CStr());
        return names;
    };
    EXPECT_EQ(files(dkInstallDir, "HELP"),
              (std::vector<std::string>{"Help\\vllib.hlp", "Help\\vllib.cnt", "Help\\vllib.als"}));
    EXPECT_EQ(files(dkWindows, ""), std::vector<std::string>{"vllib.ini"});
    // What the compile steps leave, a copy, the uninstaller and the logs.
    std::vector<std::string> all = files(dkInstallDir, "");
    for (const char* made : {"Delphi3\\vll30.dpl", "Delphi3\\vll30.dcp", "CBuilder6\\dclclxvll60.bpl",
                             "CBuilder6\\dclclxvll60.bpi", "CBuilder6\\dclclxvll60.lib",
                             "CBuilder6\\dclclxvll60.tds", "delphi3\\vlVellorin.inc", "redud.exe", "install.log",
                             "uninst.log"}) {
        EXPECT_NE(std::find(all.begin(), all.end(), made), all.end()) << made;
    }
}

TEST(UninstallString, NamesTheLogLast) {
    const struct {
        const char* command;
        const char* log;
    } cases[] = {
        {"\"C:\\Program Files\\V\\redud.exe\" \"C:\\Program Files\\V\\uninst.log\"",
         "C:\\Program Files\\V\\uninst.log"},
        {"C:\\V\\redud.exe C:\\V\\uninst.log", "C:\\V\\uninst.log"},
        {"C:\\V\\redud.exe \"C:\\My Lib\\uninst.log\"", "C:\\My Lib\\uninst.log"},
        {"C:\\V\\redud.exe", ""},
        {"", ""},
        {"C:\\V\\redud.exe ", ""},
        {"only-a-closing\"", ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(LogPathFromUninstallString(c.command).CStr(), c.log) << c.command;
    std::string longPath = "x " + std::string(300, 'p');
    EXPECT_EQ(LogPathFromUninstallString(longPath.c_str()).Length(), 255u);
}

std::string Cut(const std::string& value, const std::string& entry) {
    AnsiString result("(unchanged)");
    std::string lv = value, le = entry;
    for (char& c : lv) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (char& c : le) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    CutSearchPathEntry(value.c_str(), lv.c_str(), le.c_str(), &result);
    return result.CStr();
}

TEST(SearchPathRemoval, CutsTheWholeEntryAndOneSeparator) {
    EXPECT_EQ(Cut("a;E;b", "e"), "a;b");
    EXPECT_EQ(Cut("E;b", "E"), "b");
    EXPECT_EQ(Cut("a;E", "E"), "a");
    EXPECT_EQ(Cut("E", "E"), "");
    EXPECT_EQ(Cut("a;E;", "E"), "a;");
    EXPECT_EQ(Cut("A;c:\\Lib\\D7;B", "C:\\LIB\\d7"), "A;B") << "the rest keeps its case";
    EXPECT_EQ(Cut("a;Ex;b", "E"), "(unchanged)") << "another entry that starts the same";
    EXPECT_EQ(Cut("a;b", "E"), "(unchanged)");
}

TEST(RemovableTrees, NeverADriveOrTheSystemsFolders) {
    const AnsiString windows("c:\\windows"), system("c:\\windows\\system32");
    for (const char* refused : {"", "install", "c:", "c:\\", "c:\\\\", "\\", "\\install", "\\\\server\\share",
                                "\\\\server\\share\\", "c:\\windows", "c:\\windows\\", "c:\\windows\\system32"}) {
        EXPECT_FALSE(IsRemovableTree(refused, windows, system)) << refused;
    }
    for (const char* allowed : {"c:\\lib\\vellorin", "d:\\x", "c:\\windows\\temp\\v", "\\\\server\\share\\lib"}) {
        EXPECT_TRUE(IsRemovableTree(allowed, windows, system)) << allowed;
    }
}

}  // namespace
