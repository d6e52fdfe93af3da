#include "formats/iso_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <set>

bool IsLevelOneName(const std::string& part, bool folder) {
    const size_t dot = part.find('.');
    const std::string base = part.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : part.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3 ||
        (folder && dot != std::string::npos))
        return false;
    for (const std::string* piece : {&base, &extension})
        for (char c : *piece)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                  c == '_'))
                return false;
    return true;
}

#ifndef INFTOOL_ISO_WRITER

bool CanWriteIso() {
    return false;
}

bool MakeIsoImage(const std::vector<ImageFile>&, const std::string&, int64_t, std::vector<uint8_t>&,
                  std::string& why) {
    why = kIsoWriterMissing;
    return false;
}

#else

#include <archive.h>
#include <archive_entry.h>

namespace {

constexpr size_t kFirstDescriptor = 16; // sectors 0-15 are the system area
constexpr uint8_t kPrimary = 1, kSupplementary = 2, kTerminator = 255;
// Offsets inside a volume descriptor and a directory record.
constexpr size_t kRootRecord = 156;
constexpr size_t kVolumeDates[] = {813, 830, 864}; // creation, modification, effective
constexpr size_t kRecordExtent = 2, kRecordLength = 10, kRecordDate = 18, kRecordFlags = 25,
                 kRecordNameLength = 32, kRecordName = 33, kRecordMin = 34;
constexpr uint8_t kDirectoryFlag = 2;
// 2155-12-31 23:59:59 UTC, the last second a directory record's year (a byte from 1900) holds.
constexpr int64_t kLastIsoSecond = 5869583999;
static_assert(kCdSectors * static_cast<uint64_t>(kCdSectorBytes) == 737280000u, "700 MB");

struct Archive {
    archive* handle = archive_write_new();
    ~Archive() { archive_write_free(handle); }
};

la_ssize_t Append(archive*, void* sink, const void* bytes, size_t count) {
    const uint8_t* first = static_cast<const uint8_t*>(bytes);
    static_cast<std::vector<uint8_t>*>(sink)->insert(
        static_cast<std::vector<uint8_t>*>(sink)->end(), first, first + count);
    return static_cast<la_ssize_t>(count);
}

uint32_t Little32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// libarchive notes its version, its options and the time in the sector after the descriptors,
// which nothing refers to: "INFO " and the time as ctime(3) spells it, in local time.
void StampInformation(std::vector<uint8_t>& image, size_t at, const std::tm& utc) {
    constexpr char kTag[] = "INFO ";
    constexpr size_t kTagChars = sizeof kTag - 1, kCtimeChars = 24;
    char time[64];
    if (at + kTagChars + kCtimeChars > image.size() ||
        std::memcmp(&image[at], kTag, kTagChars) != 0 ||
        std::strftime(time, sizeof time, "%a %b %e %H:%M:%S %Y", &utc) != kCtimeChars)
        return;
    std::memcpy(&image[at + kTagChars], time, kCtimeChars);
}

// libarchive stamps the volume descriptors, the root and the folders it makes itself with the
// time it closes the image, and every record with the local time zone: each takes the one time
// here, in UTC. False when the image is not laid out as the writer lays it out.
bool FixTimes(std::vector<uint8_t>& image, const std::tm& utc) {
    char volumeDate[80]; // 16 digits; room for what the compiler cannot rule out
    std::snprintf(volumeDate, sizeof volumeDate, "%04d%02d%02d%02d%02d%02d00", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    const uint8_t recordDate[7] = {static_cast<uint8_t>(utc.tm_year),
                                   static_cast<uint8_t>(utc.tm_mon + 1),
                                   static_cast<uint8_t>(utc.tm_mday),
                                   static_cast<uint8_t>(utc.tm_hour),
                                   static_cast<uint8_t>(utc.tm_min),
                                   static_cast<uint8_t>(utc.tm_sec),
                                   0};
    std::vector<std::pair<uint32_t, uint32_t>> folders; // extent, length
    for (size_t sector = kFirstDescriptor;; ++sector) {
        const size_t at = sector * kCdSectorBytes;
        if (at + kCdSectorBytes > image.size() || std::memcmp(&image[at + 1], "CD001", 5) != 0)
            return false;
        if (image[at] == kTerminator) {
            StampInformation(image, at + kCdSectorBytes, utc);
            break;
        }
        if (image[at] != kPrimary && image[at] != kSupplementary) continue;
        for (size_t offset : kVolumeDates) {
            std::memcpy(&image[at + offset], volumeDate, 16);
            image[at + offset + 16] = 0;
        }
        const uint8_t* root = &image[at + kRootRecord];
        std::memcpy(&image[at + kRootRecord + kRecordDate], recordDate, sizeof recordDate);
        folders.emplace_back(Little32(root + kRecordExtent), Little32(root + kRecordLength));
    }
    std::set<uint32_t> seen;
    while (!folders.empty()) {
        const auto [extent, length] = folders.back();
        folders.pop_back();
        const size_t first = static_cast<size_t>(extent) * kCdSectorBytes, end = first + length;
        if (!seen.insert(extent).second) continue;
        if (end > image.size()) return false;
        for (size_t at = first; at < end;) {
            const uint8_t size = image[at];
            if (size == 0) { // records do not cross a sector: the rest of this one is empty
                at = (at / kCdSectorBytes + 1) * kCdSectorBytes;
                continue;
            }
            if (size < kRecordMin || at + size > end) return false;
            std::memcpy(&image[at + kRecordDate], recordDate, sizeof recordDate);
            const bool self = image[at + kRecordNameLength] == 1 && image[at + kRecordName] <= 1;
            if ((image[at + kRecordFlags] & kDirectoryFlag) != 0 && !self)
                folders.emplace_back(Little32(&image[at + kRecordExtent]),
                                     Little32(&image[at + kRecordLength]));
            at += size;
        }
    }
    return true;
}

std::string TooLarge(uint64_t sectors) {
    return "the CD image takes " + std::to_string(sectors) + " sectors of " +
           std::to_string(kCdSectorBytes) + " bytes, more than the " + std::to_string(kCdSectors) +
           " of a 700 MB CD";
}

bool Failed(archive* handle, const char* what, std::string& why) {
    why = std::string("cannot write the CD image: ") + what + ": " +
          (archive_error_string(handle) != nullptr ? archive_error_string(handle) : "failed");
    return false;
}

bool AddEntry(archive* handle, const std::string& path, const std::vector<uint8_t>* bytes,
              int64_t seconds, std::string& why) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, path.c_str());
    archive_entry_set_filetype(entry, bytes != nullptr ? AE_IFREG : AE_IFDIR);
    archive_entry_set_perm(entry, bytes != nullptr ? 0444 : 0555);
    archive_entry_set_size(entry, bytes != nullptr ? static_cast<la_int64_t>(bytes->size()) : 0);
    archive_entry_set_mtime(entry, seconds, 0);
    archive_entry_set_atime(entry, seconds, 0);
    archive_entry_set_ctime(entry, seconds, 0);
    bool written = archive_write_header(handle, entry) == ARCHIVE_OK;
    if (written && bytes != nullptr && !bytes->empty())
        written = archive_write_data(handle, bytes->data(), bytes->size()) ==
                  static_cast<la_ssize_t>(bytes->size());
    archive_entry_free(entry);
    return written || Failed(handle, path.c_str(), why);
}

} // namespace

