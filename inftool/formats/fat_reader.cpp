#include "formats/fat_reader.h"

#include "formats/container_kind.h"
#include "formats/fat_names.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>

namespace {

constexpr uint32_t kMinSectorBytes = 512;
constexpr uint32_t kMaxSectorBytes = 4096;
constexpr uint32_t kMaxClusterBytes = 32768;
constexpr uint8_t kLowestMedia = 0xF8; // F8 to FF, and F0
constexpr uint8_t kMedia3Inch = 0xF0;
constexpr uint32_t kMaxLongNameEntries = 20; // 255 characters
constexpr int32_t kNoOwner = -1;

struct Signature {
    const char* bytes;
    size_t length;
    const char* format;
};

// File systems whose boot sector names them where FAT's gives the formatter's name.
constexpr Signature kOtherFileSystems[] = {
    {"EXFAT   ", 8, "an exFAT volume"},
    {"NTFS    ", 8, "an NTFS volume"},
};

constexpr uint32_t kPartitionEntryBytes = 16;
constexpr uint32_t kPartitionEntries = 4;
constexpr uint8_t kGptProtective = 0xEE;
constexpr char kGptSignature[] = "EFI PART";
constexpr uint32_t kGptEntriesAt = 72; // of the header: the first entry's sector (64 bits)
constexpr uint32_t kGptEntryCount = 80;
constexpr uint32_t kGptEntryBytes = 84;
constexpr uint32_t kGptMaxEntries = 128; // as partitioning tools make them
constexpr uint32_t kGptFirstSector = 32; // of an entry, then its last (64 bits each)
constexpr uint32_t kGptTypeBytes = 16;   // an entry's type; all zero: unused

uint64_t Get64(const uint8_t* at) {
    return Get32(at) | uint64_t{Get32(at + 4)} << 32;
}

// The hint of a partition that starts at first and holds count sectors of sectorBytes.
std::string CutOut(uint64_t first, uint64_t count, uint32_t sectorBytes) {
    return "; give that partition alone, cut out as dd if=IMAGE of=PARTITION.IMG bs=" +
           std::to_string(sectorBytes) + " skip=" + std::to_string(first) +
           " count=" + std::to_string(count);
}

// A GPT behind a protective table: the header in the second sector (of 512 or 4096 bytes)
// and its entries, of which the first in use is named.
std::string GptPartition(const uint8_t* image, size_t size) {
    for (const uint32_t sectorBytes : {512u, 4096u}) {
        if (size < 2u * sectorBytes ||
            std::memcmp(image + sectorBytes, kGptSignature, sizeof kGptSignature - 1) != 0)
            continue;
        const uint8_t* header = image + sectorBytes;
        const uint64_t at = Get64(header + kGptEntriesAt);
        const uint32_t count = std::min(Get32(header + kGptEntryCount), kGptMaxEntries);
        const uint32_t entryBytes = Get32(header + kGptEntryBytes);
        if (entryBytes < kGptFirstSector + 16 || entryBytes > sectorBytes) break;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t offset = at * sectorBytes + uint64_t{i} * entryBytes;
            if (at >= size / sectorBytes || offset + entryBytes > size) break;
            const uint8_t* entry = image + offset;
            static constexpr uint8_t kUnused[kGptTypeBytes] = {};
            if (std::memcmp(entry, kUnused, kGptTypeBytes) == 0) continue;
            const uint64_t first = Get64(entry + kGptFirstSector);
            const uint64_t last = Get64(entry + kGptFirstSector + 8);
            if (last < first) break;
            return "a partitioned image: its first sector protects a GPT, whose partition " +
                   std::to_string(i + 1) + " spans sectors " + std::to_string(first) + " to " +
                   std::to_string(last) + CutOut(first, last - first + 1, sectorBytes);
        }
        break;
    }
    return "a partitioned image: its first sector protects a GPT, whose partitions cannot be "
           "read here; give the FAT partition alone, as an image of its own";
}

