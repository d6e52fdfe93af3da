#include "formats/pe_signature.h"

namespace {

constexpr uint32_t kNewHeaderPointer = 0x3C; // e_lfanew, in the DOS header
constexpr uint32_t kPeSignature = 0x4550;    // "PE\0\0" read as a little-endian number
constexpr uint32_t kPeSignatureSize = 4;
constexpr uint32_t kOptionalSizeField = 16; // in the 20-byte file header
constexpr uint32_t kFileHeaderSize = 20;

struct OptionalLayout {
    uint16_t magic;
    uint32_t directoryCountField; // NumberOfRvaAndSizes, from the optional header's start
};
constexpr OptionalLayout kLayouts[] = {{0x10B, 92}, {0x20B, 108}}; // PE32, PE32+

constexpr uint32_t kSecurityDirectory = 4;
constexpr uint32_t kDirectoryEntrySize = 8; // file offset and size of the certificate table

uint32_t Read(const uint8_t* bytes, uint64_t at, uint32_t width) {
    uint32_t value = 0;
    for (uint32_t i = width; i-- > 0;)
        value = value << 8 | bytes[at + i];
    return value;
}

} // namespace

PeSignature ReadPeSignature(const uint8_t* bytes, size_t size) {
    if (size < kNewHeaderPointer + 4 || bytes[0] != 'M' || bytes[1] != 'Z')
        return PeSignature::NotPe;
    const uint64_t pe = Read(bytes, kNewHeaderPointer, 4);
    const uint64_t optional = pe + kPeSignatureSize + kFileHeaderSize;
    if (optional + 2 > size || Read(bytes, pe, 4) != kPeSignature) return PeSignature::NotPe;
    const uint32_t optionalSize = Read(bytes, pe + kPeSignatureSize + kOptionalSizeField, 2);
    const uint32_t magic = Read(bytes, optional, 2);
    for (const OptionalLayout& layout : kLayouts) {
        if (magic != layout.magic) continue;
        const uint64_t countEnd = layout.directoryCountField + 4;
        if (optionalSize < countEnd || optional + countEnd > size) return PeSignature::NotPe;
        if (Read(bytes, optional + layout.directoryCountField, 4) <= kSecurityDirectory)
            return PeSignature::Unsigned;
        const uint64_t entry = optional + countEnd + kSecurityDirectory * kDirectoryEntrySize;
        if (entry + kDirectoryEntrySize > optional + optionalSize ||
            entry + kDirectoryEntrySize > size)
            return PeSignature::NotPe;
        return Read(bytes, entry, 4) != 0 && Read(bytes, entry + 4, 4) != 0 ? PeSignature::Signed
                                                                            : PeSignature::Unsigned;
    }
    return PeSignature::NotPe;
}
