#pragma once

#include "formats/fat_format.h"
#include "formats/floppy.h"

#include <cstdint>
#include <string>
#include <vector>

// One disk as a FAT12 floppy image, made whole in memory: a boot sector that only says it is
// not a startup disk, two FATs, the root directory and the data area, each file and folder in
// consecutive clusters, every timestamp the same.

// Seconds since 1970 as FAT keeps them: UTC to 2 seconds, from 1980-01-01 to 2107-12-31.
FatTime FatTimeOf(int64_t seconds);

// The seconds since 1970 of a FAT time, taken as UTC as FatTimeOf makes it. False for a date
// no calendar has (month 13, day 0).
bool SecondsOfFatTime(FatTime time, int64_t& seconds);

// A file of the image: its path inside the disk, "/"-separated, and its bytes.
struct ImageFile {
    std::string path;
    const std::vector<uint8_t>* bytes;
};

// label: from VolumeLabel. False, with why, when the files exceed the floppy or a path is
// taken twice.
bool MakeFatImage(const FloppyGeometry& geometry, const std::vector<ImageFile>& files,
                  const std::string& label, FatTime time, std::vector<uint8_t>& image,
                  std::string& why);
