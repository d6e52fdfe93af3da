#include "background/ramp.h"
#include "code_page_932.h"
#include "common/languages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct ChoiceCase {
    uint16_t ui;
    uint16_t codePage;
    uint16_t chosen;
};

TEST(ChooseLanguage, ExactThenPrimaryAndOnlyOnItsOwnCodePage) {
    const ChoiceCase cases[] = {
        {0x0409, 1252, 0x0409}, {0x0407, 1252, 0x0407}, // exact
        {0x0C07, 1252, 0x0407}, {0x0807, 1252, 0x0407}, // Austrian, Swiss German: German
        {0x080C, 1252, 0x040C}, {0x040A, 1252, 0x0C0A}, // Belgian French, traditional Spanish
        {0x0816, 1252, 0x0416}, {0x0415, 1250, 0x0415}, // Portuguese: Brazilian; Polish
        {0x0419, 1251, 0x0419}, {0x0411, 932, 0x0411},  // Russian, Japanese
        {0x0809, 1252, 0x0409}, {0x0405, 1250, 0x0409}, // British English; Czech: none
        {0x0419, 1252, 0x0409}, {0x0411, 1252, 0x0409}, // not on a Western code page
        {0x0419, 932, 0x0409},  {0x0415, 1251, 0x0409}, // nor on a foreign one
        {0x0407, 932, 0x0409},  {0x0409, 932, 0x0409},  // English wherever no other fits
        {0x0000, 1252, 0x0409},
    };
    for (const ChoiceCase& c : cases)
        EXPECT_EQ(ChooseLanguage(c.ui, c.codePage), c.chosen)
            << std::hex << c.ui << " on " << std::dec << c.codePage;
}

TEST(ChooseLanguage, EveryLanguageOnItsOwnCodePageIsItself) {
    EXPECT_EQ(kLanguages[0].id, kEnglishUs);
    for (uint32_t i = 0; i < kLanguageCount; ++i)
        EXPECT_EQ(ChooseLanguage(kLanguages[i].id, kLanguages[i].codePage), kLanguages[i].id);
}

TEST(ParseLocaleText, HexadecimalLocalesOnly) {
    uint16_t language = 0;
    ASSERT_TRUE(ParseLocaleText("00000407", &language));
    EXPECT_EQ(language, 0x0407);
    ASSERT_TRUE(ParseLocaleText("411", &language));
    EXPECT_EQ(language, 0x0411);
    ASSERT_TRUE(ParseLocaleText("00010c0A", &language)); // a sort order above the LANGID
    EXPECT_EQ(language, 0x0C0A);
    language = 0x1234;
    for (const char* bad : {"", "0x0407", "00000407 ", "000000407", "-407", "04G7"}) {
        EXPECT_FALSE(ParseLocaleText(bad, &language)) << bad;
        EXPECT_EQ(language, 0x1234) << bad;
    }
}

std::vector<uint16_t> Bundle(std::initializer_list<const char16_t*> strings) {
    std::vector<uint16_t> out;
    for (const char16_t* s : strings) {
        const size_t length = std::char_traits<char16_t>::length(s);
        out.push_back(static_cast<uint16_t>(length));
        out.insert(out.end(), s, s + length);
    }
    return out;
}

TEST(FindBundleString, CountedStringsByIndex) {
    const std::vector<uint16_t> bundle =
        Bundle({u"", u"Setup", u"", u"\u30bb\u30c3\u30c8", u"", u"", u"", u"", u"", u"", u"", u"",
                u"", u"", u"", u"last"});
    const uint16_t* text = nullptr;
    uint32_t length = 99;
    const auto units = static_cast<uint32_t>(bundle.size());
    ASSERT_TRUE(FindBundleString(bundle.data(), units, 1, &text, &length));
    EXPECT_EQ(std::u16string(text, text + length), u"Setup");
    ASSERT_TRUE(FindBundleString(bundle.data(), units, 3, &text, &length));
    EXPECT_EQ(std::u16string(text, text + length), u"\u30bb\u30c3\u30c8");
    ASSERT_TRUE(FindBundleString(bundle.data(), units, 15, &text, &length));
    EXPECT_EQ(std::u16string(text, text + length), u"last");
    ASSERT_TRUE(FindBundleString(bundle.data(), units, 2, &text, &length));
    EXPECT_EQ(length, 0u);
    EXPECT_FALSE(FindBundleString(bundle.data(), units, 16, &text, &length));
}

TEST(FindBundleString, NothingIsReadPastAShortBundle) {
    const std::vector<uint16_t> bundle = Bundle({u"", u"Setup"});
    const uint16_t* text = nullptr;
    uint32_t length = 0;
    EXPECT_TRUE(FindBundleString(bundle.data(), 7, 1, &text, &length));
    EXPECT_FALSE(FindBundleString(bundle.data(), 6, 1, &text, &length)); // one unit short
    EXPECT_FALSE(FindBundleString(bundle.data(), 7, 2, &text, &length));
    EXPECT_FALSE(FindBundleString(bundle.data(), 0, 0, &text, &length));
}

TEST(CopyWholeChars, CutsBeforeADoubleByteCharacterThatDoesNotFit) {
    const CodePage932 japanese;
    const char text[] = "AB\x83\x5c\x94\x5c"; // AB, then ソ and 能
    char out[8];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(CopyWholeChars(out, 4, text, 6), 2u); // ソ would need bytes 3 and 4
    EXPECT_STREQ(out, "AB");
    EXPECT_EQ(out[3], '#');
    EXPECT_EQ(CopyWholeChars(out, 5, text, 6), 4u);
    EXPECT_STREQ(out, "AB\x83\x5c");
    EXPECT_EQ(CopyWholeChars(out, 8, text, 6), 6u);
    EXPECT_STREQ(out, text);
    EXPECT_EQ(CopyWholeChars(out, 8, "A\x83", 2), 2u); // a lead byte at the end stands alone
    EXPECT_EQ(CopyWholeChars(out, 0, text, 6), 0u);
}

TEST(ScaleForDpi, SameAt96AndRoundedElsewhere) {
    EXPECT_EQ(ScaleForDpi(-42, 96), -42);
    EXPECT_EQ(ScaleForDpi(-42, 120), -53);
    EXPECT_EQ(ScaleForDpi(-42, 144), -63);
    EXPECT_EQ(ScaleForDpi(-42, 192), -84);
    EXPECT_EQ(ScaleForDpi(7, 96), 7);
    EXPECT_EQ(ScaleForDpi(7, 144), 11);
    EXPECT_EQ(ScaleForDpi(10, 120), 13);
    EXPECT_EQ(ScaleForDpi(0, 192), 0);
}

} // namespace
