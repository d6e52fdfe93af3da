#pragma once

#include <windows.h>

// The log that /LOG=FILE asks for: plain text in the ANSI code page, CR LF lines, each line
// handed to the system in one WriteFile as it happens, so that a run ended at any point leaves
// every line it wrote whole. Without /LOG there is no log, and the callers test Logging()
// before they gather what a line says: a run without it does no log work.

extern HANDLE g_hLog; // null without a log

inline bool Logging() {
    return g_hLog != nullptr;
}

// Creates path (an old file of that name is overwritten); false when it cannot.
bool CreateLog(const char* path);

// One line, wvsprintfA-style, ended by CR LF; nothing without a log.
void LogLine(const char* format, ...);
