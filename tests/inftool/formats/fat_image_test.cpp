#include "formats/fat_image.h"
#include "formats/fat_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Bytes(const uint8_t* at, size_t count) {
    return std::string(reinterpret_cast<const char*>(at), count);
}

TEST(FatImage, TwelveBitEntriesShareTheMiddleByte) {
    uint8_t fat[6] = {};
    SetFat12Entry(fat, 0, 0x123);
    SetFat12Entry(fat, 1, 0x456);
    SetFat12Entry(fat, 2, 0x789);
    SetFat12Entry(fat, 3, 0xABC);
    EXPECT_EQ(Bytes(fat, 6), std::string("\x23\x61\x45\x89\xC7\xAB", 6));
    // Either entry of a pair keeps its neighbour's half of the middle byte.
    SetFat12Entry(fat, 1, kFat12EndOfChain);
    SetFat12Entry(fat, 2, 0);
    EXPECT_EQ(Bytes(fat, 6), std::string("\x23\xF1\xFF\x00\xC0\xAB", 6));
}

TEST(FatImage, AFileFillsTheDiskToItsLastCluster) {
    DiskFormat format{};
    ASSERT_TRUE(ParseDiskSize("1.44M", format));
    std::vector<uint8_t> bytes(format.capacity, 0);
    bytes.back() = 0x5A;
    const std::vector<ImageFile> files = {{"FULL.BIN", &bytes}};
    std::vector<uint8_t> image;
    std::string why;
    ASSERT_TRUE(MakeFatImage(*format.floppy, files, "FULL       ", FatTimeOf(0), image, why))
        << why;
    ASSERT_EQ(image.size(), 1474560u);
    EXPECT_EQ(image.back(), 0x5A);
    // Clusters 2 to 2848 in a row: 2847 (odd) leads to 2848, the end of the chain.
    const uint8_t* fat = image.data() + 512;
    EXPECT_EQ(Bytes(fat, 3), "\xF0\xFF\xFF") << "the media byte, then an end";
    EXPECT_EQ(Bytes(fat + 2847 * 3 / 2, 4), std::string("\x0B\xB2\xFF\x0F", 4));
    EXPECT_EQ(Bytes(fat + 9 * 512, 9 * 512), Bytes(fat, 9 * 512)) << "the second FAT";
    EXPECT_EQ(Bytes(image.data() + 510, 2), "\x55\xAA");

    bytes.push_back(0);
    EXPECT_FALSE(MakeFatImage(*format.floppy, files, "FULL       ", FatTimeOf(0), image, why));
    EXPECT_EQ(why, "the files need 2848 clusters of 2847");
}

TEST(FatImage, ShortNamesAndTheirChecksums) {
    // The checksum mtools wrote for LongFileName.text.
    EXPECT_EQ(LongNameChecksum({'L', 'O', 'N', 'G', 'F', 'I', '~', '1', 'T', 'E', 'X'}), 0xCF);

    const ShortName plain = ShortFormOf("setup.EXE");
    EXPECT_EQ(std::string(plain.bytes, 11), "SETUP   EXE");
    EXPECT_EQ(plain.caseFlags, kLowerCaseBase);
    struct Row {
        const char* name;
        const char* taken;
        const char* expected;
    };
    const Row rows[] = {{"LONGNAME.TEXT", "", "LONGNA~1TEX"},
                        {"LONGNAME.TEXT", "LONGNA~1TEX", "LONGNA~2TEX"},
                        {"Setup.exe", "", "SETUP   EXE"},
                        {"Setup.exe", "SETUP   EXE", "SETUP~1 EXE"},
                        {"a+b c.tar.gz", "", "A_BCTA~1GZ "}};
    for (const Row& row : rows) {
        const ShortName made = GeneratedShortName(row.name, {row.taken});
        EXPECT_EQ(std::string(made.bytes, 11), row.expected) << row.name << " " << row.taken;
        EXPECT_EQ(made.caseFlags, 0);
    }
}

TEST(FatImage, TimesAndLabels) {
    struct Row {
        int64_t seconds;
        uint16_t date, time;
        int64_t readBack; // the seconds the FAT time stands for
    };
    const Row rows[] = {{0, 0x0021, 0x0000, 315532800},         // before 1980: its first second
                        {981173107, 0x2A43, 0x20A3, 981173106}, // 2001-02-03 04:05:07
                        {951825600, 0x285D, 0x6000, 951825600}, // 2000-02-29 12:00:00
                        {int64_t{1} << 40, 0xFF9F, 0xBF7D, 4354819198}}; // 2107-12-31 23:59:58
    for (const Row& row : rows) {
        const FatTime time = FatTimeOf(row.seconds);
        EXPECT_EQ(time.date, row.date) << row.seconds;
        EXPECT_EQ(time.time, row.time) << row.seconds;
        int64_t seconds = 0;
        EXPECT_TRUE(SecondsOfFatTime(time, seconds));
        EXPECT_EQ(seconds, row.readBack);
    }
    // Dates no calendar has: month 0 and 13, day 0, 2001-02-29, 24 hours.
    for (FatTime none : {FatTime{0x2A03, 0}, FatTime{0x2BA3, 0}, FatTime{0x2A40, 0},
                         FatTime{0x2A5D, 0}, FatTime{0x2A43, 0xC000}}) {
        int64_t seconds = 0;
        EXPECT_FALSE(SecondsOfFatTime(none, seconds)) << none.date << " " << none.time;
    }
    EXPECT_EQ(VolumeLabel("Scanner Setup Disk 1", 1), "SCANNER SET");
    EXPECT_EQ(VolumeLabel("a.b*c", 1), "A_B_C      ");
    EXPECT_EQ(VolumeLabel("", 3), "DISK3      ");
}

} // namespace
