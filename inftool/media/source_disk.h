#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A disk of a finished set, read whole into memory from a raw FAT12 image or from a folder
// that holds its files, such as a mounted disk or a copy of one. Its files are found by path
// as the disk itself finds them, without regard to case.

struct SourceFile {
    std::string path; // "/"-separated, as the disk spells it
    std::vector<uint8_t> bytes;
    int64_t modified; // in seconds since 1970; -1 when the disk keeps no time one can read
};

struct SourceDisk {
    std::string name; // the image or folder, as given
    std::vector<SourceFile> files;
    std::map<std::string, size_t> byFoldedPath;
    bool wholeSet = false;               // a CD or archive that holds the whole set in one tree
    std::string label;                   // an image's volume label, UTF-8; "" for none
    std::vector<std::string> unreadable; // paths whose names are no text of their code page

    static constexpr size_t kNone = SIZE_MAX;
    // The index of the file at path, its parts separated by "/" or "\"; kNone when none.
    size_t Find(const std::string& path) const;
};

// A folder is read with everything below it, an image through the FAT12 reader. False, with
// why (one line that does not repeat the name), when it cannot be read, is no FAT12 image,
// is damaged, or holds two files whose names differ only in case.
bool ReadSourceDisk(const std::string& name, SourceDisk& disk, std::string& why);

// Adds a file found on the disk. False, with why, when its name is one no Windows folder can
// take, or one the disk holds already in another case.
bool AddSourceFile(SourceDisk& disk, SourceFile file, std::string& why);

// The files of a raw FAT12 or FAT16 image held in memory, added to disk.
bool ReadFatDisk(const std::vector<uint8_t>& image, SourceDisk& disk, std::string& why);

// path as a message shows it: whole, or, when long, its start and end around "...", with its
// length and depth.
std::string ShownPath(const std::string& path);

// Why path, "/"-separated, cannot be written below a folder whose full path is dirLength bytes
// long: a name longer than a folder takes, or a whole longer than the file system takes,
// less room for the temporary name the folder is written under first; "" when it can.
std::string TooLongToWrite(size_t dirLength, const std::string& path);
