#include "formats/fat_names.h"

#include "formats/fat_format.h"

#include <cstring>

namespace {

constexpr size_t kMaxLongName = 255;
constexpr uint32_t kMaxNumericTail = 999999;
constexpr uint8_t kLongNameCharOffsets[kLongNameCharsPerEntry] = {1,  3,  5,  7,  9,  14, 16,
                                                                  18, 20, 22, 24, 28, 30};

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

bool HasLower(const std::string& part) {
    for (char c : part)
        if (c >= 'a' && c <= 'z') return true;
    return false;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void SplitAtDot(const std::string& name, size_t dot, std::string& base, std::string& extension) {
    base = name.substr(0, dot);
    extension = dot == std::string::npos ? "" : name.substr(dot + 1);
}

ShortName Padded(const std::string& base, const std::string& extension) {
    ShortName entry{};
    std::memset(entry.bytes, ' ', kShortNameBytes);
    for (size_t i = 0; i < base.size() && i < 8; ++i)
        entry.bytes[i] = Upper(base[i]);
    for (size_t i = 0; i < extension.size() && i < 3; ++i)
        entry.bytes[8 + i] = Upper(extension[i]);
    return entry;
}

} // namespace

std::string FoldedName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        c = Upper(c);
    return folded;
}

bool IsFatName(const std::string& name) {
    if (name.empty() || name.size() > kMaxLongName) return false;
    for (char c : name)
        if (c < ' ' || c > '~' || std::strchr("\"*/:<>?\\|", c) != nullptr) return false;
    return true;
}

bool IsShortName(const std::string& name) {
    std::string base, extension;
    SplitAtDot(name, name.find('.'), base, extension);
    bool shortName = !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
                     extension.find('.') == std::string::npos && IsOneCase(base) &&
                     IsOneCase(extension);
    for (char c : base + extension)
        shortName = shortName && IsShortNameChar(c);
    return shortName;
}

uint32_t EntriesOfName(const std::string& name) {
    if (IsShortName(name)) return 1;
    return 1 + static_cast<uint32_t>((name.size() + kLongNameCharsPerEntry - 1) /
                                     kLongNameCharsPerEntry);
}

ShortName ShortFormOf(const std::string& name) {
    std::string base, extension;
    SplitAtDot(name, name.find('.'), base, extension);
    ShortName entry = Padded(base, extension);
    entry.caseFlags = static_cast<uint8_t>((HasLower(base) ? kLowerCaseBase : 0) |
                                           (HasLower(extension) ? kLowerCaseExtension : 0));
    return entry;
}

ShortName GeneratedShortName(const std::string& name, const std::set<std::string>& taken) {
    // The basis drops blanks and leading dots; the extension follows the last dot, the base
    // loses any other dot; a character a short name cannot hold becomes "_".
    bool lossy = false;
    std::string kept;
    for (char c : name) {
        const bool drop = c == ' ' || (c == '.' && kept.empty());
        lossy = lossy || drop;
        if (!drop) kept += c;
    }
    std::string base, extension;
    SplitAtDot(kept, kept.rfind('.'), base, extension);
    std::string plainBase;
    for (char c : base) {
        lossy = lossy || c == '.';
        if (c != '.') plainBase += c;
    }
    for (std::string* part : {&plainBase, &extension}) {
        for (char& c : *part) {
            if (IsShortNameChar(c)) continue;
            c = '_';
            lossy = true;
        }
    }
    if (plainBase.empty()) plainBase = "_";
    const bool fits = plainBase.size() <= 8 && extension.size() <= 3;
    ShortName entry = Padded(plainBase, extension);
    if (!lossy && fits && taken.count(std::string(entry.bytes, kShortNameBytes)) == 0) return entry;
    for (uint32_t n = 1; n <= kMaxNumericTail; ++n) {
        const std::string tail = "~" + std::to_string(n);
        entry = Padded(plainBase.substr(0, 8 - tail.size()) + tail, extension);
        if (taken.count(std::string(entry.bytes, kShortNameBytes)) == 0) break;
    }
    return entry;
}

std::string VolumeLabel(const std::string& diskName, uint16_t number) {
    std::string label = diskName.empty() ? "DISK" + std::to_string(number) : diskName;
    label.resize(kShortNameBytes, ' ');
    for (char& c : label) {
        c = Upper(c);
        if (c != ' ' && !IsShortNameChar(c)) c = '_';
    }
    return label;
}

uint8_t LongNameChecksum(const char (&shortName)[kShortNameBytes]) {
    uint8_t sum = 0;
    for (char c : shortName)
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<uint8_t>(c));
    return sum;
}

void FillLongNameEntry(const std::string& name, uint32_t ordinal, uint8_t checksum,
                       uint8_t* entry) {
    const size_t last = (name.size() + kLongNameCharsPerEntry - 1) / kLongNameCharsPerEntry;
    std::memset(entry, 0, kDirEntryBytes);
    entry[0] = static_cast<uint8_t>(ordinal | (ordinal == last ? kLastLongNameEntry : 0));
    entry[kEntryAttributes] = kLongNameAttributes;
    entry[kLongNameChecksum] = checksum;
    // After the name one NUL, then 0xFFFF to the end of the entry.
    for (uint32_t i = 0; i < kLongNameCharsPerEntry; ++i) {
        const size_t at = (ordinal - 1) * kLongNameCharsPerEntry + i;
        const uint16_t unit = at < name.size()    ? static_cast<uint8_t>(name[at])
                              : at == name.size() ? 0
                                                  : 0xFFFF;
        entry[kLongNameCharOffsets[i]] = static_cast<uint8_t>(unit & 0xFF);
        entry[kLongNameCharOffsets[i] + 1] = static_cast<uint8_t>(unit >> 8);
    }
}

void ReadLongNameEntry(const uint8_t* entry, uint16_t (&units)[kLongNameCharsPerEntry]) {
    for (uint32_t i = 0; i < kLongNameCharsPerEntry; ++i)
        units[i] = static_cast<uint16_t>(entry[kLongNameCharOffsets[i]] |
                                         entry[kLongNameCharOffsets[i] + 1] << 8);
}

std::string NameOfShortEntry(const uint8_t* entry) {
    std::string parts[2];
    for (uint32_t i = 0; i < kShortNameBytes; ++i) {
        const bool base = i < 8;
        char c = static_cast<char>(i == 0 && entry[0] == kEntryNameE5 ? kEntryDeleted : entry[i]);
        if (c >= 'A' && c <= 'Z' &&
            (entry[kEntryCase] & (base ? kLowerCaseBase : kLowerCaseExtension)))
            c = static_cast<char>(c - 'A' + 'a');
        parts[base ? 0 : 1] += c;
    }
    for (std::string& part : parts)
        part.erase(part.find_last_not_of(' ') + 1);
    return parts[1].empty() ? parts[0] : parts[0] + "." + parts[1];
}
