#include "formats/floppy.h"

#include <cstring>
#include <map>
#include <set>

namespace {

// Readers tell FAT12 by fewer than 4085 clusters; a FAT holds an entry of 1.5 bytes for each,
// after the two that the media byte and the end mark take.
constexpr bool HoldsItsClusters(const FloppyGeometry& g) {
    return DataClusters(g) < 4085 &&
           ((DataClusters(g) + 2) * 3 + 1) / 2 <= g.sectorsPerFat * kSectorBytes;
}
constexpr bool AllHoldTheirClusters() {
    for (const NamedFloppy& floppy : kFloppies)
        if (!HoldsItsClusters(floppy.geometry) ||
            floppy.geometry.rootEntries * kDirEntryBytes % kSectorBytes != 0)
            return false;
    return true;
}
static_assert(AllHoldTheirClusters());

uint64_t RoundUp(uint64_t bytes, uint32_t cluster) {
    return (bytes + cluster - 1) / cluster * cluster;
}

} // namespace

bool ParseDiskSize(const char* text, DiskFormat& format) {
    for (const NamedFloppy& floppy : kFloppies) {
        if (floppy.built && std::strcmp(text, floppy.name) == 0) {
            const FloppyGeometry& g = floppy.geometry;
            const uint32_t cluster = g.sectorsPerCluster * kSectorBytes;
            format = {uint64_t{DataClusters(g)} * cluster, cluster, g.rootEntries, &g};
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
    children[""];
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
        uint32_t entries = folder.empty() ? 1 : 2; // the volume label; "." and ".."
        for (const std::string& name : names)
            entries += EntriesOfName(name);
        if (folder.empty())
            usage.rootEntries = entries;
        else
            usage.usedBytes += RoundUp(uint64_t{entries} * kDirEntryBytes, format.cluster);
    }
    return usage;
}

bool DiskHolds(const DiskUsage& usage, const DiskFormat& format) {
    return (format.capacity == 0 || usage.usedBytes <= format.capacity) &&
           (format.rootEntries == 0 || usage.rootEntries <= format.rootEntries);
}
