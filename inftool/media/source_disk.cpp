#include "media/source_disk.h"

#include "formats/fat_image.h"
#include "formats/fat_names.h"
#include "formats/fat_reader.h"
#include "platform/files.h"

#include "transfer/copy_rules.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool Add(SourceDisk& disk, SourceFile file, std::string& why) {
    // What import writes must land where its path says, on Windows too: no device name.
    for (const std::string& part : PathParts(file.path)) {
        if (IsPlainFileName(part.c_str())) continue;
        why = "holds " + file.path + ", a name no Windows folder can take";
        return false;
    }
    const auto [at, added] = disk.byFoldedPath.emplace(FoldedName(file.path), disk.files.size());
    if (!added) {
        why = "holds both " + disk.files[at->second].path + " and " + file.path +
              ", which a FAT disk cannot tell apart";
        return false;
    }
    disk.files.push_back(std::move(file));
    return true;
}

// In the order of the paths, whatever order the host lists them in.
bool ReadFolder(const fs::path& root, SourceDisk& disk, std::string& why) {
    std::error_code error;
    std::map<std::string, fs::path> paths;
    fs::recursive_directory_iterator entry(root, error), end;
    for (; !error && entry != end; entry.increment(error))
        if (entry->is_regular_file(error))
            paths.emplace(fs::relative(entry->path(), root, error).generic_string(), entry->path());
    if (error) {
        why = "cannot read: " + error.message();
        return false;
    }
    for (const auto& [path, host] : paths) {
        SourceFile file{path, {}, -1};
        std::string readWhy;
        if (!ModifiedTime(host.string().c_str(), file.modified, readWhy)) file.modified = -1;
        if (!ReadWholeFile(host.string().c_str(), file.bytes, readWhy)) {
            why = path + ": cannot read: " + readWhy;
            return false;
        }
        if (!Add(disk, std::move(file), why)) return false;
    }
    return true;
}

bool ReadImage(const std::string& name, SourceDisk& disk, std::string& why) {
    std::vector<uint8_t> image;
    if (!ReadWholeFile(name.c_str(), image, why, kMaxFatImageBytes)) {
        why = "cannot read: " + why;
        return false;
    }
    FatDisk fat;
    if (!ReadFatImage(image.data(), image.size(), fat, why)) return false;
    for (FatFile& file : fat.files) {
        int64_t modified = -1;
        if (!SecondsOfFatTime(file.written, modified)) modified = -1;
        if (!file.folder && !Add(disk, {file.path, std::move(file.bytes), modified}, why))
            return false;
    }
    return true;
}

} // namespace

size_t SourceDisk::Find(const std::string& path) const {
    std::string joined;
    for (const std::string& part : PathParts(path))
        joined += (joined.empty() ? "" : "/") + part;
    const auto found = byFoldedPath.find(FoldedName(joined));
    return found == byFoldedPath.end() ? kNone : found->second;
}

bool ReadSourceDisk(const std::string& name, SourceDisk& disk, std::string& why) {
    disk = SourceDisk{name, {}, {}};
    std::error_code error;
    if (fs::is_directory(name, error)) return ReadFolder(name, disk, why);
    return ReadImage(name, disk, why);
}
