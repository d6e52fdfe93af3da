#include "code_page_932.h"
#include "common/szdd_header.h"
#include "transfer/copy_rules.h"
#include "transfer/dialog_figures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<int32_t> Progression(uint16_t count) {
    std::vector<int32_t> steps;
    for (uint16_t i = 0; i < count; ++i)
        steps.push_back(ProgressPercent(i, count));
    return steps;
}

TEST(ProgressPercent, WorkedProgressions) {
    EXPECT_EQ(Progression(3), (std::vector<int32_t>{33, 66, 100}));
    EXPECT_EQ(Progression(7), (std::vector<int32_t>{14, 28, 42, 57, 71, 85, 100}));
    EXPECT_EQ(Progression(1), (std::vector<int32_t>{100}));
}

TEST(ProgressPercent, LastEntryAlwaysGivesHundred) {
    for (uint32_t count = 1; count <= 65535; count += 97) {
        const uint16_t n = static_cast<uint16_t>(count);
        EXPECT_EQ(ProgressPercent(static_cast<uint16_t>(n - 1), n), 100) << count;
    }
    EXPECT_EQ(ProgressPercent(65534, 65535), 100);
    EXPECT_EQ(ProgressPercent(0, 65535), 0);
    EXPECT_EQ(ProgressPercent(0, 0), 0);
}

struct PlacementCase {
    int32_t screen;
    int32_t size;
    int32_t left;
};

TEST(DialogLeft, FourFifthsOfTheFreeWidth) {
    const PlacementCase cases[] = {
        {640, 300, 272}, // free 340
        {640, 133, 404}, // free 507: the division comes first, so not 405
        {800, 300, 400}, {640, 640, 0},
        {640, 647, -4}, // a dialog wider than the screen: truncated toward zero
    };
    for (const PlacementCase& c : cases) {
        EXPECT_EQ(DialogLeft(c.screen, c.size), c.left) << c.screen << " - " << c.size;
    }
}

TEST(DialogTop, CentresVertically) {
    const PlacementCase cases[] = {
        {480, 100, 190},
        {480, 101, 189},
        {480, 483, -1},
    };
    for (const PlacementCase& c : cases) {
        EXPECT_EQ(DialogTop(c.screen, c.size), c.left) << c.screen << " - " << c.size;
    }
}

struct LocationCase {
    const char* text;
    bool accepted;
};

TEST(IsMediaLocation, ColonAndBackslashAfterTheFirstCharacter) {
    const CodePage932 japanese; // the first character and the colon are counted whole
    const LocationCase cases[] = {
        {"A:\\", true},
        {"A:\\DISK2", true},
        {"1:\\", true}, // the first character is not checked
        {"C:\\PROGRAM FILES\\SETUP", true},
        {"A:", false},
        {"A:/", false},
        {"A:/DISK2", false},
        {"\\\\server\\share", false},
        {"", false},
        {"A", false},
        {"A\\:", false},
        {"a;\\", false},
        {"\x94\x5c:\\", true}, // 能:\ : a double-byte first character
        {"\x94:\\", false},    // the lead byte takes the colon as its second byte
    };
    for (const LocationCase& c : cases) {
        EXPECT_EQ(IsMediaLocation(c.text), c.accepted) << '"' << c.text << '"';
    }
}

TEST(IsMediaLocation, ReadsNothingPastTheTerminator) {
    // The bytes after an early terminator would pass the check if they were read.
    const char empty[] = {'\0', ':', '\\', '\0'};
    const char one[] = {'A', '\0', '\\', '\0'};
    EXPECT_FALSE(IsMediaLocation(empty));
    EXPECT_FALSE(IsMediaLocation(one));
}

struct SourceCase {
    const char* sourceDir;
    const char* dirName;
    const char* sourceName;
    const char* path;
};

TEST(BuildSourcePath, JoinsWithTheSeparatorRule) {
    const SourceCase cases[] = {
        {"A:\\", "DISK1", "SCAN.DL_", "A:\\DISK1\\SCAN.DL_"},
        {"B:\\SETUP", "DISK1", "SCAN.DL_", "B:\\SETUP\\DISK1\\SCAN.DL_"},
        {"B:\\SETUP\\", "DISK1", "SCAN.DL_", "B:\\SETUP\\DISK1\\SCAN.DL_"},
        {"A:\\", "", "SCAN.DL_", "A:\\\\SCAN.DL_"}, // an empty [Dirs] name stays as formatted
    };
    for (const SourceCase& c : cases) {
        char path[80];
        ASSERT_TRUE(BuildSourcePath(path, sizeof path, c.sourceDir, c.dirName, c.sourceName));
        EXPECT_STREQ(path, c.path);
    }
}

