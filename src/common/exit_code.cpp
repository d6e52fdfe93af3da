#include "exit_code.h"

#include "script/inf_query.h"

ExitCode ScriptLoadExitCode(uint16_t loadResult) {
    return loadResult == LoadNoMemory ? kExitScriptNoMemory : kExitScriptNotFound;
}

ExitCode ExitCodeAfterPass(PassOutcome pass, bool followOnStarted) {
    if (!followOnStarted) return kExitNotLaunched;
    switch (pass) {
    case PassOutcome::Complete: return kExitInstalled;
    case PassOutcome::PassedOver: return kExitIncomplete;
    case PassOutcome::Stopped: return kExitCancelled;
    }
    return kExitIncomplete;
}
