#pragma once

#include <cstdint>

// Texts in the system's ANSI code page. On the double-byte code pages (932, 936, 949, 950) a
// lead byte starts a two-byte character whose second byte may be any of many values, the
// backslash among them ("ソ" is 83 5C in 932): every walk through a path steps over whole
// characters. The lead bytes are learnt from the system once; until then, and on the single-byte
// code pages, every byte is a character of its own.

void ForgetLeadBytes();
void MarkLeadByte(uint8_t byte);
bool IsLeadByte(char c);

// The character after the one at p (one or two bytes on); a lead byte before the terminator
// stands alone.
// Static: the installer's link-time optimised objects and inftool's plain ones would each
// give the i686 linker a definition of its own.
static inline const char* NextChar(const char* p) {
    return p + (IsLeadByte(*p) && p[1] != '\0' ? 2 : 1);
}
static inline char* NextChar(char* p) {
    return const_cast<char*>(NextChar(static_cast<const char*>(p)));
}

// Copies length bytes of text (or fewer, up to a terminator) into out of width bytes, the
// terminator included, cut before the character that would not fit whole; returns the bytes
// copied.
uint32_t CopyWholeChars(char* out, uint32_t width, const char* text, uint32_t length);
