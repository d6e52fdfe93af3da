#include "commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};

constexpr Command kCommands[] = {
    {"dump", RunDump, "dump FILE"},
    {"query", RunQuery, "query FILE CODE [INDEX [TEXT]]"},
    {"check", RunCheck, "check FILE [--media DIR]"},
    {"compress", RunCompress, "compress IN OUT"},
    {"expand", RunExpand, "expand IN OUT"},
};

int Usage() {
    std::fputs("usage:\n", stderr);
    for (const Command& command : kCommands)
        std::fprintf(stderr, "  inftool %s\n", command.usage);
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
    }
    return Usage();
}