// A partitioned disk's first sector: a boot mark and four entries, each marked active or not,
// one at least of a type and a place. why names the first, or the first of its GPT.
bool HoldsPartitionTable(const uint8_t* image, size_t size, std::string& why) {
    if (image[kBootMark] != 0x55 || image[kBootMark + 1] != 0xAA) return false;
    bool found = false;
    for (uint32_t i = 0; i < kPartitionEntries; ++i) {
        const uint8_t* entry = image + kBootPartitionTable + i * kPartitionEntryBytes;
        if (entry[0] != 0 && entry[0] != 0x80) return false;
        const uint8_t type = entry[4];
        if (found || type == 0 || Get32(entry + 8) == 0 || Get32(entry + 12) == 0) continue;
        static constexpr char kHex[] = "0123456789ABCDEF";
        why = type == kGptProtective
                  ? GptPartition(image, size)
                  : "a partitioned image: its first sector holds a partition table (partition " +
                        std::to_string(i + 1) + ", of type 0x" + kHex[type >> 4] + kHex[type & 15] +
                        ", starts at sector " + std::to_string(Get32(entry + 8)) + ")" +
                        CutOut(Get32(entry + 8), Get32(entry + 12), kMinSectorBytes);
        found = true;
    }
    return found;
}

bool IsPowerOfTwo(uint32_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

// A name that a folder on any host can take as it stands.
bool IsPortableName(const std::string& name) {
    return IsFatName(name) && name.find_first_not_of('.') != std::string::npos;
}

// name with each byte that is no printable ASCII as \xNN, for a message.
std::string Shown(const std::string& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (char c : name) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte >= ' ' && byte <= '~')
            shown += c;
        else
            shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
    }
    return shown;
}

// The long name that the entries before a short entry spell, collected entry by entry from
// the last part to the first, as they stand on the disk.
struct LongName {
    uint32_t expected = 0; // the ordinal the next entry must carry; 0: none under way
    uint8_t checksum = 0;
    uint16_t units[kMaxLongNameEntries * kLongNameCharsPerEntry];

    void Take(const uint8_t* entry) {
        const uint32_t ordinal = entry[0] & kLongNameOrdinal;
        const bool last = (entry[0] & kLastLongNameEntry) != 0;
        if (ordinal == 0 || ordinal > kMaxLongNameEntries ||
            (!last && (ordinal + 1 != expected || entry[kLongNameChecksum] != checksum))) {
            expected = 0; // an orphan: the short name stands alone, as Windows shows it
            return;
        }
        if (last) {
            std::fill(std::begin(units), std::end(units), uint16_t{0});
            checksum = entry[kLongNameChecksum];
        }
        uint16_t part[kLongNameCharsPerEntry];
        ReadLongNameEntry(entry, part);
        std::copy(std::begin(part), std::end(part), units + (ordinal - 1) * kLongNameCharsPerEntry);
        expected = ordinal;
    }

    // The long name of the short entry (UTF-8), when the run of long-name entries before it is
    // whole and made for it. False, with "_" for each unit, when it is no UTF-16.
    bool Finish(const uint8_t* entry, std::string& name) {
        char shortName[kShortNameBytes];
        std::memcpy(shortName, entry, kShortNameBytes);
        const bool whole = expected == 1 && LongNameChecksum(shortName) == checksum;
        expected = 0;
        name.clear();
        if (!whole) return true;
        size_t count = 0;
        while (count < std::size(units) && units[count] != 0)
            ++count;
        return Utf8OfUnits(units, count, name);
    }
};

struct PendingFolder {
    size_t file;                 // in disk.files
    std::vector<uint32_t> chain; // its clusters
};

struct Reader {
    const uint8_t* image;
    const FatGeometry& g;
    FatDisk& disk;
    std::string& why;
    std::vector<int32_t> owners; // of each cluster, an index in disk.files
    std::vector<PendingFolder> folders;

    bool Fail(const std::string& path, const std::string& text) {
        why = path + ": " + text;
        return false;
    }

    const uint8_t* Cluster(uint32_t cluster) const {
        return image +
               (size_t{g.firstDataSector} + size_t{cluster - kFirstCluster} * g.sectorsPerCluster) *
                   g.bytesPerSector;
    }

