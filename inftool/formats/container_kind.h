#pragma once

#include <cstddef>
#include <cstdint>

// What a disk's file is, judged from its first bytes, never from its name: a raw sector image,
// a floppy image in a container of records (read through libdsk), or an archive or CD image
// (read through libarchive).

enum class ContainerClass { kRaw, kFloppy, kArchive };

struct ContainerKind {
    ContainerClass container;
    const char* name; // "an ImageDisk image"; nullptr for kRaw
};

// Enough of the start of a file to tell every kind: an ISO 9660 volume names itself in its
// 17th sector of 2048 bytes.
constexpr size_t kContainerSniffBytes = 16 * 2048 + 6;

ContainerKind ContainerKindOf(const uint8_t* data, size_t size);
