#pragma once

#include "media/script_check.h"
#include "media/source_disk.h"

#include <cstdint>
#include <string>
#include <vector>

// One disk of the media as check finds it: a folder, or an image (raw, in a floppy container,
// or a CD image or archive of one tree) read whole through import's reader, with no mount.
struct MediaDisk {
    std::string path; // as given
    bool image = false;
    SourceDisk contents; // an image's files
};

// Each path as a disk. False, with why naming the path, when one is neither a folder nor an
// image the reader takes.
bool OpenMedia(const std::vector<std::string>& paths, std::vector<MediaDisk>& disks,
               std::string& why);

// Checks the loaded catalogue against the media as the installer would find them: the
// follow-on setup, every listed source, the compressed marks against the files' format,
// files of one name that differ between disks, and the space MinHDSpace declares; and
// expands every compressed source in memory against the length its header gives.
// disks holds one disk for all, or one per disk in use in the order of DisksInUse.
struct MediaReport {
    std::vector<Warning> warnings;
    // A compressed source that does not expand, naming the disk and the file.
    std::vector<Warning> errors;
    // "DIR/setup.exe: note: signed" or "... not signed" for the installer on the start disk;
    // empty when there is none, or when it is no PE program (a warning then).
    std::string note;
};
MediaReport CheckMedia(const std::vector<MediaDisk>& disks, const ScriptReport& script);

// The same for folders, as build checks what it wrote.
MediaReport CheckMedia(const std::vector<std::string>& folders, const ScriptReport& script);