TEST(BuildSourcePath, LongestCatalogueTextsFitAMaxPathBuffer) {
    const std::string sourceDir = "C:\\" + std::string(61, 'S') + "\\"; // 65 characters
    const std::string dirName(29, 'D');
    const std::string name(13, 'N');
    char path[260];
    ASSERT_TRUE(
        BuildSourcePath(path, sizeof path, sourceDir.c_str(), dirName.c_str(), name.c_str()));
    EXPECT_EQ(std::string(path), sourceDir + dirName + "\\" + name);
    EXPECT_EQ(std::strlen(path), 65u + 29u + 1u + 13u); // over the old 80-character limit
}

TEST(BuildSourcePath, RefusesAPathThatDoesNotFit) {
    const std::string sourceDir = "C:\\" + std::string(190, 'S');
    char path[260];
    std::memset(path, '#', sizeof path);
    EXPECT_FALSE(BuildSourcePath(path, 200, sourceDir.c_str(), "DISK1", "SCAN.DL_"));
    EXPECT_STREQ(path, "");
    for (size_t i = 200; i < sizeof path; ++i)
        ASSERT_EQ(path[i], '#') << i;
    // One character short of the full path is refused as well.
    const uint32_t full = static_cast<uint32_t>(sourceDir.size() + 1 + 5 + 1 + 8 + 1);
    EXPECT_TRUE(BuildSourcePath(path, full, sourceDir.c_str(), "DISK1", "SCAN.DL_"));
    EXPECT_FALSE(BuildSourcePath(path, full - 1, sourceDir.c_str(), "DISK1", "SCAN.DL_"));
}

TEST(BuildDestDir, OnlyDirectoriesOneAndTwo) {
    char dir[80];
    ASSERT_TRUE(BuildDestDir(dir, sizeof dir, "C:\\WINDOWS", 1));
    EXPECT_STREQ(dir, "C:\\WINDOWS");
    ASSERT_TRUE(BuildDestDir(dir, sizeof dir, "C:\\WINDOWS", 2));
    EXPECT_STREQ(dir, "C:\\WINDOWS\\TWAIN_32");
    for (uint32_t number : {0u, 3u, 25u, 65535u}) {
        std::strcpy(dir, "stale");
        EXPECT_FALSE(BuildDestDir(dir, sizeof dir, "C:\\WINDOWS", number)) << number;
        EXPECT_STREQ(dir, "") << number;
    }
}

TEST(BuildDestDir, RefusesTwainUnderALongWindowsDirectory) {
    const std::string windows = "C:\\" + std::string(70, 'W'); // 73 characters
    char dir[80];
    EXPECT_TRUE(BuildDestDir(dir, sizeof dir, windows.c_str(), 1));
    EXPECT_FALSE(BuildDestDir(dir, sizeof dir, windows.c_str(), 2)); // 82 characters
    EXPECT_STREQ(dir, "");
}

TEST(BuildDestPath, WorkedExample) {
    char dir[80];
    char path[80];
    ASSERT_TRUE(BuildDestDir(dir, sizeof dir, "C:\\WINDOWS", 2));
    ASSERT_TRUE(BuildDestPath(path, sizeof path, dir, "SCAN.DLL"));
    EXPECT_STREQ(path, "C:\\WINDOWS\\TWAIN_32\\SCAN.DLL");
    std::memset(path, '#', sizeof path);
    EXPECT_FALSE(BuildDestPath(path, 20, dir, "SCAN.DLL"));
    EXPECT_STREQ(path, "");
    EXPECT_EQ(path[20], '#');
}

TEST(BuildTempPath, InTheFolderOfTheFinalPath) {
    const CodePage932 japanese;
    struct {
        const char* finalPath;
        uint16_t number;
        const char* temp;
    } const cases[] = {
        {"C:\\WINDOWS\\TWAIN_32\\SCAN.DLL", 0, "C:\\WINDOWS\\TWAIN_32\\~setup0000.tmp"},
        {"C:\\WINDOWS\\SYS/SUB\\X.VXD", 0xBEEF, "C:\\WINDOWS\\SYS/SUB\\~setupbeef.tmp"},
        {"C:\\WINDOWS\\SYS/X.VXD", 0xFFFF, "C:\\WINDOWS\\SYS/~setupffff.tmp"},
        {"C:\\WIN\\\x83\x5c\x94\x5c.DLL", 1, "C:\\WIN\\~setup0001.tmp"}, // ソ能.DLL
    };
    for (const auto& c : cases) {
        char path[80];
        ASSERT_TRUE(BuildTempPath(path, sizeof path, c.finalPath, c.number)) << c.finalPath;
        EXPECT_STREQ(path, c.temp);
    }
    // The temporary name is longer than the final one: a path that only just fits is refused.
    const char* fits = "C:\\W\\SCAN.DLL";
    char path[80];
    std::memset(path, '#', sizeof path);
    EXPECT_FALSE(BuildTempPath(path, static_cast<uint32_t>(std::strlen(fits) + 1), fits, 0));
    EXPECT_STREQ(path, "");
}

