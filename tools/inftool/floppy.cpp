#include "floppy.h"

#include <cstring>
#include <map>
#include <set>

namespace {

struct NamedFormat {
    const char* name;
    DiskFormat format;
};

constexpr NamedFormat kFloppies[] = {
    {"1.44M", {1457664, 512, 224}},
    {"1.2M", {1213952, 512, 224}},
    {"720K", {730112, 1024, 112}},
    {"360K", {362496, 1024, 112}},
};

constexpr uint32_t kEntryBytes = 32;
constexpr uint32_t kLongNameCharsPerEntry = 13;

uint64_t RoundUp(uint64_t bytes, uint32_t cluster) {
    return (bytes + cluster - 1) / cluster * cluster;
}

bool IsShortNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("!#$%&'()-@^_`{}~", c) != nullptr);
}

bool IsOneCase(const std::string& part) {
    bool upper = false, lower = false;
    for (char c : part) {
        upper = upper || (c >= 'A' && c <= 'Z');
        lower = lower || (c >= 'a' && c <= 'z');
    }
    return !(upper && lower);
}

// An 8.3 name whose base and extension are each of one case takes one entry; any other
// name adds long-name entries of 13 characters each.
uint32_t EntriesOfName(const std::string& name) {
    const size_t dot = name.find('.');
    const std::string base = name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    bool shortName = !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
                     extension.find('.') == std::string::npos && IsOneCase(base) &&
                     IsOneCase(extension);
    for (char c : base + extension)
        shortName = shortName && IsShortNameChar(c);
    if (shortName) return 1;
    return 1 + static_cast<uint32_t>((name.size() + kLongNameCharsPerEntry - 1) /
                                     kLongNameCharsPerEntry);
}

} // namespace

bool ParseDiskSize(const char* text, DiskFormat& format) {
    for (const NamedFormat& floppy : kFloppies) {
        if (std::strcmp(text, floppy.name) == 0) {
            format = floppy.format;
            return true;
        }
    }
    uint64_t bytes = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || bytes > UINT64_MAX / 10 - 9) return false;
        bytes = bytes * 10 + static_cast<uint64_t>(*c - '0');
    }
    if (bytes == 0) return false;
    format = {bytes, kUnlimitedDisk.cluster, 0};
    return true;
}

DiskUsage MeasureDisk(const std::vector<SizedFile>& files, const DiskFormat& format) {
    DiskUsage usage{0, 0};
    std::map<std::string, std::set<std::string>> children; // folder ("" the root) -> names
    for (const SizedFile& file : files) {
        usage.usedBytes += RoundUp(file.size, format.cluster);
        size_t start = 0;
        for (size_t slash = file.path.find('/');; slash = file.path.find('/', start)) {
            const std::string folder = start == 0 ? "" : file.path.substr(0, start - 1);
            children[folder].insert(file.path.substr(start, slash - start));
            if (slash == std::string::npos) break;
            children[file.path.substr(0, slash)]; // a folder, even when it holds only folders
            start = slash + 1;
        }
    }
    for (const auto& [folder, names] : children) {
        uint32_t entries = folder.empty() ? 0 : 2; // "." and ".."
        for (const std::string& name : names)
            entries += EntriesOfName(name);
        if (folder.empty())
            usage.rootEntries = entries;
        else
            usage.usedBytes += RoundUp(uint64_t{entries} * kEntryBytes, format.cluster);
    }
    return usage;
}
