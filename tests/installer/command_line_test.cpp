#include "common/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* line;
    bool silent;
    bool usage;
    const char* log;  // "" for none
    const char* bad;  // "" for none
    const char* args; // nullptr for none
};

// One table: what each command line asks for, as the system hands it over.
TEST(CommandLine, Parses) {
    const Case cases[] = {
        {"setup.exe", false, false, "", "", nullptr},
        {"\"C:\\a b\\setup.exe\"", false, false, "", "", nullptr},
        {"\"C:\\a b\\setup.exe\"/s", true, false, "", "", nullptr},
        {"setup.exe  /S\t", true, false, "", "", nullptr},
        {"setup.exe -s", true, false, "", "", nullptr},
        {"setup.exe /? /S", true, true, "", "", nullptr},
        {"setup.exe -?", false, true, "", "", nullptr},
        {"setup.exe /log=x.log", false, false, "x.log", "", nullptr},
        {"setup.exe /LOG=\"C:\\a b\\x.log\" /S", true, false, "C:\\a b\\x.log", "", nullptr},
        {"setup.exe \"/Log=C:\\a b\\x.log\"", false, false, "C:\\a b\\x.log", "", nullptr},
        {"setup.exe /LOG=", false, false, "", "/LOG=", nullptr},
        {"setup.exe /LOG", false, false, "", "/LOG", nullptr},
        {"setup.exe /X /S", true, false, "", "/X", nullptr},
        {"setup.exe /SS", false, false, "", "/SS", nullptr},
        {"setup.exe install", false, false, "", "install", nullptr},
        {"setup.exe /S -- -s -f1\"C:\\a b\\setup.iss\"", true, false, "", "",
         "-s -f1\"C:\\a b\\setup.iss\""},
        {"setup.exe --", false, false, "", "", ""},
        {"setup.exe -- /X", false, false, "", "", "/X"},
        {"setup.exe --x", false, false, "", "--x", nullptr},
        {"setup.exe \"--\" /S", true, false, "", "\"--\"", nullptr},
    };
    for (const Case& c : cases) {
        CommandLine got;
        ParseCommandLine(c.line, &got);
        EXPECT_EQ(got.silent, c.silent) << c.line;
        EXPECT_EQ(got.usage, c.usage) << c.line;
        EXPECT_STREQ(got.logPath, c.log) << c.line;
        EXPECT_STREQ(got.badSwitch, c.bad) << c.line;
        if (c.args == nullptr)
            EXPECT_EQ(got.followOnArgs, nullptr) << c.line;
        else
            EXPECT_STREQ(got.followOnArgs, c.args) << c.line;
    }
}

// What does not fit its buffer is refused by name, never cut.
TEST(CommandLine, TooLongIsRefused) {
    CommandLine got;
    ParseCommandLine(("setup.exe /LOG=" + std::string(kLogPathWidth, 'a')).c_str(), &got);
    EXPECT_STREQ(got.logPath, "");
    EXPECT_EQ(std::string(got.badSwitch).substr(0, 6), "/LOG=a");
    EXPECT_EQ(std::string(got.badSwitch).size(), kBadSwitchWidth - 1);

    ParseCommandLine(("setup.exe -- " + std::string(kFollowOnArgsWidth, 'a')).c_str(), &got);
    EXPECT_STREQ(got.badSwitch, "--");
}

} // namespace
