#pragma once

#include "media/script_check.h"

#include <cstdint>
#include <string>
#include <vector>

// Checks the loaded catalogue against the media as the installer would find them: the
// follow-on setup, every listed source, the compressed marks against the files' format,
// files of one name that differ between disks, and the space MinHDSpace declares.
// folders holds one folder for all disks, or one per disk in use in the order of DisksInUse.
struct MediaReport {
    std::vector<Warning> warnings;
    // "DIR/setup.exe: note: signed" or "... not signed" for the installer on the start disk;
    // empty when there is none, or when it is no PE program (a warning then).
    std::string note;
};
MediaReport CheckMedia(const std::vector<std::string>& folders, const ScriptReport& script);