    uint32_t ClusterBytes() const { return g.sectorsPerCluster * g.bytesPerSector; }

    // The clusters of disk.files[file] from first, each claimed for it. False when the chain
    // leaves the disk, meets a free or bad cluster, comes back on itself or meets another's.
    bool Chain(uint32_t first, size_t file, std::vector<uint32_t>& chain) {
        const std::string& path = disk.files[file].path;
        const uint8_t* fat = image + size_t{g.reservedSectors} * g.bytesPerSector;
        const uint32_t last = g.clusters + 1;
        chain.clear();
        for (uint32_t cluster = first;;) {
            if (cluster < kFirstCluster || cluster > last) {
                return Fail(path, (chain.empty() ? "its cluster chain starts at cluster "
                                                 : "its cluster chain leads to cluster ") +
                                      std::to_string(cluster) +
                                      ", outside the disk's clusters 2 to " + std::to_string(last));
            }
            const int32_t owner = owners[cluster];
            if (owner == static_cast<int32_t>(file))
                return Fail(path,
                            "its cluster chain loops back to cluster " + std::to_string(cluster));
            if (owner != kNoOwner)
                return Fail(path, "its cluster chain crosses that of " + disk.files[owner].path +
                                      " at cluster " + std::to_string(cluster));
            owners[cluster] = static_cast<int32_t>(file);
            chain.push_back(cluster);
            const bool wide = g.fatBits == 16;
            const uint32_t next =
                wide ? Get16(fat + size_t{cluster} * 2) : Fat12Entry(fat, cluster);
            if (next >= (wide ? kFat16FirstEndMark : kFat12FirstEndMark)) return true;
            if (next == 0)
                return Fail(path, "its cluster chain holds cluster " + std::to_string(cluster) +
                                      ", which the FAT marks free");
            if (next == (wide ? kFat16BadCluster : kFat12BadCluster))
                return Fail(path, "its cluster chain holds cluster " + std::to_string(cluster) +
                                      ", which the FAT marks bad");
            cluster = next;
        }
    }

    bool ReadFile(const uint8_t* entry, size_t file) {
        FatFile& read = disk.files[file];
        const uint32_t size = Get32(entry + kEntrySize);
        const uint32_t first = Get16(entry + kEntryCluster);
        std::vector<uint32_t> chain;
        if (first != 0 && !Chain(first, file, chain)) return false;
        const uint64_t held = uint64_t{chain.size()} * ClusterBytes();
        if (size > held)
            return Fail(read.path, std::to_string(size) +
                                       " bytes long, but its cluster chain holds " +
                                       std::to_string(held));
        if (held - size >= ClusterBytes())
            return Fail(read.path, std::to_string(size) +
                                       " bytes long, but its cluster chain holds " +
                                       std::to_string(chain.size()) + " clusters of " +
                                       std::to_string(ClusterBytes()) + " bytes");
        read.bytes.reserve(size);
        for (uint32_t cluster : chain) {
            const size_t take = std::min<size_t>(ClusterBytes(), size - read.bytes.size());
            read.bytes.insert(read.bytes.end(), Cluster(cluster), Cluster(cluster) + take);
        }
        return true;
    }

    bool ReadEntry(const uint8_t* entry, const std::string& folder, LongName& longName,
                   std::set<std::string>& names) {
        const uint8_t attributes = entry[kEntryAttributes];
        std::string name, shortName;
        const std::string oemName = NameOfShortEntry(entry);
        bool text = Utf8OfOem(oemName, shortName);
        const std::string where = folder.empty() ? "the root folder" : folder;
        const bool longText = longName.Finish(entry, name);
        text = name.empty() ? text : longText;
        if ((attributes & (kAttributeVolumeLabel | kAttributeDirectory)) == kAttributeVolumeLabel) {
            if (folder.empty() && disk.label.empty()) {
                disk.label.assign(reinterpret_cast<const char*>(entry), kShortNameBytes);
                disk.label.erase(disk.label.find_last_not_of(' ') + 1);
            }
            return true;
        }
        if (name.empty()) name = shortName;
        const bool isFolder = (attributes & kAttributeDirectory) != 0;
        if (!folder.empty() && isFolder && (name == "." || name == "..")) return true;
        if (!IsPortableName(name))
            return Fail(where,
                        "holds an entry named \"" + Shown(name) + "\", which no folder can take");
        if (!text) disk.unreadable.push_back(folder.empty() ? name : folder + "/" + name);
        if (!names.insert(FoldedName(name)).second)
            return Fail(where, "holds two entries named " + name);
        const std::string path = folder.empty() ? name : folder + "/" + name;
        const size_t file = disk.files.size();
        disk.files.push_back(
            {path,
             isFolder,
             {},
             {Get16(entry + kEntryWrittenDate), Get16(entry + kEntryWrittenTime)}});
        if (!isFolder) return ReadFile(entry, file);
        std::vector<uint32_t> chain;
        if (!Chain(Get16(entry + kEntryCluster), file, chain)) return false;
        folders.push_back({file, std::move(chain)});
        return true;
    }

