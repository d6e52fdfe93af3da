#pragma once

#include "media/layout.h"
#include "platform/identity.h"

#include <filesystem>
#include <string>
#include <vector>

// Puts build's media in OUT whole or not at all: every file is written into a temporary
// folder beside OUT, which then takes OUT's place. A disk's image is OUT/DISK<n>.IMG, beside
// its folder, or OUT.IMG, beside OUT, when OUT is the only disk. A stop at any point leaves OUT
// and OUT.IMG each old or new, and the next run beside OUT removes what it left.

struct OutFolder {
    std::filesystem::path path;
    bool replaced;               // OUT exists with content that the build replaces (--force)
    std::filesystem::path image; // OUT.IMG when the build writes it; empty otherwise
};

// What the writer does with OUT.IMG: writes it, refuses to leave an older one beside new
// media, or pays it no heed (import, which writes no image).
enum class ImageBeside { kWritten, kNone, kIgnored };

// False, with why, when OUT cannot take the output: it is not a folder, it is not empty and
// replace is false, it is one of inputs, holds one or lies inside one read whole (whatever
// replace says), or its parent folder does not exist; and by image, when OUT.IMG is there and
// replace is false, is not a file, or is an input, or is there and would not be replaced.
bool PrepareOut(const std::string& out, bool replace, ImageBeside image,
                const std::vector<InputPath>& inputs, const char* command, OutFolder& folder,
                std::string& why);

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

// A folder made beside target under a staging name, which the next run beside target removes
// if this one is stopped before it does; empty, with why, when none can be made.
std::filesystem::path MakeFolderBeside(const std::filesystem::path& target, std::string& why);
