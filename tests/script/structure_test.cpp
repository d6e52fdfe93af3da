#include "script_test_support.h"

using namespace script_test;

namespace {

const Catalogue& C() {
    return g_Catalogue;
}

void ExpectEmptyCatalogue() {
    EXPECT_STREQ(C().App.AppName, "");
    EXPECT_STREQ(C().App.DfltDir, "");
    EXPECT_STREQ(C().App.GroupFile, "");
    EXPECT_STREQ(C().App.GroupTitle, "");
    EXPECT_EQ(C().App.MinHDSpace, 0);
    EXPECT_EQ(C().DiskCount, 0);
    EXPECT_EQ(C().DirCount, 0);
    EXPECT_EQ(C().FileCount, 0);
    EXPECT_EQ(C().PmItemCount, 0);
}

void LoadWorkedExample() {
    ASSERT_EQ(LoadSetupScript(SamplePath("worked.inf").c_str()), 0);
    ASSERT_EQ(C().FileCount, 3);
}

TEST(Structure, TextsWithoutAnyParsedLineLeaveAnEmptyCatalogue) {
    const char leading_nul[] = "\0[Application]\r\nAppName = X\r\n";
    std::string lf_only = ReadWhole(SamplePath("worked.inf"));
    for (size_t at = 0; (at = lf_only.find('\r', at)) != std::string::npos;)
        lf_only.erase(at, 1);
    const std::string texts[] = {
        "",
        lf_only,
        ReadWhole(SamplePath("lf_only.inf")),
        "[Application]\nAppName = X\n",
        "[Application]",
        std::string(leading_nul, sizeof leading_nul - 1),
    };
    for (const std::string& text : texts) {
        LoadWorkedExample();
        ParseText(text);
        SCOPED_TRACE(text.size());
        ExpectEmptyCatalogue();
    }
}

TEST(Structure, CrAloneLosesTheFirstCharacterOfEachFollowingLine) {
    ParseText("[Application]\rAppName = Lost\r_DfltDir = Kept\r_MinHDSpace = 3\r");
    EXPECT_STREQ(C().App.AppName, "");
    EXPECT_STREQ(C().App.DfltDir, "Kept");
    EXPECT_EQ(C().App.MinHDSpace, 3);
}

TEST(Structure, WithoutEndEveryCrLineIsParsedAndTheTailIgnored) {
    ParseText("[Application]\r\nAppName = X\r\nDfltDir = tail without CR");
    EXPECT_STREQ(C().App.AppName, "X");
    EXPECT_STREQ(C().App.DfltDir, "");
}

TEST(Structure, TextAfterEndIsIgnored) {
    ParseText(Crlf({"[Application]", "AppName = X", " [end] ", "[Application]", "AppName = Y",
                    "[Files]", "d, S, D, 1, 1, Y"}));
    EXPECT_STREQ(C().App.AppName, "X");
    EXPECT_EQ(C().FileCount, 0);
}

TEST(Structure, LastByteCrEndsTheParseAfterItsLine) {
    // The block is exactly length + 1 bytes, so a skipped LF past the end would be caught.
    ParseText("[Application]\r\nAppName = X\r");
    EXPECT_STREQ(C().App.AppName, "X");
    ParseText("[Application]\r\nAppName = Y\r\r");
    EXPECT_STREQ(C().App.AppName, "Y");
    ParseText("\r");
    ExpectEmptyCatalogue();
}

TEST(Structure, NulEndsTheTextUnlessItFollowsACr) {
    const char mid_line[] = "[Application]\r\nAppName = A\0B\r\nDfltDir = D\r\n";
    ParseText(std::string(mid_line, sizeof mid_line - 1));
    EXPECT_STREQ(C().App.AppName, "");
    EXPECT_STREQ(C().App.DfltDir, "");

    const char after_cr[] = "[Application]\r\0AppName = A\r\0DfltDir = D\r\n\0MinHDSpace = 9\r\n";
    ParseText(std::string(after_cr, sizeof after_cr - 1));
    EXPECT_STREQ(C().App.AppName, "A");
    EXPECT_STREQ(C().App.DfltDir, "D");
    EXPECT_EQ(C().App.MinHDSpace, 0);

    const char between_lines[] = "[Application]\r\nAppName = A\r\n\0\r\nDfltDir = D\r\n";
    ParseText(std::string(between_lines, sizeof between_lines - 1));
    EXPECT_STREQ(C().App.AppName, "A");
    EXPECT_STREQ(C().App.DfltDir, "");
}

TEST(Structure, LongLinesAreParsedWhole) {
    // The flag is the 99th character of a 99-character line, or the last of a far longer one.
    for (size_t length : {size_t{99}, size_t{100}, size_t{101}, size_t{300}, size_t{9000}}) {
        const std::string tail = ", S, D, 1, 1, Y";
        const std::string line = Repeat('d', length - tail.size()) + tail;
        ASSERT_EQ(line.size(), length);
        ParseText(Crlf({"[Files]", line.c_str(), "next, S2, D2, 2, 2, N"}));
        SCOPED_TRACE(length);
        ASSERT_EQ(C().FileCount, 2);
        EXPECT_EQ(std::string(C().Files[0].Description), Repeat('d', kDescriptionWidth - 1));
        EXPECT_EQ(C().Files[0].Compressed, 1u);
        EXPECT_STREQ(C().Files[1].Description, "next");
    }
}

TEST(Structure, LongBlankPaddedLinesTrimToTheirText) {
    const std::string line = Repeat(' ', 200) + "AppName = padded" + Repeat('\t', 200);
    ParseText(Crlf({"[Application]", line.c_str()}));
    EXPECT_STREQ(C().App.AppName, "padded");
}

TEST(Structure, ParseResetsValuesAndCountsButNotOlderRecords) {
    LoadWorkedExample();
    ParseText(Crlf({"[Dirs]", "5 = ONLY"}));
    EXPECT_STREQ(C().App.AppName, "");
    EXPECT_STREQ(C().App.GroupTitle, "");
    EXPECT_EQ(C().App.MinHDSpace, 0);
    EXPECT_EQ(C().DiskCount, 0);
    EXPECT_EQ(C().FileCount, 0);
    EXPECT_EQ(C().PmItemCount, 0);
    ASSERT_EQ(C().DirCount, 1);
    EXPECT_STREQ(C().Dirs[0].Name, "ONLY");
    // Stale records stay in the arrays but are out of reach of the counts.
    EXPECT_STREQ(C().Dirs[1].Name, "TWAIN");
    EXPECT_EQ(Ask(GetDirName, 1, kDirNameWidth).text, "");
    EXPECT_EQ(Ask(FindDir, 2, 0).result, -1);
}

// The checker learns from the parser's notes why and where reading stopped.
TEST(Structure, ParseEndIsNotedOnceWithItsReason) {
    struct Ends {
        int count = 0;
        ParseEndReason reason = EndAtEndHeader;
        uint32_t value = 0;
    };
    struct Row {
        std::string text;
        ParseEndReason reason;
        uint32_t value;
    };
    const Row rows[] = {
        {"[End]\r\nrest", EndAtEndHeader, 7},
        {"[End]\r", EndAtEndHeader, 6},
        {"a\r\nb", EndNoCR, 3},
        {"", EndNoCR, 0},
        {std::string("a\r\nb\0c\r\n", 9), EndAtNul, 4},
        {"a\r\nb\r", EndLastByteCR, 5},
    };
    for (const Row& row : rows) {
        Ends ends;
        std::vector<char> block(row.text.begin(), row.text.end());
        block.push_back('\0');
        ParseSetupScript(
            block.data(), static_cast<uint32_t>(row.text.size()),
            [](void* context, const ParseNote& note) {
                if (note.kind != NoteParseEnd) return;
                auto* seen = static_cast<Ends*>(context);
                ++seen->count;
                seen->reason = note.reason;
                seen->value = note.value;
            },
            &ends);
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ends.count, 1);
        EXPECT_EQ(ends.reason, row.reason);
        EXPECT_EQ(ends.value, row.value);
    }
}

