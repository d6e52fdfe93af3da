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

// What parsing words gives, its values copied out of the words.
struct Parsed {
    ParseResult result;
    std::string why;
    std::vector<std::string> operands, media;
    std::string out;
    bool force;
};

Parsed Parse(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    Arguments args;
    Parsed parsed{ParseResult::Ok, {}, {}, {}, {}, false};
    parsed.result =
        ParseArguments(kTest, static_cast<int>(argv.size()), argv.data(), args, parsed.why);
    if (parsed.result != ParseResult::Ok) return parsed;
    parsed.operands.assign(args.operands.begin(), args.operands.end());
    parsed.media.assign(args.Values(kMedia).begin(), args.Values(kMedia).end());
    parsed.out = args.Value(kOut);
    parsed.force = args.Has(kForce);
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
        {{"--media", "m1", "--out", "o", "--media=m2", "a", "--force"},
         {"a"},
         "o",
         {"m1", "m2"},
         true},
        // "-" is an operand; after "--" every word is.
        {{"-", "-", "--out", "o"}, {"-", "-"}, "o", {}, false},
        {{"--out", "o", "--", "--force", "-h"}, {"--force", "-h"}, "o", {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.words[0] + " " + row.words[1]);
        const Parsed parsed = Parse(row.words);
        ASSERT_EQ(parsed.result, ParseResult::Ok) << parsed.why;
        EXPECT_EQ(parsed.operands, row.operands);
        EXPECT_EQ(parsed.out, row.out);
        EXPECT_EQ(parsed.media, row.media);
        EXPECT_EQ(parsed.force, row.force);
    }
}

// The faults inftool_test's wrong calls do not already show through a command.
TEST(Options, EachFaultIsNamed) {
    struct Row {
        std::vector<std::string> words;
        const char* why;
    };
    const Row rows[] = {
        {{"a", "--Out", "o"}, "unknown option --Out"},
        {{"a", "--ou", "o"}, "unknown option --ou"},
        {{"--help=1"}, "unknown option --help"},
        {{"a", "--out", "o", "--force", "--force"}, "option --force is given twice"},
        {{"a", "--out", "o", "--out=p"}, "option --out is given twice"},
    };
    for (const Row& row : rows) {
        const Parsed parsed = Parse(row.words);
        EXPECT_EQ(parsed.result, ParseResult::Wrong) << row.why;
        EXPECT_EQ(parsed.why, row.why);
    }
}

TEST(Options, UsageIsMadeFromTheTable) {
    EXPECT_EQ(Synopsis(kTest), "inftool test IN [OUT] --out DIR [--media DIR]... [--force]");
    // Wrapped, the continuation lines start under the first argument.
    EXPECT_EQ(Synopsis(kTest, 7, 40), "inftool test IN [OUT] --out DIR\n"
                                      "                    [--media DIR]...\n"
                                      "                    [--force]");
}

} // namespace
