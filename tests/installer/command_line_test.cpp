#include "common/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What each command line asks for, as the system hands it over; what does not fit its buffer
// is refused by name, never cut.
TEST(CommandLine, Parses) {
    const std::string longLog = "setup.exe /LOG=" + std::string(kLogPathWidth, 'a');
    const std::string longArgs = "setup.exe -- " + std::string(kFollowOnArgsWidth, 'a');
    const std::string longBad = "/LOG=" + std::string(kBadSwitchWidth - 6, 'a');
    struct {
        const char* line;
        bool silent, usage;
        const char *log, *bad, *args;
    } const cases[] = {
        {"setup.exe", false, false, "", "", nullptr},
        {"\"C:\\a b\\setup.exe\"/s", true, false, "", "", nullptr},
        {"setup.exe  -S\t", true, false, "", "", nullptr},
        {"setup.exe /? /S", true, true, "", "", nullptr},
        {"setup.exe /LOG=\"C:\\a b\\x.log\" /S", true, false, "C:\\a b\\x.log", "", nullptr},
        {"setup.exe \"/log=C:\\a b\\x.log\"", false, false, "C:\\a b\\x.log", "", nullptr},
        {"setup.exe /LOG= /LOG", false, false, "", "/LOG=", nullptr},
        {"setup.exe /SS /X", false, false, "", "/SS", nullptr},
        {"setup.exe install", false, false, "", "install", nullptr},
        {"setup.exe /S -- -s -f1\"C:\\a b\\x.iss\"", true, false, "", "",
         "-s -f1\"C:\\a b\\x.iss\""},
        {"setup.exe -- /X", false, false, "", "", "/X"},
        {"setup.exe --x \"--\"", false, false, "", "--x", nullptr},
        {longLog.c_str(), false, false, "", longBad.c_str(), nullptr},
        {longArgs.c_str(), false, false, "", "--", longArgs.c_str() + 13},
    };
    for (const auto& c : cases) {
        CommandLine got;
        ParseCommandLine(c.line, &got);
        EXPECT_EQ(got.silent, c.silent) << c.line;
        EXPECT_EQ(got.usage, c.usage) << c.line;
        EXPECT_STREQ(got.logPath, c.log) << c.line;
        EXPECT_STREQ(got.badSwitch, c.bad) << c.line;
        EXPECT_STREQ(got.followOnArgs, c.args) << c.line;
    }
}

} // namespace
