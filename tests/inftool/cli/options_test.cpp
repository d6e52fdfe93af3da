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

// What parsing words gives, in short: the fault, or the operands and then each value given.
std::string Parse(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    Arguments args;
    std::string why;
    if (ParseArguments(kTest, static_cast<int>(argv.size()), argv.data(), args, why) !=
        ParseResult::Ok)
        return "wrong: " + why;
    std::string parsed = "operands";
    for (const char* operand : args.operands)
        parsed += std::string(" ") + operand;
    if (const char* out = args.Value(kOut)) parsed += std::string("; out ") + out;
    for (const char* media : args.Values(kMedia))
        parsed += std::string("; media ") + media;
    return parsed + (args.Has(kForce) ? "; force" : "");
}

// The faults are those that inftool_test's wrong calls do not already show through a command.
TEST(Options, EachWayOfGivingAValueAndEachFault) {
    struct Row {
        std::vector<std::string> words;
        std::string parsed;
    };
    const Row rows[] = {
        {{"a", "--out", "o"}, "operands a; out o"},
        {{"--out=o", "a", "b"}, "operands a b; out o"},
        {{"--out=", "a"}, "wrong: option --out is empty: it needs a value (DIR)"},
        {{"a", "--out", ""}, "wrong: option --out is empty: it needs a value (DIR)"},
        // A negative number is an operand, for the command to judge.
        {{"-1", "--out", "o"}, "operands -1; out o"},
        {{"--out=x=y", "a"}, "operands a; out x=y"},
        // A value is the next word, whatever it looks like.
        {{"--out", "--force", "a"}, "operands a; out --force"},
        {{"--media", "m1", "--out", "o", "--media=m2", "a", "--force"},
         "operands a; out o; media m1; media m2; force"},
        // "-" is an operand; after "--" every word is.
        {{"-", "-", "--out", "o"}, "operands - -; out o"},
        {{"--out", "o", "--", "--force", "-h"}, "operands --force -h; out o"},
        {{"a", "--Out", "o"}, "wrong: unknown option --Out"},
        {{"a", "--ou", "o"}, "wrong: unknown option --ou"},
        {{"--help=1"}, "wrong: unknown option --help"},
        {{"a", "--out", "o", "--force", "--force"}, "wrong: option --force is given twice"},
        {{"a", "--out", "o", "--out=p"}, "wrong: option --out is given twice"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Parse(row.words), row.parsed);
}

TEST(Options, UsageIsMadeFromTheTable) {
    EXPECT_EQ(Synopsis(kTest), "inftool test IN [OUT] --out DIR [--media DIR]... [--force]");
    // Wrapped, the continuation lines start under the first argument.
    EXPECT_EQ(Synopsis(kTest, 7, 40), "inftool test IN [OUT] --out DIR\n"
                                      "                    [--media DIR]...\n"
                                      "                    [--force]");
}

} // namespace
