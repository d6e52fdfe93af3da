#pragma once

// What inftool's exit status says; each command's run returns one of these.
enum ExitCode : int {
    kExitOk = 0,
    kExitWarnings = 1, // check, build: the script or the media draw warnings
    kExitBadData = 1,  // compress, expand: a damaged compressed file, or an input too large
    kExitNoMemory = 1, // dump, query: no memory to read the script
    kExitNotRead = 2,  // an input that cannot be read, or an output that cannot be written
    kExitNotBuilt = 2, // build: nothing was built
    kExitUsage = 64,   // a wrong call: the command and the wrong argument named on stderr
    kExitOutput = 74,  // stdout could not be written
};
