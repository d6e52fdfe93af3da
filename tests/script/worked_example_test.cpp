#include "script_test_support.h"

using namespace script_test;

namespace {

class WorkedExample : public testing::Test {
  protected:
    void SetUp() override {
        const std::string path = SamplePath("worked.inf");
        ASSERT_EQ(InfQuery(LoadScript, 0, const_cast<char*>(path.c_str())), 0) << path;
    }
};

TEST_F(WorkedExample, ApplicationValues) {
    const AppInfo& app = g_Catalogue.App;
    EXPECT_STREQ(app.AppName, "Scanner Utilities");
    EXPECT_STREQ(app.DfltDir, "C:\\SCANUTIL");
    EXPECT_EQ(app.MinHDSpace, 1500);
    EXPECT_STREQ(app.GroupFile, "SCANUTIL.GRP");
    EXPECT_STREQ(app.GroupTitle, "Scanner Utilities");
}

TEST_F(WorkedExample, DisksAndDirs) {
    ASSERT_EQ(g_Catalogue.DiskCount, 2);
    EXPECT_EQ(g_Catalogue.Disks[0].Number, 1);
    EXPECT_STREQ(g_Catalogue.Disks[0].Name, "Setup Disk 1");
    EXPECT_EQ(g_Catalogue.Disks[1].Number, 2);
    EXPECT_STREQ(g_Catalogue.Disks[1].Name, "Setup Disk 2");
    ASSERT_EQ(g_Catalogue.DirCount, 2);
    EXPECT_EQ(g_Catalogue.Dirs[0].Number, 1);
    EXPECT_STREQ(g_Catalogue.Dirs[0].Name, "WINDOWS");
    EXPECT_EQ(g_Catalogue.Dirs[1].Number, 2);
    EXPECT_STREQ(g_Catalogue.Dirs[1].Name, "TWAIN");
}

TEST_F(WorkedExample, Files) {
    struct Row {
        const char* description;
        const char* source;
        const char* dest;
        uint16_t dir;
        uint16_t disk;
        uint32_t compressed;
    };
    const Row rows[] = {
        {"Scanner driver", "SCANDRV.DL_", "SCANDRV.DLL", 2, 1, 1},
        {"Driver settings", "SCANDRV.INI", "SCANDRV.INI", 1, 1, 0},
        {"Scanner program", "SCANUTIL.EX_", "SCANUTIL.EXE", 1, 2, 1},
    };
    ASSERT_EQ(g_Catalogue.FileCount, std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const FileEntry& file = g_Catalogue.Files[i];
        SCOPED_TRACE(i);
        EXPECT_STREQ(file.Description, rows[i].description);
        EXPECT_STREQ(file.SourceName, rows[i].source);
        EXPECT_STREQ(file.DestName, rows[i].dest);
        EXPECT_EQ(file.DirNumber, rows[i].dir);
        EXPECT_EQ(file.DiskNumber, rows[i].disk);
        EXPECT_EQ(file.Compressed, rows[i].compressed);
    }
}

TEST_F(WorkedExample, ProgramItems) {
    ASSERT_EQ(g_Catalogue.PmItemCount, 2);
    EXPECT_STREQ(g_Catalogue.PmItems[0].ItemFile, "SCANUTIL.EXE");
    EXPECT_STREQ(g_Catalogue.PmItems[0].ItemTitle, "Scanner Utilities");
    EXPECT_STREQ(g_Catalogue.PmItems[0].ItemAltFile, "");
    EXPECT_EQ(g_Catalogue.PmItems[0].ItemNumber, 0);
    EXPECT_STREQ(g_Catalogue.PmItems[1].ItemFile, "SCANDRV.DLL");
    EXPECT_STREQ(g_Catalogue.PmItems[1].ItemTitle, "Driver Setup");
    EXPECT_STREQ(g_Catalogue.PmItems[1].ItemAltFile, "SCANUTIL.EXE");
    EXPECT_EQ(g_Catalogue.PmItems[1].ItemNumber, 2);
}

TEST_F(WorkedExample, QueryTable) {
    struct Row {
        uint32_t code;
        uint32_t index;
        const char* input;
        const char* copied;
        int32_t result;
    };
    const Row rows[] = {
        {GetDiskCount, 0, "", "", 2},
        {GetFileCount, 0, "", "", 3},
        {GetFileDir, 0, "", "TWAIN", 2},
        {GetFileDir, 1, "", "WINDOWS", 1},
        {GetFileDisk, 2, "", "Setup Disk 2", 2},
        {GetFileCompressed, 1, "", "", 0},
        {FindDir, 2, "", "", 1},
        {FindDisk, 3, "", "", -1},
        {FindFileDir, 0, "scanutil.exe", "scanutil.exe", 0},
        {GetPmItemFile, 1, "", "SCANDRV.DLL", 1},
        {GetPmItemAltFile, 1, "", "SCANUTIL.EXE", 131072},
        {GetPmItemAltFile, 0, "", "SCANUTIL.EXE", 0},
        {GetGroupFile, 0, "", "SCANUTIL.GRP", 0},
        {GetGroupTitle, 0, "", "Scanner Utilities", 0},
        // The rest of the accessor's contract on the same script.
        {GetAppName, 0, "", "Scanner Utilities", 0},
        {GetDfltDir, 0, "", "C:\\SCANUTIL", 0},
        {GetMinHDSpace, 0, "", "", 1500},
        {GetDiskName, 1, "", "Setup Disk 2", 0},
        {FindDisk, 1, "", "", 0},
        {GetDirCount, 0, "", "", 2},
        {GetDirName, 0, "", "WINDOWS", 0},
        {FindDir, 7, "", "", -1},
        {GetFileDescription, 2, "", "Scanner program", 0},
        {GetFileSourceName, 0, "", "SCANDRV.DL_", 0},
        {GetFileDestName, 1, "", "SCANDRV.INI", 0},
        {GetFileDisk, 0, "", "Setup Disk 1", 1},
        {GetFileCompressed, 2, "", "", 1},
        {FindFileDir, 0, "ScanDrv.Dll", "ScanDrv.Dll", 1},
        {FindFileDir, 0, "SCANDRV", "SCANDRV", -1},
        {GetPmItemCount, 0, "", "", 2},
        {GetPmItemFile, 0, "", "SCANUTIL.EXE", 0},
        {GetPmItemTitle, 1, "", "Driver Setup", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << InfQueryCodeName(row.code) << " " << row.index);
        const uint32_t width = WidthOf(row.code);
        const Answer answer = Ask(row.code, row.index, width, row.input);
        EXPECT_EQ(answer.result, row.result);
        if (width != 0) {
            EXPECT_EQ(answer.text, row.copied);
        }
    }
}

TEST_F(WorkedExample, CodeNamesFollowTheEnumeration) {
    const char* names[] = {
        "LoadScript",        "GetAppName",      "GetDfltDir",     "GetMinHDSpace",
        "GetDiskCount",      "GetDiskName",     "FindDisk",       "GetDirCount",
        "GetDirName",        "FindDir",         "GetFileCount",   "GetFileDescription",
        "GetFileSourceName", "GetFileDestName", "GetFileDir",     "GetFileDisk",
        "GetFileCompressed", "FindFileDir",     "GetGroupTitle",  "GetGroupFile",
        "GetPmItemCount",    "GetPmItemFile",   "GetPmItemTitle", "GetPmItemAltFile",
    };
    static_assert(std::size(names) == InfQueryCodeCount);
    for (uint32_t code = 0; code < std::size(names); ++code)
        EXPECT_STREQ(InfQueryCodeName(code), names[code]);
    EXPECT_EQ(InfQueryCodeName(InfQueryCodeCount), nullptr);
    EXPECT_EQ(InfQueryCodeName(0xFFFFFFFFu), nullptr);
}

TEST(WorkedExampleText, ParsesTheSameFromMemoryAndWithoutOverrun) {
    const std::string text = ReadWhole(SamplePath("worked.inf"));
    ASSERT_EQ(text.size(), 502u);
    ParseText(text);
    EXPECT_EQ(g_Catalogue.FileCount, 3);
    EXPECT_EQ(g_Catalogue.PmItemCount, 2);
    EXPECT_STREQ(g_Catalogue.Files[2].DestName, "SCANUTIL.EXE");
}

} // namespace
