#include "background/ramp.h"
#include "code_page_932.h"
#include "common/languages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ChooseLanguage, ExactThenPrimaryAndOnlyOnItsOwnCodePage) {
    const struct {
        uint16_t ui, codePage, chosen;
    } cases[] = {
        {0x0407, 1252, 0x0407}, {0x0411, 932, 0x0411},  // exact
        {0x0C07, 1252, 0x0407},                         // Austrian German: the first German
        {0x040A, 1252, 0x0C0A},                         // traditional Spanish: the only Spanish
        {0x0809, 1252, 0x0409}, {0x0405, 1250, 0x0409}, // British English; Czech: none
        {0x0419, 1252, 0x0409}, {0x0415, 1251, 0x0409}, // not on another code page
        {0x0409, 932, 0x0409},  {0x0000, 1252, 0x0409},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseLanguage(c.ui, c.codePage), c.chosen)
            << std::hex << c.ui << " on " << std::dec << c.codePage;
}

TEST(ParseLocaleText, HexadecimalLocalesOnly) {
    uint16_t language = 0;
    for (const char* text : {"00000407", "407", "00010407"}) { // a sort order above the LANGID
        EXPECT_TRUE(ParseLocaleText(text, &language)) << text;
        EXPECT_EQ(language, 0x0407) << text;
    }
    EXPECT_TRUE(ParseLocaleText("00000c0A", &language)); // either case
    EXPECT_EQ(language, 0x0C0A);
    language = 0x1234;
    for (const char* bad :
         {"", "0x0407", "00000407 ", "000000407", "-407", "04G7", "0@09", "0`09", "04:7", "04/7"}) {
        EXPECT_FALSE(ParseLocaleText(bad, &language)) << bad;
        EXPECT_EQ(language, 0x1234) << bad;
    }
}

TEST(FindBundleString, CountedStringsByIndexAndNothingPastTheEnd) {
    std::vector<uint16_t> bundle;
    for (const char16_t* s : {u"", u"Setup", u"\u30bb\u30c3\u30c8"}) {
        bundle.push_back(static_cast<uint16_t>(std::char_traits<char16_t>::length(s)));
        bundle.insert(bundle.end(), s, s + bundle.back());
    }
    const struct {
        uint32_t units, index;
        const char16_t* text; // null: not found
    } cases[] = {
        {11, 1, u"Setup"}, {11, 2, u"\u30bb\u30c3\u30c8"},
        {11, 0, u""},      {10, 2, nullptr}, // one unit short
        {11, 3, nullptr},  {0, 0, nullptr},
        {11, 16, nullptr},
    };
    for (const auto& c : cases) {
        const uint16_t* text = nullptr;
        uint32_t length = 0;
        ASSERT_EQ(FindBundleString(bundle.data(), c.units, c.index, &text, &length),
                  c.text != nullptr)
            << c.units << " " << c.index;
        if (c.text) {
            EXPECT_EQ(std::u16string(text, text + length), c.text);
        }
    }
}

TEST(CopyWholeChars, CutsBeforeADoubleByteCharacterThatDoesNotFit) {
    const CodePage932 japanese;
    const char text[] = "AB\x83\x5c\x94\x5c"; // AB, then ソ and 能
    char out[8];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(CopyWholeChars(out, 4, text, 6), 2u); // ソ would need bytes 3 and 4
    EXPECT_STREQ(out, "AB");
    EXPECT_EQ(out[3], '#');
    EXPECT_EQ(CopyWholeChars(out, 8, text, 6), 6u);
    EXPECT_STREQ(out, text);
    EXPECT_EQ(CopyWholeChars(out, 8, "A\x83", 2), 2u); // a lead byte at the end stands alone
    EXPECT_EQ(CopyWholeChars(out, 0, text, 6), 0u);
}

TEST(ScaleForDpi, SameAt96AndRoundedElsewhere) {
    EXPECT_EQ(ScaleForDpi(-42, 96), -42);
    EXPECT_EQ(ScaleForDpi(-42, 120), -53);
    EXPECT_EQ(ScaleForDpi(7, 144), 11);
}

} // namespace
