#pragma once

#include <cstdint>
#include <string>

// The headers of a PE program, PE32 or PE32+, with all 16 data directories; the security
// directory (entry 4) holds offset and size. Enough for a reader of the headers, not to run.
inline std::string TinyPe(bool plus = false, uint32_t securityOffset = 0,
                          uint32_t securitySize = 0) {
    const size_t pe = 0x40, optional = pe + 24, count = optional + (plus ? 108 : 92);
    std::string bytes(count + 4 + 16 * 8, '\0');
    auto put = [&bytes](size_t at, uint32_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    put(0, 'M' | 'Z' << 8, 2);
    put(0x3C, pe, 4);
    put(pe, 'P' | 'E' << 8, 4);
    put(pe + 20, static_cast<uint32_t>(bytes.size() - optional), 2);
    put(optional, plus ? 0x20B : 0x10B, 2);
    put(count, 16, 4);
    put(count + 4 + 4 * 8, securityOffset, 4);
    put(count + 8 + 4 * 8, securitySize, 4);
    return bytes;
}
