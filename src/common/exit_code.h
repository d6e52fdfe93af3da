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
    // Only with a switch on the command line: a silent run (/S) stops its pass where a person
    // would be asked, and then does not start the follow-on setup; a bad command line or log
    // does nothing at all.
    kExitNoSource = 8,       // /S: a source was neither where the script says nor in ..\DISK<n>
    kExitCannotWrite = 9,    // /S: a file could not be copied or created; the old one is whole
    kExitDamagedSource = 10, // /S: a compressed source did not expand whole
    kExitBadSwitch = 11,     // a switch the installer does not know: nothing was done
    kExitNoLog = 12,         // the /LOG file cannot be created or is refused: nothing was done
    kExitUsage = 13,         // /? showed the usage: nothing was done
};

// How the copy pass ended.
enum class PassOutcome : uint8_t {
    Complete,   // every entry copied or expanded in full
    PassedOver, // an entry was not put in place and the pass went on
    Stopped,    // the user ended the pass
    // A silent run's stops, where a person would have been asked.
    NoSource,
    CannotWrite,
    DamagedSource,
};

// False after a silent run's stop: an administrator's script gets the stop's code and a
// machine without the follow-on setup's half-made install.
bool StartsFollowOn(PassOutcome pass);

// The script loader's result (its low 16 bits): 1 is want of memory, anything else unreadable.
ExitCode ScriptLoadExitCode(uint16_t loadResult);

// After the pass: a silent run's stop (which starts nothing) outweighs a follow-on setup that
// did not start, which outweighs a stopped pass, which outweighs an entry passed over.
ExitCode ExitCodeAfterPass(PassOutcome pass, bool followOnStarted);
