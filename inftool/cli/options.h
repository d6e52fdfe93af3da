#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A command's command line, declared as one table that both the parser and the usage read:
//
//   enum BuildOption { kFrom, kOut, kForce };
//   constexpr Option kBuildOptions[] = {
//       {"from", "DIR", kRequired, "the originals"},
//       {"out", "OUT", kRequired, "the media folder"},
//       {"force", nullptr, 0, "replaces an OUT that is not empty"},
//   };
//   int RunBuild(const Arguments& args);
//   const Command kBuildCommand = {"build", "SCRIPT", 1, 1, "lays out the media of SCRIPT", "",
//                                  kBuildOptions, std::size(kBuildOptions), RunBuild};
//
// args.Value(kOut) is then the value given to --out. Every command also takes -h and --help;
// "--" ends the options, so that the arguments after it may begin with "-"; "-" alone is an
// argument, standard input or output where a command reads or writes one file.

enum OptionFlags : uint8_t {
    kRequired = 1,   // the call is wrong without it
    kRepeatable = 2, // may be given more than once; every value is kept, in order
};

struct Option {
    const char* name;  // without the leading "--"
    const char* value; // the value's name in the usage ("DIR"); nullptr for a flag
    uint8_t flags;     // OptionFlags
    const char* help;  // one line
};

struct Arguments;

constexpr uint8_t kAnyCount = 255; // maxOperands of a command that takes a list

struct Command {
    const char* name;
    const char* operands; // as the usage shows them: "FILE CODE [INDEX [TEXT]]", "IMAGE..."
    uint8_t minOperands;
    uint8_t maxOperands; // kAnyCount: no limit
    const char* summary; // what the command does, in one line for the list of commands
    const char* details; // more about it and its arguments: lines, each ended by "\n"; or ""
    const Option* options;
    size_t optionCount;
    int (*run)(const Arguments& args);
};

// One call of a command, as parsed from its table.
struct Arguments {
    const Command* command = nullptr;
    std::vector<const char*> operands;
    std::vector<std::vector<const char*>> values; // per option in table order: each one given

    bool Has(size_t option) const { return !values[option].empty(); }
    // The value given to option; nullptr when it was not given.
    const char* Value(size_t option) const {
        return values[option].empty() ? nullptr : values[option].back();
    }
    const std::vector<const char*>& Values(size_t option) const { return values[option]; }
};

enum class ParseResult {
    Ok,
    Help,  // -h or --help: the caller prints the command's help
    Wrong, // why holds the fault, naming the argument: "unknown option --frm"
};

// Reads argv (the arguments after the command's name) against the command's table.
ParseResult ParseArguments(const Command& command, int argc, char** argv, Arguments& args,
                           std::string& why);

// "inftool build SCRIPT --from DIR [--force]": the synopsis, made from the table, in lines
// of at most width characters after the first's indent (the continuation lines are indented
// to line up after the command's name); one line when width is 0.
std::string Synopsis(const Command& command, size_t indent = 0, size_t width = 0);

// The synopsis, the summary, the details and one line per option.
void PrintHelp(std::FILE* out, const Command& command);

// A wrong call: "inftool COMMAND: why" and the command's help on stderr; returns kExitUsage.
int WrongCall(const Command& command, const std::string& why);
