#include "formats/fat_names.h"

#include "formats/fat_format.h"
#include "platform/code_page.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMaxLongName = 255;
constexpr uint32_t kMaxNumericTail = 999999;
constexpr uint8_t kLongNameCharOffsets[kLongNameCharsPerEntry] = {1,  3,  5,  7,  9,  14, 16,
                                                                  18, 20, 22, 24, 28, 30};

bool IsShortNameChar(char c) {
    return static_cast<uint8_t>(c) >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= '0' && c <= '9') || (c != '\0' && std::strchr("!#$%&'()-@^_`{}~", c) != nullptr);
}

// The single bytes of part in the OEM code page: a trail byte of a two-byte character is no
// letter, whatever its value.
std::string SingleBytes(const std::string& part) {
    std::string singles;
    for (size_t i = 0; i < part.size(); ++i) {
        if (IsLeadByteOf(OemCodePage(), static_cast<uint8_t>(part[i])))
            ++i;
        else
            singles += part[i];
    }
    return singles;
}

bool IsOneCase(const std::string& part) {
    bool upper = false, lower = false;
    for (char c : SingleBytes(part)) {
        upper = upper || (c >= 'A' && c <= 'Z');
        lower = lower || (c >= 'a' && c <= 'z');
    }
    return !(upper && lower);
}

bool HasLower(const std::string& part) {
    for (char c : SingleBytes(part))
        if (c >= 'a' && c <= 'z') return true;
    return false;
}

// part with its single-byte letters upper-cased.
std::string UpperOem(const std::string& part) {
    std::string upper = part;
    for (size_t i = 0; i < upper.size(); ++i) {
        if (IsLeadByteOf(OemCodePage(), static_cast<uint8_t>(upper[i])))
            ++i;
        else if (upper[i] >= 'a' && upper[i] <= 'z')
            upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
    }
    return upper;
}

// The bytes of text up to limit, cut before a two-byte character that would not fit whole.
size_t WholeBytes(const std::string& text, size_t limit) {
    size_t at = 0;
    while (at < text.size()) {
        const size_t size = IsLeadByteOf(OemCodePage(), static_cast<uint8_t>(text[at])) ? 2 : 1;
        if (at + size > limit) break;
        at += size;
    }
    return std::min(at, text.size());
}

std::vector<uint16_t> Utf16Of(const std::string& utf8) {
    std::vector<uint16_t> units;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k)
            code = code << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        if (code >= 0x10000) {
            units.push_back(static_cast<uint16_t>(0xD800 + ((code - 0x10000) >> 10)));
            units.push_back(static_cast<uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<uint16_t>(code));
        }
        i += length;
    }
    return units;
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
    const std::string upperBase = UpperOem(base), upperExtension = UpperOem(extension);
    std::memcpy(entry.bytes, upperBase.data(), WholeBytes(upperBase, 8));
    std::memcpy(entry.bytes + 8, upperExtension.data(), WholeBytes(upperExtension, 3));
    // A first byte E5 marks a deleted entry; 05 stands for it.
    if (static_cast<uint8_t>(entry.bytes[0]) == kEntryDeleted) entry.bytes[0] = kEntryNameE5;
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
    size_t characters = 0;
    for (char c : name) {
        const auto byte = static_cast<uint8_t>(c);
        characters += (byte & 0xC0) != 0x80 ? 1 : 0;
        if (byte < 0x80 && (byte < ' ' || byte == 0x7F || std::strchr("\"*/:<>?\\|", c) != nullptr))
            return false;
    }
    return characters != 0 && characters <= kMaxLongName;
}

bool IsShortName(const std::string& name) {
    std::string base, extension;
    SplitAtDot(name, name.find('.'), base, extension);
    bool shortName = !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
                     extension.find('.') == std::string::npos && IsOneCase(base) &&
                     IsOneCase(extension);
    // A trail byte of a two-byte character may be any value, 0x5C among them.
    for (const std::string& part : {base, extension})
        for (size_t i = 0; i < part.size(); ++i) {
            if (IsLeadByteOf(OemCodePage(), static_cast<uint8_t>(part[i])) && i + 1 < part.size())
                ++i;
            else
                shortName = shortName && IsShortNameChar(part[i]);
        }
    return shortName;
}

