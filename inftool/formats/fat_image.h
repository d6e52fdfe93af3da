#pragma once

#include "formats/floppy.h"

#include <cstdint>
#include <string>
#include <vector>

// One disk as a FAT12 floppy image, made whole in memory: a boot sector that only says it is
// not a startup disk, two FATs, the root directory and the data area, each file and folder in
// consecutive clusters, every timestamp the same.

constexpr uint16_t kFat12EndOfChain = 0xFFF;

struct FatTime {
    uint16_t date; // (year - 1980) << 9 | month << 5 | day
    uint16_t time; // hour << 11 | minute << 5 | second / 2
};

// Seconds since 1970 as FAT keeps them: UTC to 2 seconds, from 1980-01-01 to 2107-12-31.
FatTime FatTimeOf(int64_t seconds);

// A file of the image: its path inside the disk, "/"-separated, and its bytes.
struct ImageFile {
    std::string path;
    const std::vector<uint8_t>* bytes;
};

// Sets the entry of cluster in a FAT12 table: 12 bits, two entries in three bytes.
void SetFat12Entry(uint8_t* fat, uint32_t cluster, uint16_t value);

// label: from VolumeLabel. False, with why, when the files exceed the floppy or a path is
// taken twice.
bool MakeFatImage(const FloppyGeometry& geometry, const std::vector<ImageFile>& files,
                  const std::string& label, FatTime time, std::vector<uint8_t>& image,
                  std::string& why);
