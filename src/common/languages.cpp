#include "languages.h"

namespace {

constexpr uint16_t PrimaryLanguage(uint16_t id) {
    return id & 0x3FF;
}

constexpr uint32_t kBundleStrings = 16;

} // namespace

const Language kLanguages[] = {
    {kEnglishUs, 1252}, // US English
    {0x0407, 1252},     // German
    {0x040C, 1252},     // French
    {0x0C0A, 1252},     // Spanish
    {0x0410, 1252},     // Italian
    {0x0413, 1252},     // Dutch
    {0x0416, 1252},     // Brazilian Portuguese
    {0x041D, 1252},     // Swedish
    {0x0415, 1250},     // Polish
    {0x0419, 1251},     // Russian
    {0x0411, 932},      // Japanese
};
const uint32_t kLanguageCount = sizeof kLanguages / sizeof kLanguages[0];

uint16_t ChooseLanguage(uint16_t uiLanguage, uint16_t systemCodePage) {
    const Language* chosen = nullptr;
    for (const Language& language : kLanguages) {
        if (language.id == uiLanguage) {
            chosen = &language;
            break;
        }
        if (chosen == nullptr && PrimaryLanguage(language.id) == PrimaryLanguage(uiLanguage))
            chosen = &language;
    }
    if (chosen == nullptr || chosen->codePage != systemCodePage) return kEnglishUs;
    return chosen->id;
}

bool ParseLocaleText(const char* text, uint16_t* language) {
    uint32_t value = 0;
    uint32_t digits = 0;
    for (const char* p = text; *p != '\0'; ++p, ++digits) {
        const int c = *p;
        const int lower = c | 0x20;
        // Below '0' and past 'f' or 'F' the difference wraps or exceeds 15; '@' and '`', which
        // the case fold makes one, and the rest between '9' and 'A' come out as 16.
        const uint32_t digit = c <= '9'       ? static_cast<uint32_t>(c - '0')
                               : lower >= 'a' ? static_cast<uint32_t>(lower - 'a' + 10)
                                              : 16;
        if (digit > 15 || digits == 8) return false;
        value = value << 4 | digit;
    }
    if (digits == 0) return false;
    *language = static_cast<uint16_t>(value & 0xFFFF);
    return true;
}

bool FindBundleString(const uint16_t* bundle, uint32_t units, uint32_t index, const uint16_t** text,
                      uint32_t* length) {
    if (index >= kBundleStrings) return false;
    uint32_t at = 0;
    for (uint32_t i = 0;; ++i) {
        if (at >= units) return false;
        const uint32_t count = bundle[at];
        if (count > units - at - 1) return false;
        if (i == index) {
            *text = bundle + at + 1;
            *length = count;
            return true;
        }
        at += 1 + count;
    }
}
