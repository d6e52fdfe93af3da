#include "formats/fat_image.h"

#include "formats/fat_names.h"

#include <cstring>
#include <set>

namespace {

constexpr int64_t kDaySeconds = 86400;

constexpr char kOemName[] = "MSWIN4.1"; // the name that readers of the era least often doubt
constexpr char kFileSystemType[] = "FAT12   ";
constexpr uint8_t kExtendedBootSignature = 0x29;
constexpr uint32_t kBootCodeAt = 0x3E;
constexpr uint32_t kMessageAt = 0x64;

// Loaded at 0:7C00 by the BIOS: prints the message, waits for a key, then asks the BIOS to
// start from a disk again.
constexpr uint8_t kBootCode[] = {
    0xFA,             // cli
    0x31, 0xC0,       // xor ax, ax
    0x8E, 0xD0,       // mov ss, ax
    0xBC, 0x00, 0x7C, // mov sp, 7C00h
    0x8E, 0xD8,       // mov ds, ax
    0xFB,             // sti
    0xBE, 0x64, 0x7C, // mov si, 7C00h + kMessageAt
    0xFC,             // cld
    0xAC,             // next: lodsb
    0x84, 0xC0,       // test al, al
    0x74, 0x09,       // jz key
    0xB4, 0x0E,       // mov ah, 0Eh
    0xBB, 0x07, 0x00, // mov bx, 7
    0xCD, 0x10,       // int 10h
    0xEB, 0xF2,       // jmp next
    0x31, 0xC0,       // key: xor ax, ax
    0xCD, 0x16,       // int 16h
    0xCD, 0x19,       // int 19h
    0xF4,             // halt: hlt
    0xEB, 0xFD,       // jmp halt
};
static_assert(kBootCodeAt + sizeof kBootCode == kMessageAt);
constexpr char kBootMessage[] =
    "\r\nThis is not a startup disk.\r\nRemove it and press any key to try again.\r\n";

// Days from 1970-01-01 to a date of the Gregorian calendar.
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = year / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}
constexpr int64_t kFirstFatSecond = DaysFromCivil(1980, 1, 1) * kDaySeconds;
constexpr int64_t kLastFatSecond = DaysFromCivil(2108, 1, 1) * kDaySeconds - 2;

struct Node {
    std::string name;
    size_t parent;
    bool folder;
    const std::vector<uint8_t>* bytes; // a file's
    std::vector<size_t> children;
    ShortName shortName;
    uint32_t entries; // a folder's, "." and ".." or the label included
    uint32_t firstCluster;
    uint32_t clusters;
};

// nodes[0] is the root. False, with why, when a path is taken by another file or folder.
bool BuildTree(const std::vector<ImageFile>& files, std::vector<Node>& nodes, std::string& why) {
    nodes.assign(1, Node{"", 0, true, nullptr, {}, {}, 0, 0, 0});
    for (const ImageFile& file : files) {
        size_t at = 0;
        size_t start = 0;
        for (;;) {
            const size_t slash = file.path.find('/', start);
            const bool folder = slash != std::string::npos;
            const std::string name = file.path.substr(start, slash - start);
            size_t child = 0;
            for (size_t other : nodes[at].children)
                if (FoldedName(nodes[other].name) == FoldedName(name)) child = other;
            if (child != 0 && !(folder && nodes[child].folder)) {
                why = file.path.substr(0, slash) + " is taken by another file or folder";
                return false;
            }
            if (child == 0) {
                child = nodes.size();
                nodes[at].children.push_back(child);
                nodes.push_back({name, at, folder, folder ? nullptr : file.bytes, {}, {}, 0, 0, 0});
            }
            if (!folder) break;
            at = child;
            start = slash + 1;
        }
    }
    return true;
}

// Short names go to the 8.3 names first, so that no generated one takes theirs.
void NameChildren(std::vector<Node>& nodes, size_t at) {
    std::set<std::string> taken;
    Node& folder = nodes[at];
    folder.entries = at == 0 ? 1 : 2;
    for (bool plain : {true, false}) {
        for (size_t child : folder.children) {
            Node& node = nodes[child];
            const FatNameForm form = FormOfName(node.name);
            if (form.shortOnly != plain) continue;
            node.shortName = plain ? ShortFormOf(form.oem) : GeneratedShortName(form.oem, taken);
            taken.emplace(node.shortName.bytes, kShortNameBytes);
            folder.entries += EntriesOfName(node.name);
        }
    }
}

