#include "formats/floppy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DiskSize, FloppyNamesAndByteCounts) {
    struct Row {
        const char* text;
        DiskFormat format;
        uint32_t imageBytes; // 0: no image
    };
    const Row rows[] = {{"1.44M", {1457664, 512, 224}, 1474560},
                        {"1.2M", {1213952, 512, 224}, 1228800},
                        {"720K", {730112, 1024, 112}, 737280},
                        {"360K", {362496, 1024, 112}, 368640},
                        {"160K", {160256, 512, 64}, 163840},
                        {"180K", {179712, 512, 64}, 184320},
                        {"320K", {322560, 1024, 112}, 327680},
                        {"1.68M", {1716224, 2048, 16}, 1720320},
                        {"2.88M", {2931712, 1024, 240}, 2949120},
                        {"100000", {100000, 512, 0}, 0},
                        {"1", {1, 512, 0}, 0},
                        {"1440", {1440, 512, 0}, 0}};
    for (const Row& row : rows) {
        DiskFormat format{};
        EXPECT_TRUE(ParseDiskSize(row.text, format)) << row.text;
        EXPECT_EQ(format.capacity, row.format.capacity) << row.text;
        EXPECT_EQ(format.cluster, row.format.cluster) << row.text;
        EXPECT_EQ(format.rootEntries, row.format.rootEntries) << row.text;
        EXPECT_EQ(format.floppy ? format.floppy->sectors * 512u : 0, row.imageBytes) << row.text;
    }
    for (const char* wrong : {"", "0", "1.44m", "1.4M", "720k", "12K", "-5", " 100",
                              "99999999999999999999999", "DMF-1024"}) {
        DiskFormat format{};
        EXPECT_FALSE(ParseDiskSize(wrong, format)) << wrong;
    }
}

TEST(DiskSize, FoldersAndLongNamesTakeEntriesAndClusters) {
    const DiskFormat floppy{1457664, 512, 224};
    // Files of 0, 1, 512 and 513 bytes take 0, 1, 1 and 2 clusters.
    DiskUsage usage = MeasureDisk({{"E", 0}, {"A", 1}, {"B", 512}, {"C", 513}}, floppy);
    EXPECT_EQ(usage.usedBytes, 4u * 512);
    EXPECT_EQ(usage.rootEntries, 4u + 1) << "and the volume label";
    // A folder of 14 short names holds 16 entries with "." and "..": one cluster; 15, two.
    std::vector<SizedFile> files;
    for (int i = 0; i < 15; ++i)
        files.push_back({"SUB/F" + std::to_string(i), 1});
    EXPECT_EQ(MeasureDisk(files, floppy).usedBytes, 15u * 512 + 2 * 512);
    files.pop_back();
    EXPECT_EQ(MeasureDisk(files, floppy).usedBytes, 14u * 512 + 512);
    // Nested folders count too; the root counts its entries, not clusters.
    usage = MeasureDisk({{"A/B/C.TXT", 1}, {"A/D.TXT", 1}}, floppy);
    EXPECT_EQ(usage.usedBytes, 2u * 512 + 2 * 512);
    EXPECT_EQ(usage.rootEntries, 1u + 1);
    // One entry for an 8.3 name of one case per part, more for longer or mixed-case names.
    usage = MeasureDisk({{"setup.EXE", 1},
                         {"Setup.exe", 1},
                         {"LONGNAME.TEXT", 1},
                         {"abcdefghijklmn.txt", 1},
                         {"A B.TXT", 1}},
                        floppy);
    EXPECT_EQ(usage.rootEntries, 1u + 2 + 2 + 3 + 2 + 1);
}

} // namespace
