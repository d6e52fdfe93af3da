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

// "N" as an ANSI code page; false, with why naming option and value, when it is none.
bool ParseAnsiCodePage(const char* option, const char* text, uint32_t& codePage, std::string& why);

// Makes the installer's path walks (common/dbcs.h) step over the two-byte characters of
// codePage as Windows with that ANSI code page does: the lead bytes of 932, 936, 949 and 950,
// none for the single-byte pages.
void UseLeadBytesOf(uint32_t codePage);

// Text in an ANSI code page as UTF-8, as Windows with that page shows it: character by
// character, with the lead bytes UseLeadBytesOf gave; a character the page has no meaning for
// becomes U+FFFD. False when the platform cannot convert from the page.
bool DecodeToUtf8(uint32_t codePage, const char* text, size_t length, std::string& out);
