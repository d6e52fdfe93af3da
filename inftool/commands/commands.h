#pragma once

#include <cstdio>

// Each command takes the arguments after its name and returns the process exit code.
enum ExitCode : int {
    kExitOk = 0,
    kExitWarnings = 1, // check, build: the script or the media draw warnings
    kExitBadData = 1,  // compress, expand: a damaged compressed file, or an input too large
    kExitNoMemory = 1, // dump, query: no memory to read the script
    kExitNotRead = 2,  // an input that cannot be read, or an output that cannot be written
    kExitNotBuilt = 2, // build: nothing was built
    kExitUsage = 64,   // a wrong call; the usage went to stderr
    kExitOutput = 74,  // stdout could not be written
};

int RunDump(int argc, char** argv);
int RunQuery(int argc, char** argv);
int RunCheck(int argc, char** argv);
int RunBuild(int argc, char** argv);
int RunCompress(int argc, char** argv);
int RunExpand(int argc, char** argv);

// The whole command line: a command, "--help", "COMMAND --help" or "--version".
int RunCommandLine(int argc, char** argv);

// Prints the usage of one command, or of all when command is nullptr.
void PrintUsage(std::FILE* out, const char* command);

// A wrong call of command: its usage on stderr; returns kExitUsage.
int UsageError(const char* command);
