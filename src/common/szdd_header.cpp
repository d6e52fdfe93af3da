#include "szdd_header.h"

SzddHeaderStatus SzddParseHeader(const uint8_t* in, uint32_t size, SzddHeader* header) {
    const uint32_t have = size < sizeof kSzddMagic ? size : sizeof kSzddMagic;
    for (uint32_t i = 0; i < have; ++i) {
        if (in[i] != kSzddMagic[i]) return SzddHeaderStatus::NotSzdd;
    }
    if (size < kSzddHeaderSize) return SzddHeaderStatus::TooShort;
    header->mode = in[8];
    header->lastNameChar = static_cast<char>(in[9]);
    header->expandedLength = static_cast<uint32_t>(in[10]) | (static_cast<uint32_t>(in[11]) << 8) |
                             (static_cast<uint32_t>(in[12]) << 16) |
                             (static_cast<uint32_t>(in[13]) << 24);
    return header->mode == kSzddModeA ? SzddHeaderStatus::Ok : SzddHeaderStatus::UnknownMode;
}