// Pseudo-random bytes, rich in CR, LF, brackets, commas and "=": nothing may fail, no
// count may pass its capacity and every stored text stays terminated within its width.
TEST(Structure, GarbageTextsKeepTheCatalogueWithinBounds) {
    const char alphabet[] = "\r\n[],=;; \tYy019AaFilesDkrPMInfo\x80\xff\0";
    uint32_t seed = 12345;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const size_t size = static_cast<size_t>(round) * 37 % 3000;
        for (size_t i = 0; i < size; ++i) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t pick = seed >> 16;
            text += (pick & 0x100) != 0 ? static_cast<char>(pick & 0xFF)
                                        : alphabet[pick % (sizeof alphabet - 1)];
        }
        if (round % 3 == 0) text = "[Files]\r\n" + text;
        if (round % 3 == 1) text = "[PM Info]\r\n" + text;
        ParseText(text);
        ASSERT_LE(C().DiskCount, kMaxDisks);
        ASSERT_LE(C().DirCount, kMaxDirs);
        ASSERT_LE(C().FileCount, kMaxFiles);
        ASSERT_LE(C().PmItemCount, kMaxPmItems);
        for (uint32_t code = GetAppName; code < InfQueryCodeCount; ++code) {
            if (WidthOf(code) == 0) continue;
            for (uint32_t index : {0u, 1u, 199u, 0xFFFFu})
                Ask(code, index, WidthOf(code));
        }
    }
}

} // namespace
