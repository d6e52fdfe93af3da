#include "code_page_932.h"
#include "common/media_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct SeparatorCase {
    const char* dir;
    const char* separator;
};

TEST(DirSeparator, FollowsTheLastBackslash) {
    const CodePage932 japanese; // a trail byte 5C is no backslash
    const SeparatorCase cases[] = {
        {"A:\\", ""},
        {"C:\\MEDIA\\", ""},
        {"B:\\SETUP", "\\"},
        {"C:\\A\\B", "\\"},
        {"C:\\A\\B\\", ""},
        {"A:", "\\"}, // no backslash at all: the directory does not end in one
        {"", "\\"},
        {"\\\\server\\share", "\\"},
        {"D:\\\x8b\x40\x94\x5c", "\\"}, // D:\機能
        {"D:\\\x94\x5c\\", ""},         // D:\能\ .
        {"A:\\\x83", "\\"},             // a lead byte before the terminator stands alone
    };
    for (const SeparatorCase& c : cases) {
        EXPECT_STREQ(DirSeparator(c.dir), c.separator) << c.dir;
    }
}

TEST(BuildMediaPath, InsertsTheSeparatorOnlyWhenNeeded) {
    char path[100];
    ASSERT_TRUE(BuildMediaPath(path, sizeof path, "A:\\", "photo\\setup.EXE"));
    EXPECT_STREQ(path, "A:\\photo\\setup.EXE");
    ASSERT_TRUE(BuildMediaPath(path, sizeof path, "A:\\", "SETUP.INF"));
    EXPECT_STREQ(path, "A:\\SETUP.INF");
    ASSERT_TRUE(BuildMediaPath(path, sizeof path, "B:\\SETUP", "SETUP.INF"));
    EXPECT_STREQ(path, "B:\\SETUP\\SETUP.INF");
}

// A buffer larger than the width given, filled with a canary, shows that nothing is written
// beyond the width and that a refused path leaves only an empty text.
TEST(BuildMediaPath, RefusesWhatDoesNotFitWithoutCutting) {
    const std::string dir = "C:\\" + std::string(40, 'D') + "\\";
    const std::string name = "SETUP.INF";
    const uint32_t exact = static_cast<uint32_t>(dir.size() + name.size() + 1);

    char buffer[128];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_TRUE(BuildMediaPath(buffer, exact, dir.c_str(), name.c_str()));
    EXPECT_EQ(std::string(buffer), dir + name);
    EXPECT_EQ(buffer[exact], '#');

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(BuildMediaPath(buffer, exact - 1, dir.c_str(), name.c_str()));
    EXPECT_STREQ(buffer, "");
    for (uint32_t i = exact - 1; i < sizeof buffer; ++i)
        ASSERT_EQ(buffer[i], '#') << i;
}

TEST(PathBuilder, ZeroWidthWritesNothing) {
    char canary = '#';
    PathBuilder path;
    BeginPath(&path, &canary, 0);
    AppendPath(&path, "x");
    EXPECT_FALSE(EndPath(&path));
    EXPECT_EQ(canary, '#');
}

TEST(PathBuilder, OnceRefusedStaysRefused) {
    char buffer[8];
    PathBuilder path;
    BeginPath(&path, buffer, sizeof buffer);
    AppendPath(&path, "12345678"); // one too many
    AppendPath(&path, "");         // an empty piece would fit, but the path is already lost
    EXPECT_FALSE(EndPath(&path));
    EXPECT_STREQ(buffer, "");
}

struct CutCase {
    const char* module;
    const char* dir;
};

TEST(CutToDirectory, KeepsTheTrailingBackslash) {
    const CodePage932 japanese;
    const CutCase cases[] = {
        {"A:\\setup.exe", "A:\\"},
        {"C:\\Media Files\\disk1\\setup.exe", "C:\\Media Files\\disk1\\"},
        {"C:\\dir\\", "C:\\dir\\"},
        {"setup.exe", ""},
        {"", ""},
        {"D:\\\x8b\x40\x94\x5c\\setup.exe", "D:\\\x8b\x40\x94\x5c\\"}, // D:\機能\setup.exe
        {"D:\\\x83\x5csetup.exe", "D:\\"},                             // D:\ソsetup.exe
    };
    for (const CutCase& c : cases) {
        char path[64];
        ASSERT_TRUE(CopyWhole(path, sizeof path, c.module));
        CutToDirectory(path);
        EXPECT_STREQ(path, c.dir) << c.module;
    }
}

} // namespace