    // The entries of one folder, which end early at an entry marked as the end.
    bool ReadFolder(const std::vector<const uint8_t*>& entries, const std::string& folder) {
        LongName longName;
        std::set<std::string> names;
        for (const uint8_t* entry : entries) {
            if (entry[0] == kEntryEnd) break;
            if (entry[0] == kEntryDeleted) {
                longName.expected = 0;
            } else if ((entry[kEntryAttributes] & 0x3F) == kLongNameAttributes) {
                longName.Take(entry);
            } else if (!ReadEntry(entry, folder, longName, names)) {
                return false;
            }
        }
        return true;
    }

    bool Read() {
        owners.assign(size_t{g.clusters} + kFirstCluster, kNoOwner);
        std::vector<const uint8_t*> entries;
        const uint8_t* root = image + size_t{g.rootSector} * g.bytesPerSector;
        for (uint32_t i = 0; i < g.rootEntries; ++i)
            entries.push_back(root + size_t{i} * kDirEntryBytes);
        if (!ReadFolder(entries, "")) return false;
        // Folders in the order found, each once: a chain is claimed by one folder only.
        for (size_t next = 0; next < folders.size(); ++next) {
            entries.clear();
            for (uint32_t cluster : folders[next].chain)
                for (uint32_t at = 0; at < ClusterBytes(); at += kDirEntryBytes)
                    entries.push_back(Cluster(cluster) + at);
            const std::string folder = disk.files[folders[next].file].path; // files grows
            if (!ReadFolder(entries, folder)) return false;
        }
        return true;
    }
};

} // namespace

