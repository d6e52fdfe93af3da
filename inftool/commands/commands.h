#pragma once

#include "cli/options.h"

// inftool's commands, each defined with its option table in the file of its name; main.cpp
// lists them for the command line.
extern const Command kDumpCommand;
extern const Command kQueryCommand;
extern const Command kCheckCommand;
extern const Command kBuildCommand;
extern const Command kCompressCommand;
extern const Command kExpandCommand;
extern const Command kInitCommand;
extern const Command kImportCommand;