// A leftover of an earlier run is recognised by its whole name, and nothing else is taken for one.
TEST(IsTempName, OnlyTheInstallersOwnNames) {
    char made[80];
    ASSERT_TRUE(BuildTempPath(made, sizeof made, "SCAN.DLL", 0xBEEF));
    EXPECT_TRUE(IsTempName(made));
    for (const char* name : {"~setup0000.tmp", "~SETUP00AF.TMP", "~Setupffff.Tmp"})
        EXPECT_TRUE(IsTempName(name)) << name;
    for (const char* name :
         {"~setup000.tmp", "~setup00000.tmp", "~setup000g.tmp", "~setup0000.tm", "~setup0000.tmp~",
          "setup0000.tmp", "~setup0000", "~setup-my.tmp", "~SETUP~1.TMP", ""})
        EXPECT_FALSE(IsTempName(name)) << name;
    char pattern[80];
    ASSERT_TRUE(BuildBesidePath(pattern, sizeof pattern, "C:\\W\\SYS/X.VXD", kTempPattern));
    EXPECT_STREQ(pattern, "C:\\W\\SYS/~setup*.tmp");
}

TEST(IsSafeDestName, NamesAtOrBelowTheirDirectoryOnly) {
    const CodePage932 japanese; // 能 (94 5C) ends in the byte of "\"
    for (const char* name :
         {"SCAN.DLL", "A", ".INI", "A..B", "NAME WITH BLANK", "SYS\\X.VXD", "A/B", "SYS\\SUB\\X",
          "CONFIG.SYS", "COM10", "LPT", "NULL.DLL", "COMX", "\x94\x5c", "SYS\\\x94\x5c"})
        EXPECT_TRUE(IsSafeDestName(name)) << name;
    for (const char* name :
         {"",          ".",        "..",      "...",      "..\\X.DLL", "SYS\\..\\..\\X", "C:X.DLL",
          "X.DLL:S",   "/X",       "\\X",     "X\\",      "A\\\\B",    "A//B",           "SYS.\\X",
          "X.DLL ",    "SYS \\X",  "CON",     "nul",      "NUL.TXT",   "AUX .INI",       "PRN.",
          "SYS\\COM1", "lpt9.dll", "CONOUT$", "Com3.X.Y", "CON.D\\X"})
        EXPECT_FALSE(IsSafeDestName(name)) << name;
    // The next run's leftover scan would remove or rename what a script installed under these.
    for (const char* name : {"~setup~AB.tmp", "S\\~SETUP~A.TMP"})
        EXPECT_FALSE(IsSafeDestName(name)) << name;
    for (const char* name : {"~SETUP.TMP", "~setup~.tmp", "~setup~A"})
        EXPECT_TRUE(IsSafeDestName(name)) << name;
    EXPECT_TRUE(IsPlainFileName("SCAN.DLL"));
    EXPECT_TRUE(IsPlainFileName("\x94\x5c.DLL"));
    for (const char* name : {"SYS\\X.VXD", "A/B", "..", "NUL", ""})
        EXPECT_FALSE(IsPlainFileName(name)) << name;
}

std::vector<uint8_t> Header(uint32_t length) {
    std::vector<uint8_t> header = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 'L'};
    for (int shift = 0; shift < 32; shift += 8)
        header.push_back(uint8_t(length >> shift));
    return header;
}

TEST(SzddParseHeader, ReadsTheLittleEndianLength) {
    SzddHeader parsed{};
    std::vector<uint8_t> header = Header(0x12345678);
    ASSERT_EQ(SzddParseHeader(header.data(), uint32_t(header.size()), &parsed),
              SzddHeaderStatus::Ok);
    EXPECT_EQ(parsed.expandedLength, 0x12345678u);
    EXPECT_EQ(parsed.lastNameChar, 'L');
    header = Header(0);
    ASSERT_EQ(SzddParseHeader(header.data(), uint32_t(header.size()), &parsed),
              SzddHeaderStatus::Ok);
    EXPECT_EQ(parsed.expandedLength, 0u);
}

