#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MediaWarning {
    uint32_t line; // 0: the media as a whole
    std::string text;
};

// Checks the loaded catalogue against a media folder as the installer would find it: the
// follow-on setup, every listed source, and the compressed marks against the files' format.
// fileLines holds the script line of each file entry.
std::vector<MediaWarning> CheckMedia(const char* mediaDir, const std::vector<uint32_t>& fileLines);

// The path of relative (components separated by "\" or "/") below dir, each component
// matched ignoring letter case as the target file system would; empty when one is missing.
std::string FindIgnoringCase(const std::string& dir, const char* relative);
