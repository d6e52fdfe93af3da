#pragma once

#include <cstdint>

// The languages the installer speaks, and how it picks one. A language is shown only where the
// system's ANSI code page is its own: this is an ANSI program, and a text in another code page
// would reach the screen as question marks.

constexpr uint16_t kEnglishUs = 0x0409;

struct Language {
    uint16_t id;       // LANGID of its resources
    uint16_t codePage; // its ANSI code page
};

// The languages of the resources, US English first.
extern const Language kLanguages[];
extern const uint32_t kLanguageCount;

// The language of the user interface language uiLanguage, on a system whose ANSI code page is
// systemCodePage: the one of that LANGID, else the first of its primary language, as long as
// its code page is the system's; US English otherwise.
uint16_t ChooseLanguage(uint16_t uiLanguage, uint16_t systemCodePage);

// A locale as the registry records it, hexadecimal digits ("00000407"), to its LANGID (the low
// 16 bits); false for anything else, an empty text included.
bool ParseLocaleText(const char* text, uint16_t* language);

// String id % 16 of a string bundle, a run of counted UTF-16 strings, of units 16-bit units.
// False when the bundle ends before the string does; an empty string is found with length 0.
bool FindBundleString(const uint16_t* bundle, uint32_t units, uint32_t index, const uint16_t** text,
                      uint32_t* length);