TEST(SzddParseHeader, RejectsOtherFiles) {
    struct Damage {
        size_t at;
        uint8_t value;
        SzddHeaderStatus status;
    };
    const Damage damages[] = {{0, 's', SzddHeaderStatus::NotSzdd},
                              {3, 'Q', SzddHeaderStatus::NotSzdd},
                              {4, 0x89, SzddHeaderStatus::NotSzdd},
                              {7, 0x34, SzddHeaderStatus::NotSzdd},
                              {8, 'B', SzddHeaderStatus::UnknownMode}};
    for (const Damage& d : damages) {
        std::vector<uint8_t> header = Header(100);
        header[d.at] = d.value;
        SzddHeader parsed{0, 0, 7};
        EXPECT_EQ(SzddParseHeader(header.data(), uint32_t(header.size()), &parsed), d.status)
            << d.at;
        if (d.status == SzddHeaderStatus::NotSzdd) {
            EXPECT_EQ(parsed.expandedLength, 7u);
        }
    }
    const std::vector<uint8_t> header = Header(100);
    SzddHeader parsed{0, 0, 7};
    EXPECT_EQ(SzddParseHeader(header.data(), kSzddHeaderSize - 1, &parsed),
              SzddHeaderStatus::TooShort);
    EXPECT_EQ(SzddParseHeader(header.data(), 0, &parsed), SzddHeaderStatus::TooShort);
    EXPECT_EQ(parsed.expandedLength, 7u);
}

struct ExpansionCase {
    int32_t copied;   // what LZCopy reported
    int32_t expected; // the header's length, or the source's size
    int32_t written;  // the temporary file's size on the disk
    bool complete;
};

TEST(ExpansionComplete, TheDiskMustHoldTheWholeLength) {
    const ExpansionCase cases[] = {
        {100, 100, 100, true},  {0, 0, 0, true},
        {60, 100, 60, false},  // truncated source reported as success
        {100, 100, 60, false}, // reported whole, short on the disk
        {120, 100, 120, false}, {-1, 100, 100, false},
        {100, -1, 100, false}, // no length to judge by: neither seek nor the source's entry
        {100, 100, -1, false}, // the temporary file's entry unreadable
        {-1, -1, -1, false},
    };
    for (const ExpansionCase& c : cases) {
        EXPECT_EQ(ExpansionComplete(c.copied, c.expected, c.written), c.complete)
            << c.copied << " of " << c.expected << ", " << c.written << " written";
    }
}

// The old file set aside by the 9x way names the file it goes back to, and only such names are
// taken for one.
TEST(AsideName, NamesTheFinalFileItGoesBackTo) {
    const CodePage932 japanese;
    struct {
        const char* finalPath;
        const char* aside;
        const char* name; // the aside name as a folder's search finds it
        const char* back; // the final name it gives back
    } const cases[] = {
        {"C:\\WINDOWS\\TWAIN_32\\SCAN.DLL", "C:\\WINDOWS\\TWAIN_32\\~setup~SCAN.DLL.tmp",
         "~setup~SCAN.DLL.tmp", "SCAN.DLL"},
        {"C:\\W\\SYS/X.TMP", "C:\\W\\SYS/~setup~X.TMP.tmp", "~SETUP~X.TMP.TMP", "X.TMP"},
        {"C:\\W\\\x83\x5c\x94\x5c.DLL", "C:\\W\\~setup~\x83\x5c\x94\x5c.DLL.tmp", // ソ能.DLL
         "~setup~\x83\x5c\x94\x5c.DLL.tmp", "\x83\x5c\x94\x5c.DLL"},
    };
    for (const auto& c : cases) {
        char path[80];
        ASSERT_TRUE(BuildAsidePath(path, sizeof path, c.finalPath)) << c.finalPath;
        EXPECT_STREQ(path, c.aside);
        char back[kFileNameWidth];
        ASSERT_TRUE(AsideFinalName(c.name, back, sizeof back)) << c.name;
        EXPECT_STREQ(back, c.back);
        EXPECT_FALSE(IsTempName(c.name)) << c.name;
    }
    const std::string full(kFileNameWidth - 1, 'N');
    char back[kFileNameWidth];
    EXPECT_TRUE(AsideFinalName(("~SETUP~" + full + ".TMP").c_str(), back, sizeof back));
    EXPECT_EQ(back, full);
    for (const char* name :
         {"~setup0000.tmp", "~setup~.tmp", "~setup~X.DLL", "~setup-X.DLL.tmp", "setup~X.DLL.tmp",
          "~setup~NUL.tmp", "~setup~..tmp", "~setup~X\\Y.tmp", "~setup~X. .tmp", ""}) {
        std::strcpy(back, "stale");
        EXPECT_FALSE(AsideFinalName(name, back, sizeof back)) << name;
        EXPECT_STREQ(back, "") << name;
    }
    EXPECT_FALSE(AsideFinalName(("~setup~" + full + "N.tmp").c_str(), back, sizeof back));
    // A path that only just takes the temporary name has no room for the aside name.
    char path[80];
    std::memset(path, '#', sizeof path);
    EXPECT_FALSE(BuildAsidePath(path, 20, "C:\\W\\SCAN.DLL"));
    EXPECT_STREQ(path, "");
}

} // namespace
