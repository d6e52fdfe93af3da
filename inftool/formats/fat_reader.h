#pragma once

#include "formats/fat_format.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A raw sector image of a FAT12 or FAT16 volume, read without mounting it: the geometry its
// boot sector gives, the FAT and every directory. An image may come from anywhere, so every
// number in it is checked against the others before it is followed, and each cluster may
// belong to one file or folder only; a damaged image is refused whole rather than read in part.

// Far above any FAT12 disk (4084 clusters of 32K, with room to spare for its FATs); FAT16
// volumes are read up to this size.
constexpr uint64_t kMaxFatImageBytes = 160u * 1024u * 1024u;

struct FatGeometry {
    uint32_t bytesPerSector;
    uint32_t sectorsPerCluster;
    uint32_t reservedSectors;
    uint32_t fatCount;
    uint32_t rootEntries;
    uint32_t sectors; // in all
    uint32_t sectorsPerFat;
    uint8_t media;
    uint32_t rootSector;      // the first of the root directory
    uint32_t firstDataSector; // that of cluster 2
    uint32_t clusters;        // 2 to clusters + 1
    uint32_t fatBits;         // 12 or 16, as the count of clusters makes it
};

struct FatFile {
    std::string path; // "/"-separated; the long names where the disk has them
    bool folder;
    std::vector<uint8_t> bytes; // a file's
    FatTime written;
};

struct FatDisk {
    FatGeometry geometry;
    std::string label;          // the root's volume label without its padding; "" for none
    std::vector<FatFile> files; // a folder comes before what it holds
    // The paths of files whose names are no text of their code page (the OEM code page of the
    // run for short names, UTF-16 for long ones), as read with "_" for what is not.
    std::vector<std::string> unreadable;
};

// The geometry of the boot sector at the start of size bytes. False, with why, when they are
// no FAT12 or FAT16 volume (a partition table, FAT32, exFAT and NTFS named) or its geometry is
// impossible; the image may be shorter than it declares.
bool ReadFatGeometry(const uint8_t* image, size_t size, FatGeometry& geometry, std::string& why);

// Every file and folder of the image. False, with why (one line that names the file or folder
// concerned, if any), when it is another image format (named), no FAT12 or FAT16 volume, or
// damaged: a cluster chain that loops, leaves the disk, meets a free or bad cluster or
// another's chain, or holds fewer or more clusters than its file's length; a name no folder
// of the host can take (a control character, ".", "..", a separator); two entries of one
// name. Names are UTF-8: short ones read through the OEM code page of the run.
bool ReadFatImage(const uint8_t* image, size_t size, FatDisk& disk, std::string& why);
