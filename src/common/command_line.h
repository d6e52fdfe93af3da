#pragma once

#include <cstdint>

// setup.exe [/S] [/LOG=FILE] [/?] [-- ARGS...]: switches in any letter case, "-" as well as "/".
// Without a switch the run is the one the installer has always made.

constexpr uint32_t kLogPathWidth = 260;      // MAX_PATH
constexpr uint32_t kBadSwitchWidth = 64;     // what a refusal quotes of an unknown token
constexpr uint32_t kFollowOnArgsWidth = 512; // the main setup's arguments, terminator included

struct CommandLine {
    bool silent;                     // /S
    bool usage;                      // /? (wins over every other switch)
    char logPath[kLogPathWidth];     // /LOG=FILE as typed, its quotes removed; empty without
    char badSwitch[kBadSwitchWidth]; // the first token the installer does not know; empty
    const char* followOnArgs;        // what follows "-- " in the line, verbatim; null without
};

// Parses the whole command line as the system hands it over, the program's name first (to its
// closing quote, or to the first blank). A quote opens or closes a quoted stretch anywhere in a
// token ("/LOG=C:\a b\x.log" and /LOG="C:\a b\x.log" are one). A token that is no switch, a
// /LOG without a name, and a log name or ARGS too long for their buffers, are refused: the
// token's start goes into badSwitch (cut to fit).
void ParseCommandLine(const char* line, CommandLine* out);
