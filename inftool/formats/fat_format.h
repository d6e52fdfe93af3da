#pragma once

#include <cstdint>

// What a FAT12 disk keeps where, as the image writer and the image reader both take it: the
// boot sector's parameter block, the fields of a directory entry, and the 12-bit entries of
// the FAT; and the 16-bit entries of FAT16, which the reader takes too.

// Byte offsets in the boot sector; the counts of two bytes are little-endian.
enum FatBootField : uint32_t {
    kBootJump = 0, // EB xx 90 or E9 xx xx: the parameter block follows
    kBootOemName = 3,
    kBootBytesPerSector = 11,
    kBootSectorsPerCluster = 13,
    kBootReservedSectors = 14,
    kBootFatCount = 16,
    kBootRootEntries = 17,
    kBootSectors = 19, // 0: the four-byte count at kBootLargeSectors
    kBootMedia = 21,
    kBootSectorsPerFat = 22,
    kBootSectorsPerTrack = 24,
    kBootHeads = 26,
    kBootLargeSectors = 32,
    kBootExtendedSignature = 38,
    kBootSerial = 39,
    kBootLabel = 43,
    kBootFileSystemType = 54,
    kBootPartitionTable = 446, // of a partitioned disk's first sector: 4 entries of 16 bytes
    kBootMark = 510,           // 55 AA
};

// Byte offsets in a directory entry of 32 bytes.
enum FatEntryField : uint32_t {
    kEntryName = 0, // 11 bytes, base and extension blank-padded
    kEntryAttributes = 11,
    kEntryCase = 12,
    kEntryCreatedTime = 14,
    kEntryCreatedDate = 16,
    kEntryReadDate = 18,
    kEntryWrittenTime = 22,
    kEntryWrittenDate = 24,
    kEntryCluster = 26,
    kEntrySize = 28,
};

constexpr uint8_t kAttributeVolumeLabel = 0x08;
constexpr uint8_t kAttributeDirectory = 0x10;
constexpr uint8_t kAttributeArchive = 0x20;

// The first name byte: the end of the directory, an entry deleted, or a name whose first
// byte is E5 itself.
constexpr uint8_t kEntryEnd = 0x00;
constexpr uint8_t kEntryDeleted = 0xE5;
constexpr uint8_t kEntryNameE5 = 0x05;

constexpr uint32_t kFirstCluster = 2;
// Readers take a disk of more clusters for FAT16, and one of more than kFat16MaxClusters for
// FAT32.
constexpr uint32_t kFat12MaxClusters = 4084;
constexpr uint16_t kFat12BadCluster = 0xFF7;
constexpr uint16_t kFat12FirstEndMark = 0xFF8; // FF8 to FFF end a chain
constexpr uint16_t kFat12EndOfChain = 0xFFF;
constexpr uint32_t kFat16MaxClusters = 65524;
constexpr uint16_t kFat16BadCluster = 0xFFF7;
constexpr uint16_t kFat16FirstEndMark = 0xFFF8;

struct FatTime {
    uint16_t date; // (year - 1980) << 9 | month << 5 | day
    uint16_t time; // hour << 11 | minute << 5 | second / 2
};

inline uint16_t Get16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

inline uint32_t Get32(const uint8_t* at) {
    return Get16(at) | uint32_t{Get16(at + 2)} << 16;
}

inline void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

// The entry of cluster in a FAT12 table: 12 bits, two entries in three bytes.
inline uint16_t Fat12Entry(const uint8_t* fat, uint32_t cluster) {
    const uint16_t pair = Get16(fat + cluster * 3 / 2);
    return static_cast<uint16_t>(cluster % 2 == 0 ? pair & 0xFFF : pair >> 4);
}

inline void SetFat12Entry(uint8_t* fat, uint32_t cluster, uint16_t value) {
    uint8_t* at = fat + cluster * 3 / 2;
    if (cluster % 2 == 0) {
        at[0] = static_cast<uint8_t>(value);
        at[1] = static_cast<uint8_t>((at[1] & 0xF0) | (value >> 8 & 0x0F));
    } else {
        at[0] = static_cast<uint8_t>((at[0] & 0x0F) | (value << 4 & 0xF0));
        at[1] = static_cast<uint8_t>(value >> 4);
    }
}
