#pragma once

#include "media/source_disk.h"
#include "platform/folder.h"

#include <filesystem>
#include <string>
#include <vector>

// The disks a name given to import or check --media holds, whatever it arrives in. A folder
// and a raw FAT image are one disk each; so is a floppy image in a container (ImageDisk,
// TeleDisk, CopyQM), whose sectors go through the FAT reader as a raw image's do. An archive
// or CD image (zip, 7-Zip, tar and its compressed forms, ISO 9660) is read whole into memory;
// below the folder it holds alone, if any:
//   - a root that holds SETUP.INF is one disk that holds the whole set (wholeSet);
//   - a root at which a folder holds SETUP.INF, or whose files are all disk images (or
//     archives, which are refused), holds one disk in each folder and in each file, named
//     NAME/PATH;
//   - any other root is one disk.
// A disk image in an archive must not be an archive itself.

// Where floppy images are copied for libdsk, made when first needed: beside the output under
// a staging name (import), or in the system's temporary folder when nothing is written.
struct Scratch {
    const OutPath* beside = nullptr; // the output; none for the system's temporary folder
    std::filesystem::path folder;    // empty until made
    std::string staged;              // its name beside the output
};
void DropScratch(Scratch& scratch);

// False, with why (one line, which does not repeat the name), when name cannot be read, is
// damaged or refused; a build without libdsk and libarchive refuses every container by name.
bool ReadDisksOf(const std::string& name, Scratch& scratch, std::vector<SourceDisk>& disks,
                 std::string& why);
