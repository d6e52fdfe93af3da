#pragma once

#include "formats/fat_image.h"

#include <cstdint>
#include <string>
#include <vector>

// One tree as a CD image: ISO 9660 level 1 names, the ones the installer looks its files up
// by, with Joliet names beside them that keep the spelling's case; no Rock Ridge. libarchive
// writes it; every time in it is then set to one, in UTC, so that the same files give the
// same bytes.

constexpr uint32_t kCdSectorBytes = 2048;
constexpr uint32_t kCdSectors = 360000; // a 700 MB CD
constexpr size_t kCdVolumeChars = 16;   // as many as a Joliet volume name holds
constexpr size_t kCdFolderDepth = 7;    // below the root, as level 1 allows
constexpr char kIsoWriterMissing[] = "this build writes raw images and folders; ISO needs the "
                                     "Linux build";

// Whether this build writes CD images at all (the Windows build has no libarchive).
bool CanWriteIso();

// Whether level 1 records part as it is spelt, but for case: at most eight letters, digits
// and "_", then for a file at most three more after one dot. libarchive turns any other
// character ("-", "~", "$") into "_" and cuts a longer name, so the installer would not
// find it under the script's name.
bool IsLevelOneName(const std::string& part, bool folder);

// volume: printable ASCII, at most kCdVolumeChars. files: each path "/"-separated, every part
// a level-1 name. False, with why, when libarchive cannot write it or it outgrows kCdSectors.
bool MakeIsoImage(const std::vector<ImageFile>& files, const std::string& volume, int64_t seconds,
                  std::vector<uint8_t>& image, std::string& why);
