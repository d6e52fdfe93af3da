#include "cli/options.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

enum TestOption { kOut, kMedia, kForce };
constexpr Option kTestOptions[] = {
    {"out", "DIR", kRequired, "where"},
    {"media", "DIR", kRepeatable, "which"},
    {"force", nullptr, 0, "whether"},
};

int RunNothing(const Arguments&) {
    return 0;
}

const Command kTest = {
    "test", "IN [OUT]", 1, 2, "tests", "", kTestOptions, std::size(kTestOptions), RunNothing};

// The result and the fault of parsing words; the values are not kept past the words.
struct Parsed {
    ParseResult result;
    std::string why;
};

Parsed Parse(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    Arguments args;
    Parsed parsed{ParseResult::Ok, {}};
    parsed.result =
        ParseArguments(kTest, static_cast<int>(argv.size()), argv.data(), args, parsed.why);
    return parsed;
}

TEST(Options, EachWayOfGivingAValue) {
    struct Row {
        std::vector<std::string> words;
        std::vector<std::string> operands;
        std::string out;
        std::vector<std::string> media;
        bool force;
    };
    const Row rows[] = {
        {{"a", "--out", "o"}, {"a"}, "o", {}, false},
        {{"--out=o", "a", "b"}, {"a", "b"}, "o", {}, false},
        {{"--out=", "a"}, {"a"}, "", {}, false},
        {{"--out=x=y", "a"}, {"a"}, "x=y", {}, false},
        // A value is the next word, whatever it looks like.
        {{"--out", "--force", "a"}, {"a"}, "--force", {}, false},
        {{"--out", "-", "a"}, {"a"}, "-", {}, false},
        {{"--media", "m1", "--out", "o", "--media=m2", "a", "--force"},
         {"a"},
         "o",
         {"m1", "m2"},
         true},
        // "-" is an operand; after "--" every word is.
        {{"-", "-", "--out", "o"}, {"-", "-"}, "o", {}, false},
        {{"--out", "o", "--", "--force", "-h"}, {"--force", "-h"}, "o", {}, false},
        {{"--out", "o", "--", "a", "--"}, {"a", "--"}, "o", {}, false},
    };
    for (const Row& row : rows) {
        std::vector<std::string> words = row.words;
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        Arguments args;
        std::string why;
        SCOPED_TRACE(row.words[0] + " " + row.words[1]);
        ASSERT_EQ(ParseArguments(kTest, static_cast<int>(argv.size()), argv.data(), args, why),
                  ParseResult::Ok)
            << why;
        EXPECT_EQ(std::vector<std::string>(args.operands.begin(), args.operands.end()),
                  row.operands);
        EXPECT_EQ(args.Value(kOut), row.out);
        EXPECT_EQ(std::vector<std::string>(args.Values(kMedia).begin(), args.Values(kMedia).end()),
                  row.media);
        EXPECT_EQ(args.Has(kForce), row.force);
        EXPECT_EQ(args.Value(kMedia) == nullptr, row.media.empty());
    }
}

TEST(Options, EachFaultIsNamed) {
    struct Row {
        std::vector<std::string> words;
        const char* why;
    };
    const Row rows[] = {
        {{"a", "--frm", "x", "--out", "o"}, "unknown option --frm"},
        {{"a", "--frm=x", "--out", "o"}, "unknown option --frm"},
        {{"a", "-o", "x"}, "unknown option -o"},
        {{"a", "--Out", "o"}, "unknown option --Out"},
        {{"a", "--ou", "o"}, "unknown option --ou"},
        {{"a", "--out"}, "option --out needs a value (DIR)"},
        {{"a", "--out", "o", "--force=yes"}, "option --force takes no value"},
        {{"a", "--out", "o", "--force", "--force"}, "option --force is given twice"},
        {{"a", "--out", "o", "--out=p"}, "option --out is given twice"},
        {{"a"}, "missing option --out DIR"},
        {{"--out", "o"}, "missing argument IN"},
        {{"--out", "o", "a", "b", "c"}, "unexpected argument c"},
        {{"--out", "o", "--", "a", "b", "-h"}, "unexpected argument -h"},
    };
    for (const Row& row : rows) {
        const Parsed parsed = Parse(row.words);
        EXPECT_EQ(parsed.result, ParseResult::Wrong) << row.why;
        EXPECT_EQ(parsed.why, row.why);
    }
}

TEST(Options, HelpWinsOverAnythingBeforeTheEndOfOptions) {
    for (const std::vector<std::string>& words : {std::vector<std::string>{"-h"},
                                                  {"--help"},
                                                  {"a", "--out", "o", "--help"},
                                                  {"--frm", "x", "--help"},
                                                  {"--force", "--force", "-h"},
                                                  {"--force=1", "-h", "--"}}) {
        EXPECT_EQ(Parse(words).result, ParseResult::Help) << words[0];
    }
    EXPECT_EQ(Parse({"--help=1"}).why, "unknown option --help");
}

TEST(Options, UsageIsMadeFromTheTable) {
    EXPECT_EQ(Synopsis(kTest), "inftool test IN [OUT] --out DIR [--media DIR]... [--force]");
    // Wrapped, the continuation lines start under the first argument.
    EXPECT_EQ(Synopsis(kTest, 7, 40), "inftool test IN [OUT] --out DIR\n"
                                      "                    [--media DIR]...\n"
                                      "                    [--force]");
}

} // namespace
