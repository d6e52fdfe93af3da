#include "dbcs.h"

namespace {

uint8_t s_leadBits[256 / 8];

} // namespace

void ForgetLeadBytes() {
    for (uint8_t& bits : s_leadBits)
        bits = 0;
}

void MarkLeadByte(uint8_t byte) {
    s_leadBits[byte / 8] = static_cast<uint8_t>(s_leadBits[byte / 8] | (1u << (byte % 8)));
}

bool IsLeadByte(char c) {
    const uint8_t byte = static_cast<uint8_t>(c);
    return (s_leadBits[byte / 8] >> (byte % 8) & 1u) != 0;
}

uint32_t CopyWholeChars(char* out, uint32_t width, const char* text, uint32_t length) {
    if (width == 0) return 0;
    uint32_t copied = 0;
    while (copied < length && text[copied] != '\0') {
        const uint32_t size =
            IsLeadByte(text[copied]) && copied + 1 < length && text[copied + 1] != '\0' ? 2 : 1;
        if (copied + size >= width) break;
        for (uint32_t i = 0; i < size; ++i)
            out[copied + i] = text[copied + i];
        copied += size;
    }
    out[copied] = '\0';
    return copied;
}
