// The engine's byte and text formats: uninstall records, search path
// entries and the error report.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/UConst.h"
#include "resources/version.h"
#include "script/UInstallLogLines.h"
#include "script/UItemError.h"
#include "script/UScriptItems.h"
#include "script/USearchPath.h"
#include "script/UUninstallRecord.h"

namespace {

std::string Bytes(const AnsiString& text) { return std::string(text.CStr(), text.Length()); }

TEST(UninstallRecord, MatchesTheWorkedExamples) {
    // The closing select-IDE item of the Delphi 7 block.
    EXPECT_EQ(Bytes(EncodeUninstallRecord(0x00014009, 9, 0, "")),
              std::string("\x09\x40\x01\x00" "\x09\x00\x00\x00" "\x00\x00\x00\x00" "\x00\x00" "\x10\x00", 16));
    // The header record of kind 2.
    EXPECT_EQ(Bytes(EncodeUninstallRecord(0x0001400E, 2, 0, VL_VERSION_SHORT)),
              std::string("\x0E\x40\x01\x00" "\x02\x00\x00\x00" "\x00\x00\x00\x00" "\x04\x00"
                          VL_VERSION_SHORT "\x14\x00", 20));
}

TEST(UninstallRecord, CutsATextTooLongForItsLengthFields) {
    std::string huge(70000, 'x');
    std::string record = Bytes(EncodeUninstallRecord(1, 2, 3, huge.c_str()));
    ASSERT_EQ(record.size(), 0xFFFFu);
    EXPECT_EQ(record.substr(12, 2), "\xEF\xFF");  // TextLen 65519
    EXPECT_EQ(record.substr(record.size() - 2), "\xFF\xFF");
}

TEST(UninstallRecord, DecodesWhatItEncodesAndNothingPastTheEnd) {
    std::string record = Bytes(EncodeUninstallRecord(0x0001400E, 2, 3, "3.19"));
    const uint32_t size = static_cast<uint32_t>(record.size());
    TRecordFields fields = DecodeUninstallRecord(record.data(), size, 0);
    ASSERT_EQ(fields.State, rsWhole);
    EXPECT_EQ(fields.Code, 0x0001400Eu);
    EXPECT_EQ(fields.Arg, 2u);
    EXPECT_EQ(fields.DirKind, 3u);
    EXPECT_EQ(std::string(fields.Text, fields.TextLength), "3.19");
    EXPECT_EQ(fields.Length, size);
    EXPECT_EQ(DecodeUninstallRecord(record.data(), size - 1, 0).State, rsCut);
    EXPECT_EQ(DecodeUninstallRecord(record.data(), size, size + 1).State, rsCut);
    record[size - 2] = 0x15;
    EXPECT_EQ(DecodeUninstallRecord(record.data(), size, 0).State, rsLengthDisagrees);
}

TEST(InstallLogLine, ReadsBackWhatTheWritersWrite) {
    const struct {
        AnsiString line;
        TInstallLogKind kind;
        const char* path;
    } cases[] = {
        {AnsiString(LogCopyingFile) + "c:\\v\\a.pas" + LogSuccess, ilCopiedFile, "c:\\v\\a.pas"},
        {CopyLogLine("c:\\v\\a to b.pas", "c:\\v\\c.pas") + LogOutcome(true), ilCopiedFile, "c:\\v\\c.pas"},
        {CopyLogLine("c:\\v\\a.pas", "c:\\v\\c.pas") + LogOutcome(false), ilNone, ""},
        {AnsiString(LogCreatingDirectory) + "c:\\v" + LogSuccess, ilMadeFolder, "c:\\v"},
        {AnsiString(LogClearingDirectory) + "c:\\v\\d7" + LogFail, ilClearedFolder, "c:\\v\\d7"},
        {AnsiString(LogClearingDirectory) + "c:\\v\\d7" + LogAlready, ilNone, ""},
        {AnsiString(LogDeletingFile) + "c:\\v\\a.pas" + LogSuccess, ilNone, ""},
    };
    for (const auto& c : cases) {
        AnsiString path;
        EXPECT_EQ(ParseInstallLogLine(c.line, &path), c.kind) << c.line.CStr();
        if (c.kind != ilNone) {
            EXPECT_STREQ(path.CStr(), c.path);
        }
    }
}

TEST(InstallLogLine, HelpLinesHoldTheirMatchedParts) {
    const std::string index = HelpIndexLine;
    EXPECT_EQ(index.find(std::string("\r\n") + HelpIndexStart), 0u);
    EXPECT_EQ(index.substr(index.size() - std::string(HelpIndexEnd).size()), HelpIndexEnd);
}

TEST(SearchPath, FindsOnlyWholeEntries) {
    EXPECT_TRUE(SearchPathHasEntry("c:\\a;c:\\lib\\delphi7", "c:\\lib\\delphi7"));
    EXPECT_TRUE(SearchPathHasEntry("c:\\lib\\delphi7;c:\\b", "c:\\lib\\delphi7"));
    EXPECT_TRUE(SearchPathHasEntry("c:\\lib\\delphi7", "c:\\lib\\delphi7"));
    EXPECT_FALSE(SearchPathHasEntry("c:\\a;c:\\lib\\delphi7old", "c:\\lib\\delphi7"));
    EXPECT_FALSE(SearchPathHasEntry("c:\\x\\lib\\delphi7", "c:\\lib\\delphi7"));
    EXPECT_FALSE(SearchPathHasEntry("", "c:\\lib"));
}

TEST(SearchPath, AddsASeparatorOnlyWhenNeeded) {
    EXPECT_STREQ(AddSearchPathEntry("c:\\a", "C:\\Lib").CStr(), "c:\\a;C:\\Lib");
    EXPECT_STREQ(AddSearchPathEntry("c:\\a;", "C:\\Lib").CStr(), "c:\\a;C:\\Lib");
    EXPECT_STREQ(AddSearchPathEntry("", "C:\\Lib").CStr(), "C:\\Lib");
}

TEST(ItemError, ReadsAsTheProgressPageShowsIt) {
    ASSERT_EQ(ScriptItems[12].Id, 0x8002u);
    EXPECT_STREQ(ItemErrorText(12, 2, ScriptItems[12].Id, "Copying file: C:\\x...Fail").CStr(),
                 "Error in ScriptItem=12, ErrorCode=2h ScriptItemId=8002 with text\r\n"
                 "Copying file: C:\\x...Fail");
    EXPECT_STREQ(ItemErrorText(704, -2, 0x3000F, "").CStr(),
                 "Error in ScriptItem=704, ErrorCode=fffffffeh ScriptItemId=3000f with text\r\n");
    EXPECT_STREQ(ItemErrorText(0, 0, 0, "").CStr(),
                 "Error in ScriptItem=0, ErrorCode=0h ScriptItemId=0 with text\r\n");
}

TEST(ItemError, KeepsALongLogLineWhole) {
    std::string line(100000, 'p');
    AnsiString text = ItemErrorText(1, 1, 0x13, line.c_str());
    EXPECT_EQ(std::string(text.CStr()).substr(text.Length() - line.size()), line);
}

}  // namespace
