#pragma once

#include <cstdint>
#include <string>

// Text in a Windows ANSI code page, made by the platform's own converter: iconv on Linux,
// WideCharToMultiByte on Windows. Neither may fall back on a "best fit" character: a code
// point the page lacks is refused, so that "ł" never quietly becomes "l" in code page 1252.

// The ANSI code pages of Windows, the only ones the installer's text can be in.
bool IsAnsiCodePage(uint32_t codePage);

// The UTF-8 bytes of a Unicode code point, appended to out.
void AppendUtf8(uint32_t codePoint, std::string& out);

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

// Text of one code page in another, whole, with no character lost or approximated; false when
// a byte sequence is no character of from or a character has none in to. kUtf8 stands for
// UTF-8 on either side; any page the platform converts is taken, OEM pages (437, 850...) too.
constexpr uint32_t kUtf8 = 65001;
bool ConvertText(uint32_t from, uint32_t to, const std::string& in, std::string& out);

// The OEM code page that FAT short names are in on a Windows of ANSI code page ansi: 1252
// gives 850, 1251 866, 932 932...; 437 for 0.
uint32_t OemCodePageOf(uint32_t ansi);

// "N" as an OEM code page of DOS and Windows; false, with why naming option and value.
bool ParseOemCodePage(const char* option, const char* text, uint32_t& codePage, std::string& why);

// The code pages of a run: the ANSI one the script's names are in (0: none given, names are
// taken as bytes), which also sets the lead bytes as UseLeadBytesOf does, and the OEM one of
// short names on a FAT disk (OemCodePageOf the ANSI one unless given).
void UseCodePages(uint32_t ansi, uint32_t oem = 0);
uint32_t AnsiCodePage();
uint32_t OemCodePage();

// A name of the script (bytes of the ANSI code page) as the host's file system spells it:
// UTF-8 on Linux, the process's ANSI code page on Windows. Without an ANSI code page the bytes
// are taken as they stand. False when the name is no text of the page.
bool HostName(const std::string& name, std::string& host);

// A name of the script for a message: UTF-8 through the ANSI code page; without one, the
// bytes as they stand when they are UTF-8, else each byte beyond ASCII as \xNN.
std::string ShownName(const std::string& name);

// Bytes for a message: UTF-8 as it stands, any other byte beyond ASCII as \xNN.
std::string EscapedBytes(const std::string& bytes);

// Whether byte starts a two-byte character of codePage (932, 936, 949, 950), ANSI or OEM.
bool IsLeadByteOf(uint32_t codePage, uint8_t lead);
