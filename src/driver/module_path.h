#pragma once

#include <windows.h>

enum class ModulePath {
    Read,        // out names the installer in the ANSI code page
    Unspellable, // neither its long nor its short form survives the trip to ANSI; out holds
                 // the long form as the code page spells it, for the user to see
    Unreadable,  // no path of MAX_PATH characters or fewer
};

// The installer's own path in the ANSI code page, spelling the same file: the long form when
// the code page can spell it, else the short (8.3) form, which the system spells in ASCII.
ModulePath ReadModulePath(char* out, DWORD width);