FatNameForm FormOfName(const std::string& name) {
    FatNameForm form{{}, true, Utf16Of(name), false};
    if (!ConvertText(kUtf8, OemCodePage(), name, form.oem)) {
        form.whole = false;
        form.oem.clear();
        for (size_t i = 0; i < name.size();) {
            const auto lead = static_cast<uint8_t>(name[i]);
            const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            std::string character;
            if (!ConvertText(kUtf8, OemCodePage(), name.substr(i, length), character))
                character = "_";
            form.oem += character;
            i += length;
        }
    }
    form.shortOnly = form.whole && IsShortName(form.oem);
    return form;
}

uint32_t EntriesOfName(const std::string& name) {
    const FatNameForm form = FormOfName(name);
    if (form.shortOnly) return 1;
    return 1 + static_cast<uint32_t>((form.units.size() + kLongNameCharsPerEntry - 1) /
                                     kLongNameCharsPerEntry);
}

bool Utf8OfUnits(const uint16_t* units, size_t count, std::string& name) {
    bool text = true;
    name.clear();
    for (size_t i = 0; i < count; ++i) {
        uint32_t code = units[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code < 0xE000) {
            text = false;
            code = '_';
        }
        AppendUtf8(code, name);
    }
    return text;
}

bool Utf8OfOem(const std::string& oem, std::string& name) {
    if (ConvertText(OemCodePage(), kUtf8, oem, name)) return true;
    name = oem;
    for (char& c : name)
        if (static_cast<uint8_t>(c) >= 0x80) c = '_';
    return false;
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
    std::string utf8 = diskName.empty() ? "DISK" + std::to_string(number) : diskName;
    std::string converted;
    if (AnsiCodePage() != 0 && ConvertText(AnsiCodePage(), kUtf8, utf8, converted))
        utf8 = converted;
    std::string label = UpperOem(FormOfName(utf8).oem);
    for (size_t i = 0; i < label.size(); ++i) {
        if (IsLeadByteOf(OemCodePage(), static_cast<uint8_t>(label[i])))
            ++i;
        else if (label[i] != ' ' && !IsShortNameChar(label[i]))
            label[i] = '_';
    }
    label.resize(WholeBytes(label, kShortNameBytes));
    label.resize(kShortNameBytes, ' ');
    if (static_cast<uint8_t>(label[0]) == kEntryDeleted) label[0] = static_cast<char>(kEntryNameE5);
    return label;
}

uint8_t LongNameChecksum(const char (&shortName)[kShortNameBytes]) {
    uint8_t sum = 0;
    for (char c : shortName)
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<uint8_t>(c));
    return sum;
}

void FillLongNameEntry(const std::vector<uint16_t>& name, uint32_t ordinal, uint8_t checksum,
                       uint8_t* entry) {
    const size_t last = (name.size() + kLongNameCharsPerEntry - 1) / kLongNameCharsPerEntry;
    std::memset(entry, 0, kDirEntryBytes);
    entry[0] = static_cast<uint8_t>(ordinal | (ordinal == last ? kLastLongNameEntry : 0));
    entry[kEntryAttributes] = kLongNameAttributes;
    entry[kLongNameChecksum] = checksum;
    // After the name one NUL, then 0xFFFF to the end of the entry.
    for (uint32_t i = 0; i < kLongNameCharsPerEntry; ++i) {
        const size_t at = (ordinal - 1) * kLongNameCharsPerEntry + i;
        const uint16_t unit = at < name.size() ? name[at] : at == name.size() ? 0 : 0xFFFF;
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
    bool trail = false;
    for (uint32_t i = 0; i < kShortNameBytes; ++i) {
        const bool base = i < 8;
        if (i == 8) trail = false;
        char c = static_cast<char>(i == 0 && entry[0] == kEntryNameE5 ? kEntryDeleted : entry[i]);
        if (!trail && c >= 'A' && c <= 'Z' &&
            (entry[kEntryCase] & (base ? kLowerCaseBase : kLowerCaseExtension)))
            c = static_cast<char>(c - 'A' + 'a');
        trail = !trail && IsLeadByteOf(OemCodePage(), static_cast<uint8_t>(c));
        parts[base ? 0 : 1] += c;
    }
    for (std::string& part : parts)
        part.erase(part.find_last_not_of(' ') + 1);
    return parts[1].empty() ? parts[0] : parts[0] + "." + parts[1];
}
