#include "formats/fat_image.h"
#include "formats/fat_names.h"
#include "formats/fat_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// A line of a file's path, length and a sum of its bytes, so that a difference shows short.
std::string Line(const std::string& path, const std::vector<uint8_t>& bytes) {
    uint32_t sum = 0;
    for (uint8_t byte : bytes)
        sum = sum * 31 + byte;
    return path + " " + std::to_string(bytes.size()) + " " + std::to_string(sum) + "\n";
}

struct TestFile {
    std::string path;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Image(const FloppyGeometry& geometry, const std::vector<TestFile>& files,
                           const std::string& label = "READER") {
    std::vector<ImageFile> imageFiles;
    for (const TestFile& file : files)
        imageFiles.push_back({file.path, &file.bytes});
    std::vector<uint8_t> image;
    std::string why;
    EXPECT_TRUE(MakeFatImage(geometry, imageFiles, label, {0x2A43, 0x20A3}, image, why)) << why;
    return image;
}

// Every geometry of floppies.def, the read-only ones too: what the writer
// lays out, the reader reads back whole, in folders of more than one cluster too.
TEST(FatReader, ReadsBackWhatTheWriterLaysOutOnEveryFloppy) {
    std::vector<TestFile> files = {
        {"setup.exe", std::vector<uint8_t>(5000, 'x')},
        {"SETUP.INF", Bytes("[End]\r\n")},
        {"photo/setup.EXE", Bytes("MZ")},
        {"Windows Files/Empty.txt", {}},
        {"Windows Files/ONE.BIN", std::vector<uint8_t>(512, 0x5A)},
    };
    for (int i = 0; i < 40; ++i) // 43 entries: a folder of three clusters of 512 bytes
        files.push_back({"Windows Files/F" + std::to_string(i), Bytes(std::to_string(i))});
    std::string written;
    for (const TestFile& file : files)
        written += Line(file.path, file.bytes);
    for (const NamedFloppy& row : kFloppies) {
        SCOPED_TRACE(row.name);
        const std::vector<uint8_t> image = Image(row.geometry, files);
        FatDisk disk;
        std::string why;
        ASSERT_TRUE(ReadFatImage(image.data(), image.size(), disk, why)) << why;
        EXPECT_EQ(disk.geometry.clusters, DataClusters(row.geometry));
        EXPECT_EQ(disk.label, "READER");
        std::string read; // the files; the folders, empty, only counted
        for (const FatFile& file : disk.files) {
            EXPECT_EQ(file.written.date, 0x2A43) << file.path;
            EXPECT_EQ(file.written.time, 0x20A3) << file.path;
            read += file.folder ? (file.bytes.empty() ? "" : "full folder\n")
                                : Line(file.path, file.bytes);
        }
        EXPECT_EQ(read, written);
        EXPECT_EQ(disk.files.size(), files.size() + 2) << "with photo and Windows Files";
    }
}

// An entry of a partition table in the first sector, of one sector at least.
void AddPartition(std::vector<uint8_t>& image, int index, uint8_t type, uint32_t start) {
    uint8_t* entry = image.data() + kBootPartitionTable + index * 16;
    entry[4] = type;
    Put32(entry + 8, start);
    Put32(entry + 12, 1);
    image[kBootMark] = 0x55;
    image[kBootMark + 1] = 0xAA;
}

// A FAT16 volume of 4200 clusters of 512 bytes, made here as no writer of ours makes one:
// A.TXT in clusters 2-3, B.TXT in cluster 4000; 17 sectors of FAT each, 16 root entries.
constexpr uint32_t kFat16Sectors = 1 + 2 * 17 + 1 + 4200;
std::vector<uint8_t> Fat16Image() {
    std::vector<uint8_t> image(size_t{kFat16Sectors} * 512);
    uint8_t* boot = image.data();
    const uint8_t jump[] = {0xEB, 0x3C, 0x90};
    std::copy(std::begin(jump), std::end(jump), boot);
    Put16(boot + kBootBytesPerSector, 512);
    boot[kBootSectorsPerCluster] = 1;
    Put16(boot + kBootReservedSectors, 1);
    boot[kBootFatCount] = 2;
    Put16(boot + kBootRootEntries, 16);
    Put16(boot + kBootSectors, kFat16Sectors);
    boot[kBootMedia] = 0xF8;
    Put16(boot + kBootSectorsPerFat, 17);
    uint8_t* fat = image.data() + 512;
    for (auto [cluster, next] :
         {std::pair{0u, 0xFFF8u}, {1u, 0xFFFFu}, {2u, 3u}, {3u, 0xFFF8u}, {4000u, 0xFFFFu}})
        Put16(fat + cluster * 2, next);
    uint8_t* root = image.data() + 35 * 512;
    for (auto [name, cluster, size] :
         {std::tuple{"A       TXT", 2u, 1000u}, std::tuple{"B       TXT", 4000u, 5u}}) {
        std::copy_n(name, kShortNameBytes, root);
        root[kEntryAttributes] = kAttributeArchive;
        Put16(root + kEntryCluster, cluster);
        Put32(root + kEntrySize, size);
        std::fill_n(image.data() + (36 + cluster - 2) * 512, 1024, static_cast<uint8_t>(name[0]));
        root += kDirEntryBytes;
    }
    return image;
}

// FAT16 is read as FAT12 is, with its own entries, marks and FAT size; a FAT boot sector
// that ends in what looks like a partition table stays a FAT volume.
TEST(FatReader, ReadsFat16Volumes) {
    struct Row {
        const char* change;
        std::function<void(std::vector<uint8_t>&)> apply;
        std::string listing;
    };
    const auto setFat = [](uint32_t cluster, uint16_t next) {
        return
            [cluster, next](std::vector<uint8_t>& i) { Put16(i.data() + 512 + cluster * 2, next); };
    };
    const Row rows[] = {
        {"none", [](auto&) {}, "A.TXT 1000 A B.TXT 5 B 16"},
        {"an end mark of FFFF", setFat(3, 0xFFFF), "A.TXT 1000 A B.TXT 5 B 16"},
        {"a bad cluster", setFat(2, 0xFFF7),
         "error: A.TXT: its cluster chain holds cluster 2, which the FAT marks bad"},
        {"FAT12's end mark, a cluster in FAT16", setFat(3, 0x0FF8),
         "error: A.TXT: its cluster chain holds cluster 4088, which the FAT marks free"},
        {"a FAT too small", [](auto& i) { Put16(i.data() + kBootSectorsPerFat, 16); },
         "error: its boot sector gives an impossible geometry: a FAT of 16 sectors cannot hold "
         "4202 clusters"},
        {"a partition table after the parameters", [](auto& i) { AddPartition(i, 0, 0x06, 1); },
         "A.TXT 1000 A B.TXT 5 B 16"},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> image = Fat16Image();
        row.apply(image);
        FatDisk disk;
        std::string why;
        std::string listing;
        if (ReadFatImage(image.data(), image.size(), disk, why)) {
            for (const FatFile& file : disk.files)
                listing += file.path + " " + std::to_string(file.bytes.size()) + " " +
                           static_cast<char>(file.bytes.empty() ? '-' : file.bytes.back()) + " ";
            listing += std::to_string(disk.geometry.fatBits);
        } else {
            listing = "error: " + why;
        }
        EXPECT_EQ(listing, row.listing) << row.change;
    }
}

// A long name counts only whole and made for its short entry, as Windows reads it; a deleted
// entry is passed over and one marked as the end ends the folder.
TEST(FatReader, LongNamesStandOnlyWhole) {
    struct Row {
        const char* change;
        std::function<void(uint8_t* entries)> apply; // the label, "Long name.txt", B.TXT
        std::string listing;
    };
    const Row rows[] = {
        {"none", [](uint8_t*) {}, "Long name.txt B.TXT "},
        {"a checksum of another name", [](uint8_t* e) { e[32 + kLongNameChecksum] ^= 1; },
         "LONGNA~1.TXT B.TXT "},
        {"its last part lost", [](uint8_t* e) { e[32] = 1; }, "LONGNA~1.TXT B.TXT "},
        {"its part deleted", [](uint8_t* e) { e[32] = kEntryDeleted; }, "LONGNA~1.TXT B.TXT "},
        {"a short entry deleted", [](uint8_t* e) { e[64] = kEntryDeleted; }, "B.TXT "},
        {"the end marked before B", [](uint8_t* e) { e[96] = kEntryEnd; }, "Long name.txt "},
        // Short names in the OEM code page (437 by default), long ones in UTF-16.
        {"a first byte E5", [](uint8_t* e) { e[96] = kEntryNameE5; },
         "Long name.txt \xCF\x83.TXT "},
        {"a long name beyond ASCII", [](uint8_t* e) { e[32 + 1] = 0xE9; },
         "\xC3\xA9ong name.txt B.TXT "},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> image =
            Image({720, 2, 112, 9, 2, 0xFD, 2},
                  {{"Long name.txt", Bytes("long")}, {"B.TXT", Bytes("b")}});
        row.apply(image.data() + (1 + 2 * 2) * 512);
        FatDisk disk;
        std::string why;
        std::string listing;
        if (ReadFatImage(image.data(), image.size(), disk, why))
            for (const FatFile& file : disk.files)
                listing += file.path + " ";
        else
            listing = "error: " + why;
        EXPECT_EQ(listing, row.listing) << row.change;
    }
}

// A 1.44M disk of known places: A.TXT in clusters 2-3, B.TXT 4-5, the folder DIR 6 and
// DIR/C.TXT 7; the root's entries are the label, A, B and DIR.
constexpr size_t kFat = 512;
constexpr size_t kRoot = 19 * 512;
constexpr size_t kDirCluster = (33 + 4) * 512;
uint8_t* RootEntry(std::vector<uint8_t>& image, size_t index) {
    return image.data() + kRoot + index * kDirEntryBytes;
}

std::vector<uint8_t> KnownImage() {
    return Image({2880, 1, 224, 18, 2, 0xF0, 9}, {{"A.TXT", std::vector<uint8_t>(1000, 'a')},
                                                  {"B.TXT", std::vector<uint8_t>(600, 'b')},
                                                  {"DIR/C.TXT", std::vector<uint8_t>(100, 'c')}});
}

// Each damage refused with a line that names what is wrong and where, never read in part.
TEST(FatReader, RefusesDamagedImages) {
    struct Row {
        const char* damage;
        std::function<void(std::vector<uint8_t>&)> apply;
        std::string why;
    };
    const auto fat = [](std::vector<uint8_t>& image) { return image.data() + kFat; };
    const auto setSize = [](uint32_t size) {
        return
            [size](std::vector<uint8_t>& image) { Put32(RootEntry(image, 1) + kEntrySize, size); };
    };
    const auto setBoot16 = [](uint32_t field, uint32_t value) {
        return [field, value](std::vector<uint8_t>& image) { Put16(image.data() + field, value); };
    };
    const auto setBoot8 = [](uint32_t field, uint8_t value) {
        return [field, value](std::vector<uint8_t>& image) { image[field] = value; };
    };
    const auto rename = [](size_t index, const char* name) {
        return [index, name](std::vector<uint8_t>& image) {
            std::copy(name, name + kShortNameBytes, RootEntry(image, index));
        };
    };
    const std::string outside = ", outside the disk's clusters 2 to 2848";
    const std::string geometry = "its boot sector gives an impossible geometry: ";
    const std::string onlyFat = ", which is not read: only FAT12 and FAT16 volumes are";
    const Row rows[] = {
        {"a chain that leaves the disk", [&](auto& i) { SetFat12Entry(fat(i), 3, 2849); },
         "A.TXT: its cluster chain leads to cluster 2849" + outside},
        {"a chain that starts outside the disk",
         [](auto& i) { Put16(RootEntry(i, 1) + kEntryCluster, 1); },
         "A.TXT: its cluster chain starts at cluster 1" + outside},
        {"a chain that crosses another file's",
         [](auto& i) { Put16(RootEntry(i, 2) + kEntryCluster, 3); },
         "B.TXT: its cluster chain crosses that of A.TXT at cluster 3"},
        {"a folder that holds itself",
         [](auto& i) {
             Put16(i.data() + kDirCluster + 64 + kEntryCluster, 6);
             i[kDirCluster + 64 + kEntryAttributes] = kAttributeDirectory;
         },
         "DIR/C.TXT: its cluster chain crosses that of DIR at cluster 6"},
        {"a chain through a free cluster", [&](auto& i) { SetFat12Entry(fat(i), 2, 0); },
         "A.TXT: its cluster chain holds cluster 2, which the FAT marks free"},
        {"a chain through a bad cluster", [&](auto& i) { SetFat12Entry(fat(i), 2, 0xFF7); },
         "A.TXT: its cluster chain holds cluster 2, which the FAT marks bad"},
        {"a file larger than its chain", setSize(1025),
         "A.TXT: 1025 bytes long, but its cluster chain holds 1024"},
        {"a file shorter than its chain", setSize(512),
         "A.TXT: 512 bytes long, but its cluster chain holds 2 clusters of 512 bytes"},
        {"two entries of one name but for case",
         [&](auto& i) {
             rename(2, "A       TXT")(i);
             RootEntry(i, 2)[kEntryCase] = kLowerCaseBase;
         },
         "the root folder: holds two entries named a.TXT"},
        {"a separator in a name", rename(2, "..\\X    TXT"),
         "the root folder: holds an entry named \"..\\X.TXT\", which no folder can take"},
        {"a folder named ..", [&](auto& i) { rename(3, "..         ")(i); },
         "the root folder: holds an entry named \"..\", which no folder can take"},
        {"a control character in a name", rename(2, "\x01T      TXT"),
         "the root folder: holds an entry named \"\\x01T.TXT\", which no folder can take"},
        {"no jump", setBoot8(kBootJump, 0),
         "no FAT disk: its boot sector does not begin with a jump"},
        {"500-byte sectors", setBoot16(kBootBytesPerSector, 500),
         geometry + "500 bytes per sector"},
        {"3 sectors per cluster", setBoot8(kBootSectorsPerCluster, 3),
         geometry + "3 sectors per cluster"},
        {"clusters of 64K", setBoot8(kBootSectorsPerCluster, 128),
         geometry + "128 sectors per cluster"},
        {"no FAT", setBoot8(kBootFatCount, 0),
         geometry + "1 reserved sectors, 0 FATs, 224 root directory entries"},
        {"a FAT of no size", setBoot16(kBootSectorsPerFat, 0),
         "a FAT32 volume (its boot sector gives no FAT size of 16 bits)" + onlyFat},
        {"FAT32, told before its root entries",
         [](auto& i) {
             Put16(i.data() + kBootSectorsPerFat, 0);
             Put16(i.data() + kBootRootEntries, 0);
         },
         "a FAT32 volume (its boot sector gives no FAT size of 16 bits)" + onlyFat},
        {"a FAT too small for the clusters", setBoot16(kBootSectorsPerFat, 8),
         geometry + "a FAT of 8 sectors cannot hold 2849 clusters"},
        {"a root folder past the disk", setBoot16(kBootRootEntries, 0xFFFF),
         geometry + "its FATs and root directory run past the disk's 2880 sectors"},
        {"a media byte of none", setBoot8(kBootMedia, 0x12), geometry + "media descriptor 18"},
        {"FAT16 clusters in a FAT12 FAT", setBoot16(kBootSectors, 40000),
         geometry + "a FAT of 9 sectors cannot hold 39967 clusters"},
        {"FAT32 clusters",
         [](auto& i) {
             Put16(i.data() + kBootSectors, 0);
             Put32(i.data() + kBootLargeSectors, 65525 + 33);
         },
         "a FAT32 volume by its 65525 clusters" + onlyFat},
        {"a size beyond the reader's",
         [](auto& i) {
             Put16(i.data() + kBootSectors, 0);
             Put32(i.data() + kBootLargeSectors, 0xFFFFFFFF);
         },
         "its boot sector declares a volume of 2199023255040 bytes, more than the 167772160 (160 "
         "MiB) an image may hold here; copy its files into a folder (mcopy -s -i IMAGE :: FOLDER, "
         "or mount it) and give the folder"},
        {"exFAT", [](auto& i) { std::copy_n("EXFAT   ", 8, i.begin() + kBootOemName); },
         "an exFAT volume" + onlyFat},
        {"NTFS", [](auto& i) { std::copy_n("NTFS    ", 8, i.begin() + kBootOemName); },
         "an NTFS volume" + onlyFat},
        {"a partition table",
         [](auto& i) {
             std::fill_n(i.begin(), 446, 0);
             AddPartition(i, 1, 0x0E, 63);
         },
         "a partitioned image: its first sector holds a partition table (partition 2, of type "
         "0x0E, starts at sector 63); give that partition alone, cut out as dd if=IMAGE "
         "of=PARTITION.IMG bs=512 skip=63 count=1"},
        {"a partition table behind a jump",
         [](auto& i) {
             Put16(i.data() + kBootBytesPerSector, 0);
             AddPartition(i, 0, 0x06, 1);
         },
         "a partitioned image: its first sector holds a partition table (partition 1, of type "
         "0x06, starts at sector 1); give that partition alone, cut out as dd if=IMAGE "
         "of=PARTITION.IMG bs=512 skip=1 count=1"},
        {"a TeleDisk image", [](auto& i) { std::copy_n("TD\0\x15", 4, i.begin()); },
         "a TeleDisk image, not a raw sector image: expand or convert it first"},
        {"a gzipped image", [](auto& i) { std::copy_n("\x1F\x8B\x08", 3, i.begin()); },
         "a gzip file, not a raw sector image: expand or convert it first"},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> image = KnownImage();
        row.apply(image);
        FatDisk disk;
        std::string why;
        EXPECT_FALSE(ReadFatImage(image.data(), image.size(), disk, why)) << row.damage;
        EXPECT_EQ(why, row.why) << row.damage;
        EXPECT_TRUE(disk.files.empty()) << row.damage;
    }
}

} // namespace
