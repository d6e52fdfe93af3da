#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a disk holds, counted as a FAT12 floppy counts it: every file and every folder in
// whole clusters, and a root directory of a fixed number of entries.
struct DiskFormat {
    uint64_t capacity;    // data bytes; 0: no limit
    uint32_t cluster;     // bytes
    uint32_t rootEntries; // entries the root directory holds; 0: no limit
};

constexpr DiskFormat kUnlimitedDisk{0, 512, 0};

// "1.44M", "1.2M", "720K", "360K", or a byte count (512-byte clusters, no entry limit).
bool ParseDiskSize(const char* text, DiskFormat& format);

struct SizedFile {
    std::string path; // inside the disk, "/"-separated, folders spelt alike throughout
    uint64_t size;
};

struct DiskUsage {
    uint64_t usedBytes;   // the clusters of all files and folders
    uint32_t rootEntries; // directory entries of the root
};

DiskUsage MeasureDisk(const std::vector<SizedFile>& files, const DiskFormat& format);
