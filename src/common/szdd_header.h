#pragma once

#include <cstdint>

// The header of the LZ expansion library's compressed ("SZDD") files: an 8-byte signature,
// the method 'A', the kept last character of the name and the original length, LE32.
// Shared by the installer and inftool, and free of the C and C++ runtime.

constexpr uint8_t kSzddMagic[8] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};
constexpr uint32_t kSzddHeaderSize = 14;
constexpr uint8_t kSzddModeA = 0x41;

enum class SzddHeaderStatus {
    Ok,
    TooShort,    // fewer than 14 bytes, but what is there begins like an SZDD file
    NotSzdd,     // the signature is wrong
    UnknownMode, // the mode byte is not 'A'
};

struct SzddHeader {
    uint8_t mode;
    char lastNameChar; // 0 when none was kept
    uint32_t expandedLength;
};

// Reads the header at the start of size bytes. header is filled whenever the signature and
// size are right, also for an unknown mode.
SzddHeaderStatus SzddParseHeader(const uint8_t* in, uint32_t size, SzddHeader* header);
