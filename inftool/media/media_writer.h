#pragma once

#include "media/layout.h"
#include "platform/identity.h"
#include "platform/replace.h"

#include <string>
#include <vector>

// Puts build's media in OUT whole or not at all: every file is written into a temporary
// folder beside OUT, which then takes OUT's place. A disk's image is OUT/DISK<n>.IMG, beside
// its folder, or OUT.IMG, beside OUT, when OUT is the only disk. OUT and OUT.IMG are one set:
// a failure leaves both old, a stop each old or new, and the next run beside OUT removes what
// it left. OUT is resolved once, and every look and write goes through its folder.

// What the writer does with OUT.IMG and OUT.ISO: writes the one (kWritten) or the other
// (kWrittenIso), refuses to leave an older one beside new media, or pays them no heed (import,
// which writes no image).
enum class ImageBeside { kWritten, kWrittenIso, kNone, kIgnored };

struct OutFolder {
    OutPath out;
    bool replace = false;
    ImageBeside image = ImageBeside::kIgnored;
    std::string imageNames[2]; // OUT.IMG's and OUT.ISO's names beside OUT
    bool replaced = false; // OUT exists with content that the build replaces (--force)
    bool imageReplaced = false;
};

// False, with why, when OUT cannot be resolved (its folder does not exist), or it, or OUT.IMG
// or OUT.ISO unless image is kIgnored, is one of inputs, holds one or lies inside one read whole, or
// MayTakeOut refuses it as it stands. Nothing is written.
bool PrepareOut(const std::string& out, bool replace, ImageBeside image,
                const std::vector<InputPath>& inputs, const char* command, OutFolder& folder,
                std::string& why);

// Locks OUT's set, holds stops and repairs what a stopped run left; false, with why, when that
// fails.
bool ClaimOut(const OutFolder& folder, std::string& why);

// Once claimed: false, with why, when OUT (or its image) cannot be taken: it is not a folder (a
// file), it is not empty and replace is false; by image, when OUT.IMG or OUT.ISO is there and
// would not be replaced.
bool MayTakeOut(OutFolder& folder, std::string& why);

// The media written beside OUT, not yet in its place.
struct StagedMedia {
    std::vector<StagedName> set; // OUT's, then its image's when the build writes one
    Folder root;                 // OUT's staged folder
    std::string path;            // a path that reaches it, for readers and to rename messages
};

// Writes the media beside OUT. images: none, or one for each disk. False, with why and
// nothing left behind, when they cannot be written.
bool StageMedia(const OutFolder& out, const std::vector<DiskLayout>& disks,
                const std::vector<std::vector<uint8_t>>& images, StagedMedia& staged,
                std::string& why);

// Puts staged media in OUT's place, and its image's, as one set.
Placed PutMediaInPlace(const OutFolder& out, StagedMedia& staged, std::string& why);

void DiscardStagedMedia(const OutFolder& out, StagedMedia& staged);