void Allocate(std::vector<Node>& nodes, size_t at, uint32_t& next) {
    Node& node = nodes[at];
    if (at != 0 && node.clusters > 0) {
        node.firstCluster = next;
        next += node.clusters;
    }
    for (size_t child : node.children)
        Allocate(nodes, child, next);
}

struct Writer {
    const FloppyGeometry& g;
    std::vector<uint8_t>& image;
    const std::string& label;
    FatTime time;

    uint8_t* Sector(uint32_t number) { return image.data() + size_t{number} * kSectorBytes; }
    uint8_t* Cluster(uint32_t number) {
        return Sector(FirstDataSector(g) + (number - kFirstCluster) * g.sectorsPerCluster);
    }

    void BootSector(uint32_t serial) {
        uint8_t* boot = Sector(0);
        const uint8_t jump[] = {0xEB, kBootCodeAt - 2, 0x90};
        std::memcpy(boot, jump, sizeof jump);
        std::memcpy(boot + kBootOemName, kOemName, 8);
        Put16(boot + kBootBytesPerSector, kSectorBytes);
        boot[kBootSectorsPerCluster] = g.sectorsPerCluster;
        Put16(boot + kBootReservedSectors, kReservedSectors);
        boot[kBootFatCount] = kFatCount;
        Put16(boot + kBootRootEntries, g.rootEntries);
        Put16(boot + kBootSectors, g.sectors);
        boot[kBootMedia] = g.media;
        Put16(boot + kBootSectorsPerFat, g.sectorsPerFat);
        Put16(boot + kBootSectorsPerTrack, g.sectorsPerTrack);
        Put16(boot + kBootHeads, g.heads);
        boot[kBootExtendedSignature] = kExtendedBootSignature;
        Put32(boot + kBootSerial, serial);
        std::memcpy(boot + kBootLabel, label.data(), kShortNameBytes);
        std::memcpy(boot + kBootFileSystemType, kFileSystemType, 8);
        std::memcpy(boot + kBootCodeAt, kBootCode, sizeof kBootCode);
        std::memcpy(boot + kMessageAt, kBootMessage, sizeof kBootMessage);
        boot[kBootMark] = 0x55;
        boot[kBootMark + 1] = 0xAA;
    }

    void Chain(uint32_t first, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i)
            SetFat12Entry(Sector(kReservedSectors), first + i,
                          static_cast<uint16_t>(i + 1 < count ? first + i + 1 : kFat12EndOfChain));
    }

    uint8_t* Entry(uint8_t* at, const char* name, uint8_t attributes, uint8_t caseFlags,
                   uint32_t cluster, uint32_t size) {
        std::memcpy(at + kEntryName, name, kShortNameBytes);
        at[kEntryAttributes] = attributes;
        at[kEntryCase] = caseFlags;
        Put16(at + kEntryCreatedTime, time.time);
        Put16(at + kEntryCreatedDate, time.date);
        Put16(at + kEntryReadDate, time.date);
        Put16(at + kEntryWrittenTime, time.time);
        Put16(at + kEntryWrittenDate, time.date);
        Put16(at + kEntryCluster, cluster);
        Put32(at + kEntrySize, size);
        return at + kDirEntryBytes;
    }

    void Directory(const std::vector<Node>& nodes, size_t at) {
        const Node& folder = nodes[at];
        uint8_t* entry = at == 0 ? Sector(kReservedSectors + kFatCount * g.sectorsPerFat)
                                 : Cluster(folder.firstCluster);
        if (at == 0) {
            entry = Entry(entry, label.data(), kAttributeVolumeLabel, 0, 0, 0);
        } else {
            entry = Entry(entry, ".          ", kAttributeDirectory, 0, folder.firstCluster, 0);
            entry = Entry(entry, "..         ", kAttributeDirectory, 0,
                          nodes[folder.parent].firstCluster, 0);
        }
        for (size_t child : folder.children) {
            const Node& node = nodes[child];
            const uint8_t checksum = LongNameChecksum(node.shortName.bytes);
            const std::vector<uint16_t> units = FormOfName(node.name).units;
            for (uint32_t ordinal = EntriesOfName(node.name) - 1; ordinal > 0; --ordinal) {
                FillLongNameEntry(units, ordinal, checksum, entry);
                entry += kDirEntryBytes;
            }
            entry = Entry(entry, node.shortName.bytes,
                          node.folder ? kAttributeDirectory : kAttributeArchive,
                          node.shortName.caseFlags, node.firstCluster,
                          node.folder ? 0 : static_cast<uint32_t>(node.bytes->size()));
        }
    }
};

