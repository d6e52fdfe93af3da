#pragma once

// What inftool's exit status says, the same for every command.
enum ExitCode : int {
    kExitOk = 0,         // done; build: built, with its warnings counted in its last line
    kExitWarnings = 1,   // check: the script or the media draw warnings
    kExitRefused = 2,    // nothing was written: an input cannot be read, is damaged or is refused
    kExitUsage = 64,     // a wrong call: the command and the wrong argument named on stderr
    kExitWrite = 74,     // writing an output failed; nothing was replaced
    kExitUnsettled = 75, // the output took its name, but a step after it failed (named on stderr)
};
