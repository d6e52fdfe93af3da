#pragma once

#include <cstdint>

// What setup.exe tells the program that started it. 0 only when every file of the script is in
// place and the follow-on setup was started. Below 256, so that a batch file's ERRORLEVEL on
// every system reads the same number. 1 is a cancel and 2 an abort, as in the installers that
// deployment scripts already know; the rest follow the run.
enum ExitCode : uint8_t {
    kExitInstalled = 0,
    kExitCancelled = 1,       // the user stopped the copy; the follow-on setup was started
    kExitNotLaunched = 2,     // the follow-on setup could not be started
    kExitIncomplete = 3,      // a file was passed over; the follow-on setup was started
    kExitCannotStart = 4,     // the system lacks what setup needs (window class, LZ calls)
    kExitNoFollowOnSetup = 5, // no follow-on setup on the media: nothing was done
    kExitScriptNoMemory = 6,  // SETUP.INF not read for want of memory
    kExitScriptNotFound = 7,  // SETUP.INF not found or not readable
};

// How the copy pass ended.
enum class PassOutcome : uint8_t {
    Complete,   // every entry copied or expanded in full
    PassedOver, // an entry was not put in place and the pass went on
    Stopped,    // the user ended the pass
};

// The script loader's result (its low 16 bits): 1 is want of memory, anything else unreadable.
ExitCode ScriptLoadExitCode(uint16_t loadResult);

// After the pass: a follow-on setup that did not start outweighs a stopped pass, which
// outweighs an entry passed over.
ExitCode ExitCodeAfterPass(PassOutcome pass, bool followOnStarted);
