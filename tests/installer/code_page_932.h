#pragma once

#include "common/dbcs.h"

// The lead bytes of code page 932 for one scope, as the installer learns them on a Japanese
// system. In its texts "\x94\x5c" is 能 and "\x83\x5c" is ソ: both end in the byte of "\".
struct CodePage932 {
    CodePage932() {
        for (int byte = 0x81; byte <= 0xFC; ++byte)
            if (byte <= 0x9F || byte >= 0xE0) MarkLeadByte(static_cast<uint8_t>(byte));
    }
    ~CodePage932() { ForgetLeadBytes(); }
    CodePage932(const CodePage932&) = delete;
    CodePage932& operator=(const CodePage932&) = delete;
};
