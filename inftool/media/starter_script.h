#pragma once

#include "formats/floppy.h"

#include <cstdint>
#include <string>
#include <vector>

// The first script of a package, made from a folder of originals: what inftool init writes.
// The folder's own files and those of its WINDOWS folder go to the Windows directory (1),
// those of TWAIN_32 or TWAIN to TWAIN_32 (2); names match ignoring case, as build finds them.

struct StarterFile {
    std::string path; // below the folder, "/"-separated, as found: for messages
    std::string name; // its name, the entry's destination name
    uint16_t dir;     // 1 the Windows directory, 2 TWAIN_32
    uint64_t size;
    uint64_t packedSize; // in the compressed format
    bool compressed;
    uint16_t disk;
};

struct StarterPlan {
    std::vector<StarterFile> files; // in the order of [Files]
    std::string twainFolder;        // the [Dirs] name of 2: "TWAIN_32" or "TWAIN"; "" for none
    uint16_t disks = 1;
};

// Finds the originals below folder. False, with one error per offending path, for another
// subfolder, a name that a script and a FAT disk cannot hold as 8.3, a name given twice for
// one destination, or more files than a script lists.
bool FindOriginals(const std::string& folder, StarterPlan& plan, std::vector<std::string>& errors);

// The name of an original in the compressed format: its extension's last character, or one
// more, "_" ("A.DLL" "A.DL_", "A.DS" "A.DS_", "README" "README._").
std::string CompressedName(const std::string& name);

// Compresses what takes fewer clusters of format compressed, unless its compressed name is
// another file's of its folder; spreads the files over as many disks as they need, the first
// also holding ownFiles (the installer, the script, the main setup), each further disk opened
// by a compressed entry, since the installer asks for a disk only then. False, with why, when
// a file fits no disk or the disks are more than a script lists.
bool PlanDisks(const DiskFormat& format, const std::vector<SizedFile>& ownFiles, StarterPlan& plan,
               std::string& why);

// The script, CR LF lines, with appName as the placeholder of the application's name.
std::string StarterScriptText(const std::string& appName, const StarterPlan& plan);
