#include "commands/commands.h"

#include "resources/version.h"

#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* synopsis;
    const char* details; // further lines, each indented and ended by a newline
};

constexpr Command kCommands[] = {
    {"dump", RunDump, "dump FILE",
     "    prints the catalogue the installer reads from FILE, as JSON\n"},
    {"query", RunQuery, "query FILE CODE [INDEX [TEXT]]",
     "    CODE: a query code number or name (GetFileDir, FindFileDir, ...)\n"
     "    INDEX: an unsigned 32-bit decimal number, 0 when absent\n"},
    {"check", RunCheck, "check FILE [--media DIR]...",
     "    warns of what the installer would drop, change or get wrong\n"
     "    --media DIR: the media, one folder for all disks or one per disk in disk order;\n"
     "      notes whether the first disk's setup.exe is signed (not verified)\n"},
    {"build", RunBuild,
     "build SCRIPT --from DIR --setup FILE --follow-on FILE --out OUT [--disk-size SIZE] "
     "[--images] [--force]",
     "    lays out the media of SCRIPT from the originals in DIR (or DIR/<[Dirs] name>)\n"
     "    --setup FILE: the installer; --follow-on FILE: the main setup, photo/setup.EXE\n"
     "    --out OUT: made whole or not at all; --force replaces an OUT that is not empty\n"
     "    --disk-size SIZE: 1.44M, 1.2M, 720K, 360K (floppies) or a byte count\n"
     "    --images: with a floppy size, also a FAT12 image of each disk: OUT/DISK<n>.IMG,\n"
     "      or OUT.IMG beside OUT when there is one disk\n"},
    {"compress", RunCompress, "compress IN OUT", "    writes IN in the LZ32 (SZDD) format\n"},
    {"expand", RunExpand, "expand IN OUT", "    writes the expanded content of IN\n"},
};

const Command* FindCommand(const char* name) {
    for (const Command& command : kCommands)
        if (std::strcmp(name, command.name) == 0) return &command;
    return nullptr;
}

} // namespace

void PrintUsage(std::FILE* out, const char* name) {
    std::fputs("usage:\n", out);
    for (const Command& command : kCommands) {
        if (name != nullptr && std::strcmp(name, command.name) != 0) continue;
        std::fprintf(out, "  inftool %s\n", command.synopsis);
        if (name != nullptr) std::fputs(command.details, out);
    }
    if (name == nullptr) std::fputs("  inftool --help | COMMAND --help | --version\n", out);
}

int UsageError(const char* command) {
    PrintUsage(stderr, command);
    return kExitUsage;
}

int RunCommandLine(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout, nullptr);
        return kExitOk;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("inftool %d.%d.%d.%d\n", SETUP_VERSION_MAJOR, SETUP_VERSION_MINOR,
                    SETUP_VERSION_PATCH, SETUP_VERSION_BUILD);
        return kExitOk;
    }
    const Command* command = argc >= 2 ? FindCommand(argv[1]) : nullptr;
    if (command == nullptr) return UsageError(nullptr);
    if (argc == 3 && std::strcmp(argv[2], "--help") == 0) {
        PrintUsage(stdout, command->name);
        return kExitOk;
    }
    return command->run(argc - 2, argv + 2);
}
