#pragma once

#include "check.h"

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

// The path of relative (components separated by "\" or "/") below dir, each component
// matched ignoring letter case as the target file system would; empty when one is missing.
std::string FindIgnoringCase(const std::string& dir, const char* relative);

bool IsRegularFile(const std::string& path, uint64_t* size = nullptr);

// dir and relative joined with "/" separators.
std::string JoinPath(const std::string& dir, const char* relative);
