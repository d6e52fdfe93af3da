#include "exit_code.h"

#include "script/inf_query.h"

ExitCode ScriptLoadExitCode(uint16_t loadResult) {
    return loadResult == LoadNoMemory ? kExitScriptNoMemory : kExitScriptNotFound;
}

bool StartsFollowOn(PassOutcome pass) {
    return pass <= PassOutcome::Stopped;
}

ExitCode ExitCodeAfterPass(PassOutcome pass, bool followOnStarted) {
    switch (pass) {
    case PassOutcome::NoSource: return kExitNoSource;
    case PassOutcome::CannotWrite: return kExitCannotWrite;
    case PassOutcome::DamagedSource: return kExitDamagedSource;
    default: break;
    }
    if (!followOnStarted) return kExitNotLaunched;
    switch (pass) {
    case PassOutcome::Complete: return kExitInstalled;
    case PassOutcome::PassedOver: return kExitIncomplete;
    case PassOutcome::Stopped: return kExitCancelled;
    default: break;
    }
    return kExitIncomplete;
}
