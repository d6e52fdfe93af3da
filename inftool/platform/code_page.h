#pragma once

#include <cstdint>
#include <string>

// Text in a Windows ANSI code page, made by the platform's own converter: iconv on Linux,
// WideCharToMultiByte on Windows. Neither may fall back on a "best fit" character: a code
// point the page lacks is refused, so that "ł" never quietly becomes "l" in code page 1252.

// The ANSI code pages of Windows, the only ones the installer's text can be in.
bool IsAnsiCodePage(uint32_t codePage);

struct CodePageEncoder {
    uint32_t codePage;
    void* handle; // the platform's converter, when it has one for the page
};

// False when the platform cannot convert into codePage.
bool OpenEncoder(uint32_t codePage, CodePageEncoder& encoder);

// Appends the bytes of one Unicode code point in the encoder's code page to out; false, with
// out unchanged, when the page has no character for it.
bool EncodeCodePoint(CodePageEncoder& encoder, uint32_t codePoint, std::string& out);

void CloseEncoder(CodePageEncoder& encoder);
