#pragma once

// The script a command reads, loaded into the catalogue as the installer loads it.

// Loads the script at path, or standard input for "-", into the catalogue. On failure
// prints one line naming the command and the file on stderr and returns kExitRefused;
// kExitOk when loaded.
int LoadScriptOrReport(const char* command, const char* path);
