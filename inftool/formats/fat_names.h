#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// How a FAT directory keeps a name: one 8.3 entry, or long-name entries of 13 characters each
// before the entry of a generated short name.

constexpr uint32_t kDirEntryBytes = 32;
constexpr uint32_t kShortNameBytes = 11;
constexpr uint8_t kLowerCaseBase =
    0x08; // byte 12: Windows NT and later show the part in lower case
constexpr uint8_t kLowerCaseExtension = 0x10;
constexpr uint32_t kLongNameCharsPerEntry = 13;
constexpr uint8_t kLongNameAttributes = 0x0F;
constexpr uint8_t kLongNameOrdinal = 0x1F; // of the first byte; 1 for the first 13 characters
constexpr uint8_t kLastLongNameEntry = 0x40;
constexpr uint32_t kLongNameChecksum = 13; // the offset of the short name's checksum

// name with its ASCII letters upper-cased: FAT takes names that differ only so for one.
std::string FoldedName(const std::string& name);

// UTF-8 of at most 255 characters, none of them a control character or one that FAT keeps
// out of names.
bool IsFatName(const std::string& name);

// An 8.3 name whose base and extension are each of one case: it takes one entry.
bool IsShortName(const std::string& name);

// How a name (UTF-8) is kept: oem, the name in the OEM code page of the run (OemCodePage),
// each character it lacks as "_"; whole, when none is lacking; units, its UTF-16.
struct FatNameForm {
    std::string oem;
    bool whole;
    std::vector<uint16_t> units;
    bool shortOnly; // an 8.3 name in the OEM code page: one entry, no long name
};
FatNameForm FormOfName(const std::string& name);

// The directory entries that name (UTF-8) takes.
uint32_t EntriesOfName(const std::string& name);

// A FAT name (UTF-16 of a long name, or the OEM bytes of a short one) as UTF-8; false, with
// name spelt with "_" for what cannot be read, when it is no text.
bool Utf8OfUnits(const uint16_t* units, size_t count, std::string& name);
bool Utf8OfOem(const std::string& oem, std::string& name);

struct ShortName {
    char bytes[kShortNameBytes]; // upper case, base and extension blank-padded, no dot
    uint8_t caseFlags;           // kLowerCaseBase, kLowerCaseExtension
};

// The entry of a name that IsShortName accepts.
ShortName ShortFormOf(const std::string& name);

// The short name of a long name, as Windows makes it: its 8.3 basis where that loses nothing
// and is free, else the basis cut to make room for "~N", with the first N not in taken. taken
// holds the 11 bytes of each short name already in the directory.
ShortName GeneratedShortName(const std::string& name, const std::set<std::string>& taken);

// A [Disks] name (in the ANSI code page of the run) as a volume label in its OEM code page:
// upper case, cut to whole characters and blank-padded to 11 bytes, "_" for each character a
// label cannot hold; "DISK<number>" for a disk without a name.
std::string VolumeLabel(const std::string& diskName, uint16_t number);

uint8_t LongNameChecksum(const char (&shortName)[kShortNameBytes]);

// Fills entry with the long-name entry number ordinal (1 for the first 13 UTF-16 units).
void FillLongNameEntry(const std::vector<uint16_t>& units, uint32_t ordinal, uint8_t checksum,
                       uint8_t* entry);

// The UTF-16 units of a long-name entry, its 13 characters as they stand.
void ReadLongNameEntry(const uint8_t* entry, uint16_t (&units)[kLongNameCharsPerEntry]);

// The name an 8.3 entry shows: its base, then "." and its extension when it has one, without
// the padding blanks, each part in lower case where the entry's case byte says so. The bytes
// are those of the OEM code page, but for the 05 that stands for a first byte E5.
std::string NameOfShortEntry(const uint8_t* entry);
