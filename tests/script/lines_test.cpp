#include "script_test_support.h"

using namespace script_test;

namespace {

const Catalogue& C() {
    return g_Catalogue;
}

// Headers: only the six, whole and ignoring case, select a section.
TEST(Headers, SelectOrSwitchOff) {
    struct Row {
        const char* line;
        bool files_follow; // the next content line lands in [Files]
    };
    const Row rows[] = {
        {"[Files]", true},       {"[files]", true},   {"  [FILES]\t", true}, {"[ Files ]", false},
        {"[Files] more", false}, {"[Files];", false}, {"[File]", false},     {"[Files", false},
        {"[]", false},           {"[", false},        {"Files]", true},
    };
    for (const Row& row : rows) {
        ParseText(Crlf({"[Files]", "a, B, C, 1, 1, Y", row.line, "d, E, F, 2, 2, N"}));
        EXPECT_EQ(C().FileCount, row.files_follow ? 2 : 1) << row.line;
        EXPECT_STREQ(C().Files[0].Description, "a");
    }
}

TEST(Headers, ContentBeforeFirstHeaderAndCommentsAreIgnored) {
    ParseText(Crlf({"AppName = early", "1, A, A, 1, 1, Y", "[Application]", "; AppName = c",
                    "  ;AppName = d", "AppName = late ; not a comment"}));
    EXPECT_STREQ(C().App.AppName, "late ; not a comment");
    EXPECT_EQ(C().FileCount, 0);
}

TEST(Headers, EveryListAppendsAcrossRepeatedSections) {
    ParseText(
        Crlf({"[Files]", "one, A, A, 1, 1, Y", "[Disks]", "1 = d1", "[files]", "two, B, B, 1, 1, N",
              "[DISKS]", "2 = d2", "[End]", "[Files]", "three, C, C, 1, 1, N"}));
    ASSERT_EQ(C().FileCount, 2);
    EXPECT_STREQ(C().Files[0].Description, "one");
    EXPECT_STREQ(C().Files[1].Description, "two");
    ASSERT_EQ(C().DiskCount, 2);
    EXPECT_STREQ(C().Disks[1].Name, "d2");
}

// One line in a section, and the field it leaves.
TEST(Application, SingleLines) {
    struct Row {
        const char* line;
        const char* app_name;
        const char* group_file;
        const char* group_title;
        uint16_t min_space;
    };
    const Row rows[] = {
        {"AppName = A = B", "A = B", "", "", 0},
        {"AppName=", "", "", "", 0},
        {"\tappname\t=\tX\t", "X", "", "", 0},
        {"MinHDSpace = 70000", "", "", "", 4464},
        {"MinHDSpace = -1", "", "", "", 0},
        {"MinHDSpace = 12K", "", "", "", 12},
        {"GroupName = Main, Tools, Extra", "", "Main", "Tools, Extra", 0},
        {"GroupName = LONELY.GRP", "", "LONELY.GRP", "", 0},
        {"GroupName = ,", "", "", "", 0},
        {"AppName no equals sign", "", "", "", 0},
        {"App Name = spaced key", "", "", "", 0},
        {"= no key", "", "", "", 0},
    };
    for (const Row& row : rows) {
        ParseText(Crlf({"[Application]", row.line}));
        SCOPED_TRACE(row.line);
        EXPECT_STREQ(C().App.AppName, row.app_name);
        EXPECT_STREQ(C().App.GroupFile, row.group_file);
        EXPECT_STREQ(C().App.GroupTitle, row.group_title);
        EXPECT_EQ(C().App.MinHDSpace, row.min_space);
    }
}

TEST(Application, LaterKeyWinsAndTextsAreCutToWidth) {
    ParseText(Crlf({"[Application]", "AppName = first", ("AppName = " + Repeat('a', 60)).c_str(),
                    ("DfltDir = " + Repeat('d', 80)).c_str(),
                    ("GroupName = " + Repeat('f', 20) + "," + Repeat('t', 40)).c_str()}));
    EXPECT_EQ(std::string(C().App.AppName), Repeat('a', kAppNameWidth - 1));
    EXPECT_EQ(std::string(C().App.DfltDir), Repeat('d', kDfltDirWidth - 1));
    EXPECT_EQ(std::string(C().App.GroupFile), Repeat('f', kGroupFileWidth - 1));
    EXPECT_EQ(std::string(C().App.GroupTitle), Repeat('t', kGroupTitleWidth - 1));
}

TEST(DisksAndDirs, EveryLineWithEqualsAppends) {
    ParseText(Crlf({"[Disks]", "A = Second disk", "007 = Disk = seven", "no equals",
                    "3=", ("70000 = " + Repeat('n', 70)).c_str(), "[Dirs]", " 2 =\tTWAIN ",
                    ("4 = " + Repeat('w', 40)).c_str()}));
    ASSERT_EQ(C().DiskCount, 4);
    EXPECT_EQ(C().Disks[0].Number, 0);
    EXPECT_STREQ(C().Disks[0].Name, "Second disk");
    EXPECT_EQ(C().Disks[1].Number, 7);
    EXPECT_STREQ(C().Disks[1].Name, "Disk = seven");
    EXPECT_EQ(C().Disks[2].Number, 3);
    EXPECT_STREQ(C().Disks[2].Name, "");
    EXPECT_EQ(C().Disks[3].Number, 4464);
    EXPECT_EQ(std::string(C().Disks[3].Name), Repeat('n', kDiskNameWidth - 1));
    ASSERT_EQ(C().DirCount, 2);
    EXPECT_EQ(C().Dirs[0].Number, 2);
    EXPECT_STREQ(C().Dirs[0].Name, "TWAIN");
    EXPECT_EQ(std::string(C().Dirs[1].Name), Repeat('w', kDirNameWidth - 1));
}

TEST(Files, CompressionFlag) {
    struct Row {
        const char* sixth;
        uint32_t compressed;
    };
    const Row rows[] = {{"Y", 1},      {"y", 1}, {"yes", 1}, {"y, more", 1},
                        {"  Yx  ", 1}, {"N", 0}, {"no", 0},  {"", 0},
                        {" ", 0},      {"1", 0}, {"n,Y", 0}, {"\xd9", 0}};
    for (const Row& row : rows) {
        const std::string line = std::string("d, S, D, 1, 2, ") + row.sixth;
        ParseText(Crlf({"[Files]", line.c_str()}));
        ASSERT_EQ(C().FileCount, 1) << line;
        EXPECT_EQ(C().Files[0].Compressed, row.compressed) << line;
    }
}

TEST(Files, FieldsAreTrimmedConvertedAndCut) {
    ParseText(Crlf({"[Files]",
                    (" \t" + Repeat('D', 60) + " , " + Repeat('S', 20) + ",\t" + Repeat('T', 14) +
                     " , 70000 , 12K ,Y")
                        .c_str(),
                    ",,,,,", "a,b,c,-1,x,y,z"}));
    ASSERT_EQ(C().FileCount, 3);
    const FileEntry& f = C().Files[0];
    EXPECT_EQ(std::string(f.Description), Repeat('D', kDescriptionWidth - 1));
    EXPECT_EQ(std::string(f.SourceName), Repeat('S', kFileNameWidth - 1));
    EXPECT_EQ(std::string(f.DestName), Repeat('T', kFileNameWidth - 1));
    EXPECT_EQ(f.DirNumber, 4464);
    EXPECT_EQ(f.DiskNumber, 12);
    EXPECT_EQ(f.Compressed, 1u);
    EXPECT_STREQ(C().Files[1].Description, "");
    EXPECT_EQ(C().Files[1].Compressed, 0u);
    EXPECT_EQ(C().Files[2].DirNumber, 0);
    EXPECT_EQ(C().Files[2].DiskNumber, 0);
    EXPECT_EQ(C().Files[2].Compressed, 1u);
}

TEST(Files, FewerThanFiveCommasIsIgnored) {
    ParseText(Crlf({"[Files]", "a, b, c, 1, 1", "a", "a,b,c,d", "ok, S, D, 1, 1, N", ",,,,"}));
    ASSERT_EQ(C().FileCount, 1);
    EXPECT_STREQ(C().Files[0].Description, "ok");
}

TEST(PmInfo, FieldLayouts) {
    struct Row {
        const char* line;
        const char* file;
        const char* title;
        const char* alt;
        uint16_t number;
    };
    const Row rows[] = {
        {"F.EXE, Title, more", "F.EXE", "Title", "more", 0},
        {"F.EXE, Title", "F.EXE", "Title", "", 0},
        {"F.EXE, A, B, 3,9", "F.EXE", "A", "B", 3},
        {" F , T , A , 65536 ", "F", "T", "A", 0},
        {"F,,,", "F", "", "", 0},
        {"F, T, , 12", "F", "T", "", 12},
        {",", "", "", "", 0},
    };
    for (const Row& row : rows) {
        ParseText(Crlf({"[PM Info]", row.line}));
        SCOPED_TRACE(row.line);
        ASSERT_EQ(C().PmItemCount, 1);
        const PmItem& item = C().PmItems[0];
        EXPECT_STREQ(item.ItemFile, row.file);
        EXPECT_STREQ(item.ItemTitle, row.title);
        EXPECT_STREQ(item.ItemAltFile, row.alt);
        EXPECT_EQ(item.ItemNumber, row.number);
    }
}

TEST(PmInfo, LineWithoutCommaIsIgnoredAndTextsAreCut) {
    ParseText(
        Crlf({"[PM Info]", "NOCOMMA",
              (Repeat('f', 20) + "," + Repeat('t', 40) + "," + Repeat('a', 20) + ",2").c_str()}));
    ASSERT_EQ(C().PmItemCount, 1);
    EXPECT_EQ(std::string(C().PmItems[0].ItemFile), Repeat('f', kFileNameWidth - 1));
    EXPECT_EQ(std::string(C().PmItems[0].ItemTitle), Repeat('t', kItemTitleWidth - 1));
    EXPECT_EQ(std::string(C().PmItems[0].ItemAltFile), Repeat('a', kFileNameWidth - 1));
    EXPECT_EQ(C().PmItems[0].ItemNumber, 2);
}

// Lists beyond their capacity keep their first records and ignore the rest.
TEST(Capacity, ExtraLinesAreIgnoredPerList) {
    std::string text = "[Disks]\r\n";
    for (int i = 1; i <= kMaxDisks + 3; ++i)
        text += std::to_string(i) + " = Disk\r\n";
    text += "[Dirs]\r\n";
    for (int i = 1; i <= kMaxDirs + 3; ++i)
        text += std::to_string(i) + " = Dir\r\n";
    text += "[Files]\r\n";
    for (int i = 1; i <= kMaxFiles + 3; ++i)
        text += "F" + std::to_string(i) + ",S,D,1,1,Y\r\n";
    text += "[PM Info]\r\n";
    for (int i = 1; i <= kMaxPmItems + 3; ++i)
        text += "P" + std::to_string(i) + ",T\r\n";
    ASSERT_LT(text.size(), kScriptReadSize);
    ParseText(text);
    EXPECT_EQ(C().DiskCount, kMaxDisks);
    EXPECT_EQ(C().Disks[kMaxDisks - 1].Number, kMaxDisks);
    EXPECT_EQ(C().DirCount, kMaxDirs);
    EXPECT_EQ(C().Dirs[kMaxDirs - 1].Number, kMaxDirs);
    EXPECT_EQ(C().FileCount, kMaxFiles);
    EXPECT_EQ(std::string(C().Files[kMaxFiles - 1].Description), "F200");
    EXPECT_EQ(C().PmItemCount, kMaxPmItems);
    EXPECT_STREQ(C().PmItems[kMaxPmItems - 1].ItemFile, "P20");
}

TEST(Capacity, SampleScriptFillsEveryList) {
    ASSERT_EQ(LoadSetupScript(SamplePath("capacity.inf").c_str()), 0);
    EXPECT_EQ(C().DiskCount, kMaxDisks);
    EXPECT_EQ(C().DirCount, kMaxDirs);
    EXPECT_EQ(C().FileCount, kMaxFiles);
    EXPECT_EQ(C().PmItemCount, kMaxPmItems);
    EXPECT_STREQ(C().Files[0].Description, "File 1");
}

} // namespace
