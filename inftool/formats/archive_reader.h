#pragma once

#include "formats/fat_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The members of an archive or CD image, read through libarchive into memory: zip, 7-Zip,
// tar (plain or compressed with gzip, bzip2 or xz) and ISO 9660 with its Joliet or Rock Ridge
// names. No other format and no filter that runs a program is enabled, and nothing is
// written to the disk.

struct ArchiveMember {
    std::string path; // "/"-separated, relative, without "." and without a trailing "/"
    bool folder;
    std::vector<uint8_t> bytes;
    int64_t modified; // in seconds since 1970; -1 when the archive keeps none
};

// A member holds at most what the FAT reader takes (160 MiB), all members together at most
// a little more than a CD.
constexpr uint64_t kMaxMemberBytes = kMaxFatImageBytes;
constexpr uint64_t kMaxArchiveBytes = 1024u * 1024u * 1024u;
constexpr size_t kMaxArchiveMembers = 100000;

// False, with why (one line naming the member concerned, if any), when the archive is
// damaged or of no format read here, or a member is refused: a name that leads out of the
// archive (an absolute one, "..") or is empty, a link or device, an encrypted member, or one
// that holds or claims more than the limits above.
bool ReadArchiveFile(int fd, std::vector<ArchiveMember>& members, std::string& why);
bool ReadArchiveBytes(const uint8_t* data, size_t size, std::vector<ArchiveMember>& members,
                      std::string& why);
