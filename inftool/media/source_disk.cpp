#include "media/source_disk.h"

#include "formats/fat_image.h"
#include "formats/fat_names.h"
#include "formats/fat_reader.h"
#include "platform/files.h"

#include "transfer/copy_rules.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {} // namespace

bool AddSourceFile(SourceDisk& disk, SourceFile file, std::string& why) {
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

namespace {

// In the order of the paths, whatever order the host lists them in.
bool ReadFolder(const fs::path& root, SourceDisk& disk, std::string& why) {
    std::error_code error;
    std::map<std::string, fs::path> paths;
    std::string last; // the entry read last: where a failure to go on happened
    fs::recursive_directory_iterator entry(root, error), end;
    for (; !error && entry != end; entry.increment(error)) {
        last = entry->path().lexically_relative(root).generic_string();
        if (entry->is_regular_file(error)) paths.emplace(last, entry->path());
    }
    if (error) {
        why = (last.empty() ? "" : ShownPath(last) + ": ") + "cannot read: " + error.message();
        return false;
    }
    for (const auto& [path, host] : paths) {
        SourceFile file{path, {}, -1};
        std::string readWhy;
        if (!ModifiedTime(host.string().c_str(), file.modified, readWhy)) file.modified = -1;
        if (!ReadWholeFile(host.string().c_str(), file.bytes, readWhy)) {
            why = ShownPath(path) + ": cannot read: " + readWhy;
            return false;
        }
        if (!AddSourceFile(disk, std::move(file), why)) return false;
    }
    return true;
}

bool ReadImage(const std::string& name, SourceDisk& disk, std::string& why) {
    std::vector<uint8_t> image;
    if (!ReadWholeFile(name.c_str(), image, why, kMaxFatImageBytes)) {
        why = "cannot read: " + why;
        return false;
    }
    return ReadFatDisk(image, disk, why);
}

constexpr size_t kShownPathBytes = 120;
constexpr size_t kMaxNameBytes = 255;
// The temporary folder beside DIR takes a longer name than DIR's.
constexpr size_t kTemporaryNameRoom = 32;
#ifdef _WIN32
constexpr size_t kMaxPathBytes = 259; // MAX_PATH less its terminating null
#else
constexpr size_t kMaxPathBytes = 4095; // PATH_MAX less its terminating null
#endif

} // namespace

bool ReadFatDisk(const std::vector<uint8_t>& image, SourceDisk& disk, std::string& why) {
    FatDisk fat;
    if (!ReadFatImage(image.data(), image.size(), fat, why)) return false;
    Utf8OfOem(fat.label, disk.label);
    disk.unreadable = fat.unreadable;
    for (FatFile& file : fat.files) {
        int64_t modified = -1;
        if (!SecondsOfFatTime(file.written, modified)) modified = -1;
        if (!file.folder && !AddSourceFile(disk, {file.path, std::move(file.bytes), modified}, why))
            return false;
    }
    return true;
}

std::string ShownPath(const std::string& path) {
    if (path.size() <= kShownPathBytes) return path;
    const size_t depth = static_cast<size_t>(std::count(path.begin(), path.end(), '/'));
    return path.substr(0, kShownPathBytes / 2) + "..." +
           path.substr(path.size() - kShownPathBytes / 2) + " (" + std::to_string(path.size()) +
           " bytes, " + std::to_string(depth) + " folders deep)";
}

std::string TooLongToWrite(size_t dirLength, const std::string& path) {
    for (const std::string& part : PathParts(path))
        if (part.size() > kMaxNameBytes)
            return "a name of " + std::to_string(part.size()) + " bytes, more than the " +
                   std::to_string(kMaxNameBytes) + " a folder takes";
    const size_t room = kMaxPathBytes - std::min(kMaxPathBytes, dirLength + 1 + kTemporaryNameRoom);
    if (path.size() <= room) return "";
    return "a path of " + std::to_string(path.size()) + " bytes, more than the " +
           std::to_string(room) + " the file system takes there";
}

size_t SourceDisk::Find(const std::string& path) const {
    std::string joined;
    for (const std::string& part : PathParts(path))
        joined += (joined.empty() ? "" : "/") + part;
    const auto found = byFoldedPath.find(FoldedName(joined));
    return found == byFoldedPath.end() ? kNone : found->second;
}

bool ReadSourceDisk(const std::string& name, SourceDisk& disk, std::string& why) {
    disk = SourceDisk{name, {}, {}, false, {}, {}};
    std::error_code error;
    if (fs::is_directory(name, error)) return ReadFolder(name, disk, why);
    return ReadImage(name, disk, why);
}
