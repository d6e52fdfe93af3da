#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The sectors of a floppy image kept in a container of records (ImageDisk, TeleDisk with or
// without its advanced compression, CopyQM), read through libdsk into the order of a raw
// sector image, for the FAT reader.
//
// libdsk, left to judge a file itself, acts on its name (a name "fork:..." starts a program),
// opens a folder as a CP/M disk, opens its input for writing and unpacks compressed images
// under $TMPDIR. So it is only ever given copy, a file of the caller's own under an absolute
// name of its own, read with the drivers of these three formats named one by one, and its
// temporary files go to tempFolder. It runs in a child process, so that a crash of the
// library on a damaged image is an error like any other.

// False, with why (one line), when no driver takes the file, or it is damaged, holds no DOS
// boot sector whose geometry libdsk reads, or more than the FAT reader takes.
bool ReadDskImage(const std::string& copy, const std::string& tempFolder,
                  std::vector<uint8_t>& sectors, std::string& why);
