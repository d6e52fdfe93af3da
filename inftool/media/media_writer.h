#pragma once

#include "media/layout.h"

#include <filesystem>
#include <string>
#include <vector>

// Puts build's media in OUT whole or not at all: every file is written into a temporary
// folder beside OUT, which then takes OUT's place. A disk's image is OUT/DISK<n>.IMG, beside
// its folder, or OUT.IMG, beside OUT, when OUT is the only disk.

struct OutFolder {
    std::filesystem::path path;
    bool replaced;               // OUT exists with content that the build replaces (--force)
    std::filesystem::path image; // OUT.IMG when the build writes it; empty otherwise
};

// False, with why, when OUT cannot take the build: it is not a folder, it is not empty and
// replace is false, it holds one of the inputs, or its parent folder does not exist; and with
// imageBeside, when OUT.IMG is there and replace is false, is not a file, or is an input.
bool PrepareOut(const std::string& out, bool replace, bool imageBeside,
                const std::vector<std::string>& inputs, OutFolder& folder, std::string& why);

// The media written beside OUT, not yet in its place.
struct StagedMedia {
    std::filesystem::path folder; // OUT's content, beside it under a free name
    std::filesystem::path image;  // OUT.IMG's, when the build writes it; empty otherwise
};

// Writes the media beside OUT. images: none, or one for each disk. False, with why and
// nothing left behind, when they cannot be written.
bool StageMedia(const OutFolder& out, const std::vector<DiskLayout>& disks,
                const std::vector<std::vector<uint8_t>>& images, StagedMedia& staged,
                std::string& why);

// Puts staged media in OUT's place, and OUT.IMG's. False, with why, the old content of OUT
// and OUT.IMG as it was and the staged media removed, when it cannot.
bool PutMediaInPlace(const OutFolder& out, const StagedMedia& staged, std::string& why);

void DiscardStagedMedia(const StagedMedia& staged);
