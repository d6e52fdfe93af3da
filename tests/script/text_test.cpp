#include "script_test_support.h"

using namespace script_test;

namespace {

TEST(TrimBlanks, RemovesSpacesAndTabsOnly) {
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"", ""},
        {"abc", "abc"},
        {"  abc", "abc"},
        {"abc \t ", "abc"},
        {"\t a b \t", "a b"},
        {" \t \t", ""},
        {"\r x \n", "\r x \n"},
        {"\v x\f", "\v x\f"},
        {"  \xa0x\xa0  ", "\xa0x\xa0"},
        {" ; comment", "; comment"},
    };
    for (const Row& row : rows) {
        char buffer[32];
        std::memset(buffer, kCanary, sizeof buffer);
        std::strcpy(buffer, row.in);
        const size_t in_size = std::strlen(row.in) + 1;
        EXPECT_EQ(TrimBlanks(buffer), buffer);
        EXPECT_STREQ(buffer, row.out) << '"' << row.in << '"';
        for (size_t i = in_size; i < sizeof buffer; ++i)
            EXPECT_EQ(static_cast<unsigned char>(buffer[i]), kCanary) << row.in;
    }
}

TEST(TrimBlanks, LongTextMovesWhole) {
    std::string text = Repeat(' ', 150) + Repeat('x', 200) + Repeat('\t', 50);
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    EXPECT_EQ(std::string(TrimBlanks(buffer.data())), Repeat('x', 200));
}

TEST(ParseDecimal, ReadsLeadingDigitsModulo65536) {
    struct Row {
        const char* in;
        uint16_t out;
    };
    const Row rows[] = {
        {"", 0},         {"0", 0},         {"7", 7},
        {"1500", 1500},  {"65535", 65535}, {"65536", 0},
        {"70000", 4464}, {"12K", 12},      {"-1", 0},
        {"+5", 0},       {" 5", 0},        {"A", 0},
        {"007", 7},      {"3,9", 3},       {"1 2", 1},
        {"4\xb2", 4},    {"\xb9", 0},      {"99999999999999999999", 65535},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ParseDecimal(row.in), row.out) << '"' << row.in << '"';
}

} // namespace