bool CanWriteIso() {
    return true;
}

bool MakeIsoImage(const std::vector<ImageFile>& files, const std::string& volume, int64_t seconds,
                  std::vector<uint8_t>& image, std::string& why) {
    // The files' own sectors alone may be too many: then nothing is written.
    uint64_t sectors = 0;
    for (const ImageFile& file : files)
        sectors += (file.bytes->size() + kCdSectorBytes - 1) / kCdSectorBytes;
    if (sectors > kCdSectors) {
        why = TooLarge(sectors);
        return false;
    }
    seconds = std::clamp<int64_t>(seconds, 0, kLastIsoSecond);
    const std::time_t fixed = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&fixed, &utc);
    // Folders first, each once, so that each is an entry of its own with the fixed time.
    std::set<std::string> folders;
    for (const ImageFile& file : files)
        for (size_t slash = file.path.find('/'); slash != std::string::npos;
             slash = file.path.find('/', slash + 1))
            folders.insert(file.path.substr(0, slash));
    std::vector<const ImageFile*> sorted;
    for (const ImageFile& file : files)
        sorted.push_back(&file);
    std::sort(sorted.begin(), sorted.end(),
              [](const ImageFile* a, const ImageFile* b) { return a->path < b->path; });

    image.clear();
    Archive out;
    archive* handle = out.handle;
    if (archive_write_set_format_iso9660(handle) != ARCHIVE_OK ||
        archive_write_set_format_option(handle, "iso9660", "iso-level", "1") != ARCHIVE_OK ||
        archive_write_set_format_option(handle, "iso9660", "joliet", "1") != ARCHIVE_OK ||
        archive_write_set_format_option(handle, "iso9660", "rockridge", nullptr) != ARCHIVE_OK ||
        archive_write_set_format_option(handle, "iso9660", "volume-id", volume.c_str()) !=
            ARCHIVE_OK ||
        archive_write_set_bytes_per_block(handle, 0) != ARCHIVE_OK ||
        archive_write_open(handle, &image, nullptr, Append, nullptr) != ARCHIVE_OK)
        return Failed(handle, "its options", why);
    for (const std::string& folder : folders)
        if (!AddEntry(handle, folder, nullptr, seconds, why)) return false;
    for (const ImageFile* file : sorted)
        if (!AddEntry(handle, file->path, file->bytes, seconds, why)) return false;
    if (archive_write_close(handle) != ARCHIVE_OK) return Failed(handle, "its close", why);
    if (!FixTimes(image, utc)) {
        why = "cannot write the CD image: libarchive laid it out in a way this build does not know";
        return false;
    }
    if (image.size() > static_cast<uint64_t>(kCdSectors) * kCdSectorBytes) {
        why = TooLarge(image.size() / kCdSectorBytes);
        return false;
    }
    return true;
}

#endif
