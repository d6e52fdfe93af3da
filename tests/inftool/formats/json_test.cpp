#include "formats/json.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Json, EachByteIsItsLatin1CodePoint) {
    struct Row {
        std::string in;
        const char* out;
    };
    const Row rows[] = {
        {"", R"("")"},
        {"plain text 123", R"("plain text 123")"},
        {"\"\\/", R"("\"\\/")"},
        {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
        {std::string("\0\x01\x1f", 3), R"("\u0000\u0001\u001f")"},
        {"\x7f\x80\x9f", R"("\u007f\u0080\u009f")"},
        {"\xa0\xe9\xff", "\"\xc2\xa0\xc3\xa9\xc3\xbf\""},
        {" ~", R"(" ~")"},
    };
    for (const Row& row : rows) {
        std::string out;
        AppendJsonString(out, row.in.data(), row.in.size());
        EXPECT_EQ(out, row.out);
    }
    EXPECT_EQ(JsonString("a\"b"), R"("a\"b")");
}

// UTF-8 text keeps its characters, escaped as the Latin-1 form escapes ASCII and the controls.
TEST(Json, Utf8TextKeepsItsCharacters) {
    struct Row {
        std::string in;
        const char* out;
    };
    const Row rows[] = {
        {"\"\\\t\x01\x7f", R"("\"\\\t\u0001\u007f")"},
        {"\xC2\x80\xC2\x9F", R"("\u0080\u009f")"},
        {"\xC2\xA0\xE3\x82\xBD\xF0\x9F\x98\x80", "\"\xC2\xA0\xE3\x82\xBD\xF0\x9F\x98\x80\""},
    };
    for (const Row& row : rows) {
        std::string out;
        AppendJsonUtf8(out, row.in);
        EXPECT_EQ(out, row.out);
    }
}

} // namespace
