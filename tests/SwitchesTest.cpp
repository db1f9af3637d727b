#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/USwitches.h"

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

}  // namespace
