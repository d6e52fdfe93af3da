#pragma once

#include "layout.h"

#include <filesystem>
#include <string>
#include <vector>

// Puts build's media in OUT whole or not at all: every file is written into a temporary
// folder beside OUT, which then takes OUT's place.

struct OutFolder {
    std::filesystem::path path;
    bool replaced; // OUT exists with content that the build replaces (--force)
};

// False, with why, when OUT cannot take the build: it is not a folder, it is not empty and
// replace is false, it holds one of the inputs, or its parent folder does not exist.
bool PrepareOut(const std::string& out, bool replace, const std::vector<std::string>& inputs,
                OutFolder& folder, std::string& why);

// False, with why and nothing left behind, when the media cannot be written.
bool WriteMedia(const OutFolder& out, const std::vector<DiskLayout>& disks, std::string& why);
