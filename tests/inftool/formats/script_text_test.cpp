#include "formats/script_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(MediaScript, EveryLineEndsInCrLf) {
    struct Row {
        std::string source;
        std::string text;
        const char* changes;
    };
    const Row rows[] = {
        {"", "", ""},
        {"a\r\nb\r\n", "a\r\nb\r\n", ""},
        {"a\nb\n", "a\r\nb\r\n", "written with CR LF line ends"},
        {"\n\n", "\r\n\r\n", "written with CR LF line ends"},
        {"a\r\nb", "a\r\nb\r\n", "written with a line end after its last line"},
        {"a\r", "a\r\n", "written with CR LF line ends"},
        // A CR inside a line is the script's own: the check warns of it.
        {"a\rb\n", "a\rb\r\n", "written with CR LF line ends"},
        {"a\r\r\n", "a\r\r\n", ""},
        {"\xEF\xBB\xBF", "", "written without its UTF-8 byte-order mark"},
        {"\xEF\xBB\xBF[End]\n", "[End]\r\n",
         "written with CR LF line ends, without its UTF-8 byte-order mark"},
        {"caf\xC3\xA9\r\n", "caf\xC3\xA9\r\n", ""},
        {std::string("a\0b\n", 4), std::string("a\0b\r\n", 5), "written with CR LF line ends"},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> text;
        MediaScriptChanges changes;
        std::vector<ScriptTextFault> faults;
        ASSERT_TRUE(MakeMediaScript(Bytes(row.source), 0, text, changes, faults)) << row.source;
        EXPECT_EQ(std::string(text.begin(), text.end()), row.text) << row.source;
        EXPECT_EQ(DescribeChanges(changes), row.changes) << row.source;
    }
}

// Every line that cannot be converted, once, with its first character that cannot.
TEST(MediaScript, ConversionFaultsNameTheEditorsLine) {
    struct Row {
        std::string source;
        uint32_t codePage;
        const char* faults; // "line: text" each, one a line
    };
    const Row rows[] = {
        {"a\nb\r\nc\rd \xC5\x82", 1252,
         "4: \"\xC5\x82\" (U+0142) has no character in code page 1252\n"},
        {"\xF0\x9F\x98\x80", 1252,
         "1: \"\xF0\x9F\x98\x80\" (U+1F600) has no character in code page 1252\n"},
        // Each also holds 0x81, which code page 1252 lacks: a text of that page is kept as it is.
        {"\xC0\xAF\x81", 1252,
         "1: byte 0xC0 is not UTF-8, which --codepage converts, and the text is not of code page "
         "1252 either\n"},
        {"\xED\xA0\x80\x81", 1252,
         "1: byte 0xED is not UTF-8, which --codepage converts, and the text is not of code page "
         "1252 either\n"},
        {"x\xE2\x82 \x81", 1252,
         "1: byte 0xE2 is not UTF-8, which --codepage converts, and the text is not of code page "
         "1252 either\n"},
        {"\xD0\x9F\xD1\x80\r\n\xC3\xA9\r\n\xD1\x8F\r\nx\xC0 \xD1\x8F\x81\r\n", 1252,
         "1: \"\xD0\x9F\" (U+041F) has no character in code page 1252\n"
         "3: \"\xD1\x8F\" (U+044F) has no character in code page 1252\n"
         "4: byte 0xC0 is not UTF-8, which --codepage converts, and the text is not of code page "
         "1252 either\n"},
        {"a", 437, "0: this system cannot convert into code page 437\n"},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> text;
        MediaScriptChanges changes;
        std::vector<ScriptTextFault> faults;
        EXPECT_FALSE(MakeMediaScript(Bytes(row.source), row.codePage, text, changes, faults));
        std::string listed;
        for (const ScriptTextFault& fault : faults)
            listed += std::to_string(fault.line) + ": " + fault.text + "\n";
        EXPECT_EQ(listed, row.faults);
    }
}

} // namespace
