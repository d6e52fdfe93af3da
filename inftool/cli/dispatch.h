#pragma once

#include "cli/options.h"

#include <cstddef>

// The whole command line: "COMMAND ARGUMENTS...", "help [COMMAND]", "--help" or "--version".
// commands: every command, in the order the general help lists them.
int RunCommandLine(const Command* const* commands, size_t count, int argc, char** argv);

// One command, given the arguments after its name: parsed against its table, run, and its
// standard output flushed (kExitWrite when that fails).
int RunCommand(const Command& command, int argc, char** argv);