bool ReadFatGeometry(const uint8_t* image, size_t size, FatGeometry& g, std::string& why) {
    if (size < kMinSectorBytes) {
        why = "holds " + std::to_string(size) + " bytes, fewer than a boot sector";
        return false;
    }
    const std::string onlyFat = ", which is not read: only FAT12 and FAT16 volumes are";
    for (const Signature& system : kOtherFileSystems) {
        if (std::memcmp(image + kBootOemName, system.bytes, system.length) == 0) {
            why = system.format + onlyFat;
            return false;
        }
    }
    g.bytesPerSector = Get16(image + kBootBytesPerSector);
    const bool sectorBytesPossible = IsPowerOfTwo(g.bytesPerSector) &&
                                     g.bytesPerSector >= kMinSectorBytes &&
                                     g.bytesPerSector <= kMaxSectorBytes;
    // A FAT boot sector may end in what looks like a partition table; its parameters decide.
    const bool jump = image[kBootJump] == 0xEB || image[kBootJump] == 0xE9;
    if ((!jump || !sectorBytesPossible) && HoldsPartitionTable(image, size, why)) return false;
    if (!jump) {
        why = "no FAT disk: its boot sector does not begin with a jump";
        return false;
    }
    g.sectorsPerCluster = image[kBootSectorsPerCluster];
    g.reservedSectors = Get16(image + kBootReservedSectors);
    g.fatCount = image[kBootFatCount];
    g.rootEntries = Get16(image + kBootRootEntries);
    g.sectors = Get16(image + kBootSectors);
    if (g.sectors == 0) g.sectors = Get32(image + kBootLargeSectors);
    g.media = image[kBootMedia];
    g.sectorsPerFat = Get16(image + kBootSectorsPerFat);
    const std::string geometry = "its boot sector gives an impossible geometry: ";
    if (!sectorBytesPossible) {
        why = geometry + std::to_string(g.bytesPerSector) + " bytes per sector";
        return false;
    }
    if (!IsPowerOfTwo(g.sectorsPerCluster) ||
        g.sectorsPerCluster * g.bytesPerSector > kMaxClusterBytes) {
        why = geometry + std::to_string(g.sectorsPerCluster) + " sectors per cluster";
        return false;
    }
    // FAT32 keeps its FAT size further on and its root folder in clusters: no root entries.
    if (g.sectorsPerFat == 0) {
        why = "a FAT32 volume (its boot sector gives no FAT size of 16 bits)" + onlyFat;
        return false;
    }
    if (g.reservedSectors == 0 || g.fatCount == 0 || g.rootEntries == 0) {
        why = geometry + std::to_string(g.reservedSectors) + " reserved sectors, " +
              std::to_string(g.fatCount) + " FATs, " + std::to_string(g.rootEntries) +
              " root directory entries";
        return false;
    }
    if (g.media != kMedia3Inch && g.media < kLowestMedia) {
        why = geometry + "media descriptor " + std::to_string(g.media);
        return false;
    }
    const uint32_t rootSectors =
        (g.rootEntries * kDirEntryBytes + g.bytesPerSector - 1) / g.bytesPerSector;
    const uint64_t firstData =
        uint64_t{g.reservedSectors} + uint64_t{g.fatCount} * g.sectorsPerFat + rootSectors;
    const uint64_t declared = uint64_t{g.sectors} * g.bytesPerSector;
    if (declared > kMaxFatImageBytes) {
        why = "its boot sector declares a volume of " + std::to_string(declared) +
              " bytes, more than the " + std::to_string(kMaxFatImageBytes) + " (" +
              std::to_string(kMaxFatImageBytes >> 20) +
              " MiB) an image may hold here; copy its files into a folder (mcopy -s -i IMAGE "
              ":: FOLDER, or mount it) and give the folder";
        return false;
    }
    if (firstData > g.sectors) {
        why = geometry + "its FATs and root directory run past the disk's " +
              std::to_string(g.sectors) + " sectors";
        return false;
    }
    g.rootSector = static_cast<uint32_t>(firstData - rootSectors);
    g.firstDataSector = static_cast<uint32_t>(firstData);
    g.clusters = (g.sectors - g.firstDataSector) / g.sectorsPerCluster;
    if (g.clusters > kFat16MaxClusters) {
        why = "a FAT32 volume by its " + std::to_string(g.clusters) + " clusters" + onlyFat;
        return false;
    }
    g.fatBits = g.clusters > kFat12MaxClusters ? 16 : 12;
    const uint64_t fatBytes = (uint64_t{g.clusters + kFirstCluster} * g.fatBits + 7) / 8;
    if (fatBytes > uint64_t{g.sectorsPerFat} * g.bytesPerSector) {
        why = geometry + "a FAT of " + std::to_string(g.sectorsPerFat) + " sectors cannot hold " +
              std::to_string(g.clusters) + " clusters";
        return false;
    }
    return true;
}

bool ReadFatImage(const uint8_t* image, size_t size, FatDisk& disk, std::string& why) {
    disk = FatDisk{};
    if (const char* format = ContainerKindOf(image, size).name) {
        why = std::string(format) + ", not a raw sector image: expand or convert it first";
        return false;
    }
    FatGeometry& g = disk.geometry;
    if (!ReadFatGeometry(image, size, g, why)) return false;
    const uint64_t declared = uint64_t{g.sectors} * g.bytesPerSector;
    if (size < declared) {
        why = "ends after " + std::to_string(size) + " bytes, before the " +
              std::to_string(declared) + " its boot sector declares";
        return false;
    }
    Reader reader{image, g, disk, why, {}, {}};
    if (reader.Read()) return true;
    disk.files.clear();
    return false;
}
