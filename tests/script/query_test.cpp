#include "script_test_support.h"

using namespace script_test;

namespace {

constexpr uint32_t kRecordCodes[] = {
    GetDiskName,     GetDirName,     GetFileDescription, GetFileSourceName,
    GetFileDestName, GetFileDir,     GetFileDisk,        GetFileCompressed,
    GetPmItemFile,   GetPmItemTitle, GetPmItemAltFile,
};

constexpr uint32_t kNumericCodes[] = {
    GetMinHDSpace, GetDiskCount, GetDirCount,       FindDisk,
    FindDir,       GetFileCount, GetFileCompressed, GetPmItemCount,
};

// Duplicates, dangling numbers and full-width texts in one script.
const std::string kTricky = Crlf({
    "[Application]",
    "AppName = 123456789012345678901234567890123456789XYZ",
    "GroupName = GROUPFILE.GRP, A title that runs well past thirty",
    "[Disks]",
    "1 = Disk one",
    "1 = Disk one again",
    "2 = A disk name of exactly forty-nine characters!!!!!",
    "[Dirs]",
    "1 = FIRST",
    "2 = TWAIN",
    "1 = SECOND",
    "[Files]",
    "a, A.SRC, SAME.EXE, 1, 1, Y",
    "b, B.SRC, same.exe, 2, 2, N",
    "c, C.SRC, LOST.EXE, 9, 9, Y",
    "A description of exactly fifty-one characters.....!, LONGSOURCENAME1, D, 2, 2, Y",
    "[PM Info]",
    "LOST.EXE, Lost, NOWHERE.EXE, 2",
    "SAME.EXE, Same, , 5",
    "NOWHERE.EXE, Nowhere",
    "SAME.EXE, Alt, LOST.EXE, 65535",
});

class Queries : public testing::Test {
  protected:
    void SetUp() override { ParseText(kTricky); }
};

TEST_F(Queries, DuplicateNumbersFindTheLastRecord) {
    EXPECT_EQ(Ask(FindDir, 1, 0).result, 2);
    EXPECT_EQ(Ask(FindDisk, 1, 0).result, 1);
    const Answer dir = Ask(GetFileDir, 0, kDirNameWidth);
    EXPECT_EQ(dir.text, "SECOND");
    EXPECT_EQ(dir.result, 1);
    const Answer disk = Ask(GetFileDisk, 0, kDiskNameWidth);
    EXPECT_EQ(disk.text, "Disk one again");
    EXPECT_EQ(disk.result, 1);
}

TEST_F(Queries, DuplicateDestNamesFindTheFirstFile) {
    EXPECT_EQ(Ask(FindFileDir, 0, 0, "Same.Exe").result, 2);
    EXPECT_EQ(Ask(FindFileDir, 0, 0, "SAME.EXE ").result, -1);
    EXPECT_EQ(Ask(FindFileDir, 0, 0, "").result, -1);
    EXPECT_EQ(Ask(FindFileDir, 0, 0, "A name far longer than any destination name").result, -1);
}

TEST_F(Queries, DanglingNumbersCopyEmptyAndKeepTheNumber) {
    const Answer dir = Ask(GetFileDir, 2, kDirNameWidth);
    EXPECT_EQ(dir.text, "");
    EXPECT_EQ(dir.result, 9);
    const Answer disk = Ask(GetFileDisk, 2, kDiskNameWidth);
    EXPECT_EQ(disk.text, "");
    EXPECT_EQ(disk.result, 9);
    EXPECT_EQ(Ask(FindFileDir, 0, 0, "lost.exe").result, -1);
}

TEST_F(Queries, ProgramItemLookups) {
    struct Row {
        uint32_t code;
        uint32_t index;
        const char* copied;
        int32_t result;
    };
    const Row rows[] = {
        {GetPmItemFile, 0, "LOST.EXE", -1},    {GetPmItemAltFile, 0, "NOWHERE.EXE", 196607},
        {GetPmItemFile, 1, "SAME.EXE", 2},     {GetPmItemAltFile, 1, "SAME.EXE", 5 * 65536 + 2},
        {GetPmItemFile, 2, "NOWHERE.EXE", -1}, {GetPmItemAltFile, 2, "NOWHERE.EXE", 65535},
        {GetPmItemAltFile, 3, "LOST.EXE", -1}, {GetPmItemTitle, 3, "Alt", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << InfQueryCodeName(row.code) << " " << row.index);
        const Answer answer = Ask(row.code, row.index, WidthOf(row.code));
        EXPECT_EQ(answer.text, row.copied);
        EXPECT_EQ(answer.result, row.result);
    }
}

TEST_F(Queries, FullWidthTextsStayInsideTheirFields) {
    EXPECT_EQ(Ask(GetAppName, 0, kAppNameWidth).text, "123456789012345678901234567890123456789");
    EXPECT_EQ(Ask(GetGroupFile, 0, kGroupFileWidth).text, "GROUPFILE.GRP");
    EXPECT_EQ(Ask(GetGroupTitle, 0, kGroupTitleWidth).text, "A title that runs well past t");
    EXPECT_EQ(Ask(GetDiskName, 2, kDiskNameWidth).text,
              "A disk name of exactly forty-nine characters!!!!!");
    EXPECT_EQ(Ask(GetFileDescription, 3, kDescriptionWidth).text,
              "A description of exactly fifty-one characters....");
    EXPECT_EQ(Ask(GetFileSourceName, 3, kFileNameWidth).text, "LONGSOURCENAM");
}

TEST_F(Queries, HighIndexBitsAreIgnored) {
    for (uint32_t code = GetAppName; code < InfQueryCodeCount; ++code) {
        if (code == FindFileDir) continue;
        for (uint32_t index = 0; index < 5; ++index) {
            for (uint32_t high : {0x00010000u, 0x80000000u, 0xFFFF0000u}) {
                SCOPED_TRACE(testing::Message() << InfQueryCodeName(code) << " " << index);
                const Answer low = Ask(code, index, WidthOf(code));
                const Answer full = Ask(code, index | high, WidthOf(code));
                EXPECT_EQ(full.result, low.result);
                EXPECT_EQ(full.text, low.text);
            }
        }
    }
}

TEST_F(Queries, IndexesAtOrBeyondTheCountGiveEmptyAndZero) {
    for (uint32_t code : kRecordCodes) {
        for (uint32_t index : {4u, 5u, 9u, 10u, 25u, 199u, 200u, 4000u, 0xFFFFu, 0xFFFFFFFFu}) {
            const uint32_t count = code <= GetDiskName ? 3u : code <= GetDirName ? 3u : 4u;
            if (index < count) continue;
            SCOPED_TRACE(testing::Message() << InfQueryCodeName(code) << " " << index);
            const uint32_t width = WidthOf(code);
            const Answer answer = Ask(code, index, width, "preset");
            EXPECT_EQ(answer.result, 0);
            if (width != 0) {
                EXPECT_EQ(answer.text, "");
            }
        }
    }
}

TEST_F(Queries, CodesFrom24CopyNothingAndGiveZero) {
    for (uint32_t code : {24u, 25u, 100u, 0x10000u | GetAppName, 0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(Ask(code, 0, 0, "untouched").result, 0);
        EXPECT_EQ(InfQuery(code, 1, nullptr), 0);
    }
}

TEST_F(Queries, NumericCodesTakeANullBuffer) {
    for (uint32_t code : kNumericCodes) {
        for (uint32_t index : {0u, 1u, 2u, 3u, 9u, 0xFFFFu}) {
            SCOPED_TRACE(testing::Message() << InfQueryCodeName(code) << " " << index);
            EXPECT_EQ(InfQuery(code, index, nullptr), Ask(code, index, 0).result);
        }
    }
    EXPECT_EQ(InfQuery(GetFileCount, 0, nullptr), 4);
    EXPECT_EQ(InfQuery(GetFileCompressed, 3, nullptr), 1);
}

TEST(EmptyCatalogue, LookupsFindNothing) {
    ParseText("");
    for (uint32_t code : {GetDiskCount, GetDirCount, GetFileCount, GetPmItemCount, GetMinHDSpace})
        EXPECT_EQ(InfQuery(code, 0, nullptr), 0) << InfQueryCodeName(code);
    for (uint32_t number : {0u, 1u, 2u, 65535u}) {
        EXPECT_EQ(InfQuery(FindDisk, number, nullptr), -1) << number;
        EXPECT_EQ(InfQuery(FindDir, number, nullptr), -1) << number;
    }
    for (const char* name : {"", "SCANUTIL.EXE", "x"})
        EXPECT_EQ(Ask(FindFileDir, 0, 0, name).result, -1) << name;
    for (uint32_t code : {GetAppName, GetDfltDir, GetGroupFile, GetGroupTitle}) {
        const Answer answer = Ask(code, 0, WidthOf(code), "preset");
        EXPECT_EQ(answer.text, "") << InfQueryCodeName(code);
        EXPECT_EQ(answer.result, 0);
    }
    for (uint32_t code : kRecordCodes) {
        const Answer answer = Ask(code, 0, WidthOf(code), "preset");
        EXPECT_EQ(answer.result, 0) << InfQueryCodeName(code);
        if (WidthOf(code) != 0) {
            EXPECT_EQ(answer.text, "") << InfQueryCodeName(code);
        }
    }
}

} // namespace
