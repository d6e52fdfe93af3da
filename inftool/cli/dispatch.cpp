#include "cli/dispatch.h"

#include "cli/exit_codes.h"
#include "platform/replace.h"

#include "resources/version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kNameColumn = 10;

const Command* FindCommand(const Command* const* commands, size_t count, const char* name) {
    for (size_t i = 0; i < count; ++i)
        if (std::strcmp(name, commands[i]->name) == 0) return commands[i];
    return nullptr;
}

void PrintCommands(std::FILE* out, const Command* const* commands, size_t count) {
    std::fputs("usage: inftool COMMAND [ARGUMENTS]\n\ncommands:\n", out);
    for (size_t i = 0; i < count; ++i)
        std::fprintf(out, "  %-*s %s\n", kNameColumn - 1, commands[i]->name, commands[i]->summary);
    std::fprintf(out, "  %-*s %s\n", kNameColumn - 1, "help", "prints the help of a command");
    std::fputs("\ninftool help COMMAND or inftool COMMAND --help: the command's arguments and "
               "options\ninftool --version: the version\n",
               out);
}

int WrongCommandLine(const Command* const* commands, size_t count, const char* command,
                     const std::string& why) {
    std::fprintf(stderr, "inftool%s%s: %s\n", command != nullptr ? " " : "",
                 command != nullptr ? command : "", why.c_str());
    PrintCommands(stderr, commands, count);
    return kExitUsage;
}

int RunHelp(const Command* const* commands, size_t count, int argc, char** argv) {
    if (argc == 0) {
        PrintCommands(stdout, commands, count);
        return kExitOk;
    }
    if (argc > 1)
        return WrongCommandLine(commands, count, "help",
                                std::string("unexpected argument ") + argv[1]);
    const Command* command = FindCommand(commands, count, argv[0]);
    if (command == nullptr)
        return WrongCommandLine(commands, count, "help", std::string("unknown command ") + argv[0]);
    PrintHelp(stdout, *command);
    return kExitOk;
}

} // namespace

int RunCommand(const Command& command, int argc, char** argv) {
    Arguments args;
    std::string why;
    int status = kExitOk;
    switch (ParseArguments(command, argc, argv, args, why)) {
    case ParseResult::Help: PrintHelp(stdout, command); break;
    case ParseResult::Wrong: return WrongCall(command, why);
    case ParseResult::Ok: status = command.run(args); break;
    }
    // A command that failed a write has said which; when it was standard output, once is enough.
    if ((std::fflush(stdout) != 0 || std::ferror(stdout) != 0) && status != kExitWrite) {
        // The report is lost, not the output that took its name before it.
        const bool written = AnythingReplaced();
        std::fprintf(stderr, "inftool %s: cannot write standard output: %s%s\n", command.name,
                     std::strerror(errno), written ? " (the output itself is written)" : "");
        return written ? kExitUnsettled : kExitWrite;
    }
    return status;
}

int RunCommandLine(const Command* const* commands, size_t count, int argc, char** argv) {
    if (argc < 2) return WrongCommandLine(commands, count, nullptr, "missing command");
    const char* name = argv[1];
    const bool help = std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0;
    if ((help || std::strcmp(name, "--version") == 0) && argc > 2)
        return WrongCommandLine(commands, count, name,
                                std::string("unexpected argument ") + argv[2]);
    if (help) {
        RunHelp(commands, count, 0, nullptr);
        return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? kExitOk : kExitWrite;
    }
    if (std::strcmp(name, "--version") == 0) {
        std::printf("inftool %d.%d.%d.%d\n", SETUP_VERSION_MAJOR, SETUP_VERSION_MINOR,
                    SETUP_VERSION_PATCH, SETUP_VERSION_BUILD);
        return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? kExitOk : kExitWrite;
    }
    if (std::strcmp(name, "help") == 0) {
        const int status = RunHelp(commands, count, argc - 2, argv + 2);
        return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? status : kExitWrite;
    }
    const Command* command = FindCommand(commands, count, name);
    if (command == nullptr)
        return WrongCommandLine(
            commands, count, nullptr,
            std::string(name[0] == '-' ? "unknown option " : "unknown command ") + name);
    return RunCommand(*command, argc - 2, argv + 2);
}
