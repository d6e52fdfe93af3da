#pragma once

#include <windows.h>

// Where the /LOG file may go, and what the log says of the run before the copy pass.

// The typed path resolved against the current directory, into full (MAX_PATH characters);
// false when it cannot be.
bool ResolveLogPath(const char* typed, char* full);

// False for a path the run itself would write or remove: a name the installer takes for one of
// its own temporary files anywhere, and, once the script is loaded, a destination of the script.
bool LogPathAllowed(const char* full, bool scriptLoaded);

// The installer's version, its command line, the Windows and the language it found.
void LogStart();
