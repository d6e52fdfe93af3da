#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// build's media in memory: every file of every disk, before anything is written.

struct MediaFile {
    std::string path; // inside its disk folder, "/"-separated
    std::vector<uint8_t> bytes;
    uint64_t originalSize; // before compression; bytes.size() for a copy
    uint32_t line;         // the script line of its entry; 0 for the installer's own files
    int64_t modified;      // of the file it was read from, in seconds since 1970
    std::string from;      // the file it was read from; empty when made in memory
};

struct DiskLayout {
    uint16_t number;
    std::string folder; // inside OUT: "" when there is one disk, else "DISK<n>"
    std::string name;   // in [Disks]; "" when it has none
    std::vector<MediaFile> files;
};

// One disk being laid out. Names compare ignoring case, as on the disk itself, so a folder
// keeps the spelling it was first given.
struct DiskBuilder {
    DiskLayout layout;
    std::map<std::string, std::string> folders; // folded -> spelt
    std::map<std::string, size_t> files;        // folded path -> index in layout.files

    // The folders of parts, "/"-separated, each as it was first spelt.
    std::string SpellFolder(const std::vector<std::string>& parts);

    // False, naming the other user of the path, when it is taken by other bytes or a folder.
    bool Add(MediaFile file, std::string& clash);
};

struct BuildInputs {
    std::string script;              // the path of the source
    std::vector<uint8_t> scriptText; // what goes onto the disk: the source as build writes it
    std::string originals;
    std::string setup;
    std::string followOn;
};

struct LayoutError {
    uint32_t line; // 0: no script line
    std::string text;
};

// Lays out the media of the loaded catalogue: compressed entries compressed, plain ones
// copied, the installer, the script's text and the follow-on setup on the start disk. False, with
// every error found, when the media cannot be laid out.
bool PlanMedia(const BuildInputs& inputs, const std::vector<uint32_t>& fileLines,
               std::vector<DiskLayout>& disks, std::vector<LayoutError>& errors);

// The laid-out disks as the one tree of a CD, numbered as the start disk: the same path on two
// disks is one file when it holds the same bytes. False, with every error found, when two
// disks hold one path with other contents, or a name would not keep its spelling on the CD.
bool PlanCd(std::vector<DiskLayout>& disks, std::vector<LayoutError>& errors);