// FNV-1a: a serial number that follows the content, not the clock.
uint32_t ContentSerial(const std::vector<uint8_t>& image) {
    uint32_t hash = 2166136261u;
    for (uint8_t byte : image)
        hash = (hash ^ byte) * 16777619u;
    return hash;
}

} // namespace

FatTime FatTimeOf(int64_t seconds) {
    seconds = seconds < kFirstFatSecond  ? kFirstFatSecond
              : seconds > kLastFatSecond ? kLastFatSecond
                                         : seconds;
    // Counted from 0000-03-01, so that a leap day ends its year.
    const int64_t days = seconds / kDaySeconds - DaysFromCivil(0, 3, 1);
    const int64_t era = days / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const int64_t year = era * 400 + yearOfEra + (month <= 2 ? 1 : 0);
    const int64_t second = seconds % kDaySeconds;
    return {
        static_cast<uint16_t>((year - 1980) << 9 | month << 5 | day),
        static_cast<uint16_t>((second / 3600) << 11 | (second / 60 % 60) << 5 | second % 60 / 2)};
}

bool SecondsOfFatTime(FatTime time, int64_t& seconds) {
    const int64_t year = 1980 + (time.date >> 9), month = time.date >> 5 & 15, day = time.date & 31;
    const int64_t hour = time.time >> 11, minute = time.time >> 5 & 63,
                  second = (time.time & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return false;
    const int64_t nextMonth = DaysFromCivil(month == 12 ? year + 1 : year, month % 12 + 1, 1);
    if (DaysFromCivil(year, month, day) >= nextMonth) return false;
    seconds = DaysFromCivil(year, month, day) * kDaySeconds + hour * 3600 + minute * 60 + second;
    return true;
}

bool MakeFatImage(const FloppyGeometry& geometry, const std::vector<ImageFile>& files,
                  const std::string& label, FatTime time, std::vector<uint8_t>& image,
                  std::string& why) {
    std::vector<Node> nodes;
    if (!BuildTree(files, nodes, why)) return false;
    const uint32_t clusterBytes = geometry.sectorsPerCluster * kSectorBytes;
    for (size_t at = 0; at < nodes.size(); ++at) {
        Node& node = nodes[at];
        if (node.folder) NameChildren(nodes, at);
        const uint64_t bytes =
            node.folder ? uint64_t{node.entries} * kDirEntryBytes : node.bytes->size();
        node.clusters =
            at == 0 ? 0 : static_cast<uint32_t>((bytes + clusterBytes - 1) / clusterBytes);
    }
    if (nodes[0].entries > geometry.rootEntries) {
        why = "the root directory needs " + std::to_string(nodes[0].entries) + " entries of " +
              std::to_string(geometry.rootEntries);
        return false;
    }
    uint32_t next = kFirstCluster;
    Allocate(nodes, 0, next);
    if (next - kFirstCluster > DataClusters(geometry)) {
        why = "the files need " + std::to_string(next - kFirstCluster) + " clusters of " +
              std::to_string(DataClusters(geometry));
        return false;
    }

    std::string paddedLabel = label;
    paddedLabel.resize(kShortNameBytes, ' ');
    image.assign(size_t{geometry.sectors} * kSectorBytes, 0);
    Writer writer{geometry, image, paddedLabel, time};
    uint8_t* fat = writer.Sector(kReservedSectors);
    SetFat12Entry(fat, 0, static_cast<uint16_t>(0xF00 | geometry.media));
    SetFat12Entry(fat, 1, kFat12EndOfChain);
    for (size_t at = 0; at < nodes.size(); ++at) {
        const Node& node = nodes[at];
        writer.Chain(node.firstCluster, node.clusters);
        if (node.folder)
            writer.Directory(nodes, at);
        else if (!node.bytes->empty())
            std::memcpy(writer.Cluster(node.firstCluster), node.bytes->data(), node.bytes->size());
    }
    std::memcpy(fat + geometry.sectorsPerFat * kSectorBytes, fat,
                geometry.sectorsPerFat * kSectorBytes);
    writer.BootSector(0);
    writer.BootSector(ContentSerial(image));
    return true;
}
