#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/USwitches.h"
#include "catalogue/UConst.h"
#include "util/UProducts.h"
#include "wizard/USelection.h"

namespace {

struct Flags {
    bool copyOnly, enableControls, showParameters, extractOnly, silentInstall;
    bool operator==(const Flags& o) const {
        return copyOnly == o.copyOnly && enableControls == o.enableControls &&
               showParameters == o.showParameters && extractOnly == o.extractOnly &&
               silentInstall == o.silentInstall;
    }
};

const Flags None{false, false, false, false, false};
const Flags Copy{true, false, false, false, false};
const Flags Enable{false, true, false, false, false};
const Flags Parameters{false, false, true, false, false};
const Flags Extract{false, false, false, true, false};
const Flags Silent{false, false, false, false, true};

Flags Parse(std::vector<const char*> args, Flags before = None) {
    CopyOnly = before.copyOnly;
    EnableControls = before.enableControls;
    ShowParameters = before.showParameters;
    ExtractOnly = before.extractOnly;
    SilentInstall = before.silentInstall;
    args.insert(args.begin(), "setup.exe");
    ParseSwitchList(static_cast<int>(args.size()), args.data());
    return {CopyOnly, EnableControls, ShowParameters, ExtractOnly, SilentInstall};
}

struct Case {
    std::vector<const char*> args;
    Flags expected;
};

void PrintTo(const Case& c, std::ostream* out) {
    for (const char* arg : c.args) *out << '"' << arg << "\" ";
}

class SwitchCases : public ::testing::TestWithParam<Case> {};

TEST_P(SwitchCases, SetTheFlagsOfTheLastAcceptedSwitch) {
    EXPECT_TRUE(Parse(GetParam().args) == GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, SwitchCases,
    ::testing::Values(
        Case{{}, None},
        // The three prefixes, either case.
        Case{{"/x"}, Extract}, Case{{"-X"}, Extract}, Case{{"\\x"}, Extract},
        Case{{"/C"}, Copy}, Case{{"-c"}, Copy}, Case{{"/e"}, Enable},
        Case{{"/?"}, Parameters}, Case{{"/h"}, Parameters}, Case{{"-H"}, Parameters},
        Case{{"/S"}, Silent}, Case{{"-s"}, Silent}, Case{{"\\s"}, Silent},
        // Not switches: no prefix, too short, too long.
        Case{{"x"}, None}, Case{{"/"}, None}, Case{{""}, None}, Case{{"/CX"}, None},
        Case{{"/copy"}, None}, Case{{"--"}, None}, Case{{"+X"}, None},
        // The last accepted switch decides; it sets all five flags.
        Case{{"/C", "/E"}, Enable}, Case{{"/X", "/Z"}, None}, Case{{"/X", "/?"}, Parameters},
        Case{{"/?", "/X"}, Extract}, Case{{"/X", "extra", "/CX"}, Extract},
        Case{{"/S", "/C"}, Copy}, Case{{"/C", "/S"}, Silent}, Case{{"/S", "/X"}, Extract},
        Case{{"/S", "/silent"}, Silent}));

TEST(Switches, SkippedArgumentsLeaveTheFlagsAlone) {
    EXPECT_TRUE(Parse({"x", "/copy"}, Copy) == Copy);
}

TEST(Switches, AnyOtherLetterClearsAllFlags) {
    EXPECT_TRUE(Parse({"/Z"}, Flags{true, true, true, true, true}) == None);
}

// The longer arguments: "/" or "-", the name in any case, the value as the
// C runtime gives it; others, and a name without "=", are passed over.
TEST(Parameters, AreReadBesideTheSwitches) {
    ResetRunState();
    Parse({"/dir=C:\\Build Libs\\Vellorin", "-IDES=d7,CB6", "/Parts=help", "/LOG=setup.txt", "/S", "/DIRX=no",
           "/IDES", "DIR=no"});
    EXPECT_TRUE(SilentInstall);
    EXPECT_TRUE(CommandChoice.HasFolder && CommandChoice.HasIdes && CommandChoice.HasParts && CommandChoice.HasLog);
    EXPECT_STREQ(CommandChoice.Folder.CStr(), "C:\\Build Libs\\Vellorin");
    EXPECT_STREQ(CommandChoice.Ides.CStr(), "d7,CB6");
    EXPECT_STREQ(CommandChoice.Parts.CStr(), "help");
    EXPECT_STREQ(CommandChoice.LogPath.CStr(), "setup.txt");
    ResetRunState();
    Parse({"/S", "/DI=x", "/IDE=D7"});
    EXPECT_FALSE(CommandChoice.HasFolder || CommandChoice.HasIdes || CommandChoice.HasParts || CommandChoice.HasLog);
}

struct ChoiceCase {
    const char* ides;   // null: not given
    const char* parts;  // null: not given
    TChoiceProblem problem;
    const char* name;
    uint32_t items;     // the rows checked after it, when accepted
};

void PrintTo(const ChoiceCase& c, std::ostream* out) {
    *out << "/IDES=" << (c.ides ? c.ides : "(none)") << " /PARTS=" << (c.parts ? c.parts : "(none)");
}

class ChoiceCases : public ::testing::TestWithParam<ChoiceCase> {};

// On a machine with Delphi 7 and C++Builder 6, the wizard's preset (both,
// and every part) as the command line changes it.
TEST_P(ChoiceCases, CheckExactlyTheRowsNamedOrSayWhichNameIsRefused) {
    const ChoiceCase& c = GetParam();
    ResetRunState();
    for (TBorlandProduct& product : BorlandProducts) product.Installed = product.Mask == 0x100 || product.Mask == 0x080;
    PresetSelection(0, 0);
    CommandChoice.HasIdes = c.ides != nullptr;
    CommandChoice.Ides = c.ides ? c.ides : "";
    CommandChoice.HasParts = c.parts != nullptr;
    CommandChoice.Parts = c.parts ? c.parts : "";
    AnsiString name;
    EXPECT_EQ(ApplyCommandChoice(&name), c.problem);
    EXPECT_STREQ(name.CStr(), c.name);
    ComputeSelectionMasks();
    EXPECT_EQ(InstallItems, c.items) << "refused, the preset stays";
    EXPECT_EQ(InstallVersions & ~0x180u, 0u);
    ResetRunState();
}

const uint32_t Preset = 0x400 | 0x040 | 0x080 | 0x100 | 0x200;

INSTANTIATE_TEST_SUITE_P(
    Choices, ChoiceCases,
    ::testing::Values(
        ChoiceCase{nullptr, nullptr, cpNone, "", Preset},
        ChoiceCase{"D7", nullptr, cpNone, "", 0x400 | 0x380},
        ChoiceCase{" cb6 , d7 ", nullptr, cpNone, "", Preset},
        ChoiceCase{"all", nullptr, cpNone, "", Preset},
        ChoiceCase{"CB6", "none", cpNone, "", 0x040},
        ChoiceCase{"D7", "help,DelphiDemos", cpNone, "", 0x400 | 0x080 | 0x100},
        ChoiceCase{"D7", "all", cpNone, "", 0x400 | 0x080 | 0x100},
        ChoiceCase{nullptr, "help", cpNone, "", 0x400 | 0x040 | 0x080},
        ChoiceCase{"D9", nullptr, cpUnknownIde, "D9", Preset},
        ChoiceCase{"D7,Delphi7", nullptr, cpUnknownIde, "Delphi7", Preset},
        ChoiceCase{"D3", nullptr, cpIdeNotFound, "D3", Preset},
        ChoiceCase{"", nullptr, cpNoIdeNamed, "", Preset},
        ChoiceCase{" , ", "help", cpNoIdeNamed, "", Preset},
        ChoiceCase{nullptr, "demos", cpUnknownPart, "demos", Preset},
        ChoiceCase{"CB6", "delphidemos", cpPartWithoutIde, "delphidemos", Preset},
        ChoiceCase{"D7", "cbuilderdemos", cpPartWithoutIde, "cbuilderdemos", Preset}));

TEST(Parameters, TheReasonNamesWhatWasRefusedAndWhatWouldDo) {
    EXPECT_STREQ(ChoiceProblemText(cpUnknownIde, "D9").CStr(),
                 "/IDES= names D9, which is none of the IDEs that Setup knows: D3, D4, D5, D6, D7, CB4, CB5, CB6, "
                 "or all.");
    EXPECT_STREQ(ChoiceProblemText(cpUnknownPart, "demos").CStr(),
                 "/PARTS= names demos, which is none of the parts of Vellorin library: help, delphidemos, "
                 "cbuilderdemos, all or none.");
    EXPECT_STREQ(ChoiceProblemText(cpNone, "").CStr(), "");
}

}  // namespace
