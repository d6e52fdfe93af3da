#pragma once

#include "formats/fat_names.h"

#include <cstdint>
#include <string>
#include <vector>

// A floppy's FAT12 format as the era's formatters wrote it. Every one has 512-byte sectors,
// one reserved sector (the boot sector) and two FATs.
struct FloppyGeometry {
    uint16_t sectors; // in all
    uint8_t sectorsPerCluster;
    uint16_t rootEntries;
    uint8_t sectorsPerTrack;
    uint8_t heads;
    uint8_t media; // the descriptor byte
    uint8_t sectorsPerFat;
};

// A floppy of floppies.def; built: one that build and init lay out, not only one import reads.
struct NamedFloppy {
    const char* name;
    bool built;
    FloppyGeometry geometry;
};

constexpr NamedFloppy kFloppies[] = {
#define FLOPPY(name, built, ...) {name, built != 0, {__VA_ARGS__}},
#include "formats/floppies.def"
#undef FLOPPY
};

// The --disk-size values, as the help of build and init gives them.
constexpr char kDiskSizeHelp[] =
    "160K, 180K, 320K, 360K, 720K, 1.2M, 1.44M, 1.68M, 2.88M or a byte count";

constexpr uint32_t kSectorBytes = 512;
constexpr uint32_t kReservedSectors = 1;
constexpr uint32_t kFatCount = 2;

constexpr uint32_t RootDirSectors(const FloppyGeometry& g) {
    return g.rootEntries * kDirEntryBytes / kSectorBytes;
}
constexpr uint32_t FirstDataSector(const FloppyGeometry& g) {
    return kReservedSectors + kFatCount * g.sectorsPerFat + RootDirSectors(g);
}
constexpr uint32_t DataClusters(const FloppyGeometry& g) {
    return (g.sectors - FirstDataSector(g)) / g.sectorsPerCluster;
}

// What a disk holds, counted as a FAT12 floppy counts it: every file and every folder in
// whole clusters, and a root directory of a fixed number of entries.
struct DiskFormat {
    uint64_t capacity;                      // data bytes; 0: no limit
    uint32_t cluster;                       // bytes
    uint32_t rootEntries;                   // entries the root directory holds; 0: no limit
    const FloppyGeometry* floppy = nullptr; // the whole format of a floppy size; null otherwise
};

constexpr DiskFormat kUnlimitedDisk{0, 512, 0};

// The name of a built floppy of kFloppies, or a byte count (512-byte clusters, no entry limit).
bool ParseDiskSize(const char* text, DiskFormat& format);

struct SizedFile {
    std::string path; // inside the disk, "/"-separated, folders spelt alike throughout
    uint64_t size;
};

struct DiskUsage {
    uint64_t usedBytes;   // the clusters of all files and folders
    uint32_t rootEntries; // directory entries of the root, the volume label's included
};

DiskUsage MeasureDisk(const std::vector<SizedFile>& files, const DiskFormat& format);

// Whether a disk of format holds what usage counts: the one rule of init's plan and build's
// table. An unlimited format holds anything.
bool DiskHolds(const DiskUsage& usage, const DiskFormat& format);
