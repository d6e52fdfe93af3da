#pragma once

// The LZ expansion library's "SZDD" file format: a 14-byte header followed by an LZSS stream
// over a 4096-byte ring buffer. Portable code, no platform calls.

#include "common/szdd_header.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kSzddRingSize = 4096;
constexpr uint32_t kSzddRingStart = kSzddRingSize - 16;
constexpr uint8_t kSzddRingFill = 0x20;
constexpr uint32_t kSzddMinMatch = 3;
constexpr uint32_t kSzddMaxMatch = 18;

// Neither side handles more than this: the tool's buffers stay sane on hostile headers, and
// every file the compressor writes is one the expander accepts.
constexpr uint32_t kSzddMaxExpanded = 256u * 1024u * 1024u;

enum class SzddStatus {
    Ok,
    HeaderTooShort, // fewer than 14 bytes, but what is there begins like an SZDD file
    NotSzdd,        // the signature is wrong
    UnknownMode,    // the mode byte is not 'A'
    TooLarge,       // the declared length is above kSzddMaxExpanded
    Truncated,      // the stream ends before the declared length is reached
    CutMatch,       // the stream ends inside a two-byte match reference
    ExtraData,      // the stream holds more than the declared length
};

// One line of text for a status, suitable after "FILE: ".
const char* SzddStatusText(SzddStatus status);

// Checks the signature and fills `header`; Ok, HeaderTooShort, NotSzdd or UnknownMode.
SzddStatus SzddReadHeader(const uint8_t* in, size_t n, SzddHeader& header);

// The largest output that `streamBytes` bytes of LZSS stream can produce (all matches of 18).
uint64_t SzddMaxExpansion(size_t streamBytes);

// Writes header and stream to `out` (replacing its content). False, with `out` empty, when
// n exceeds kSzddMaxExpanded.
bool SzddCompress(const uint8_t* in, size_t n, char lastNameChar, std::vector<uint8_t>& out);

// Expands a whole SZDD file. On Ok `out` holds exactly the declared length. On failure `out`
// holds what was expanded before the fault (empty for header faults); `header`, when given,
// is filled whenever the header itself was valid.
SzddStatus SzddExpand(const uint8_t* in, size_t n, std::vector<uint8_t>& out,
                      SzddHeader* header = nullptr);

// The character the header keeps for a file name: the basename's last character when the
// basename has an extension (a '.' after its first character, not at its end), else 0.
// "SCAN.DLL" -> 'L', "dir/readme.txt" -> 't', "README" -> 0, "FOO." -> 0, ".profile" -> 0.
char SzddLastNameChar(const char* path);
