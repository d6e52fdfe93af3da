#include "common/exit_code.h"

#include <gtest/gtest.h>

namespace {

// Every end has a code of its own, those no scenario can bring about (the window class not
// registered, no memory for the script) among them.
TEST(ExitCode, OneCodeForEachEnd) {
    const int codes[] = {kExitInstalled,      kExitCancelled,      kExitNotLaunched,
                         kExitIncomplete,     kExitCannotStart,    kExitNoFollowOnSetup,
                         kExitScriptNoMemory, kExitScriptNotFound, kExitNoSource,
                         kExitCannotWrite,    kExitDamagedSource,  kExitBadSwitch,
                         kExitNoLog,          kExitUsage};
    for (int i = 0; i < 14; ++i)
        for (int j = 0; j < i; ++j)
            EXPECT_NE(codes[i], codes[j]) << i << " and " << j;
}

// The message the loader's failure shows and the code it ends with come from one choice.
TEST(ExitCode, ScriptLoadFailures) {
    EXPECT_EQ(ScriptLoadExitCode(1), kExitScriptNoMemory);
    EXPECT_EQ(ScriptLoadExitCode(2), kExitScriptNotFound);
    EXPECT_EQ(ScriptLoadExitCode(0xFFFF), kExitScriptNotFound);
}

TEST(ExitCode, AfterThePassTheWorstEndWins) {
    struct Case {
        PassOutcome pass;
        bool started;
        ExitCode want;
    };
    const Case cases[] = {
        {PassOutcome::Complete, true, kExitInstalled},
        {PassOutcome::PassedOver, true, kExitIncomplete},
        {PassOutcome::Stopped, true, kExitCancelled},
        {PassOutcome::Complete, false, kExitNotLaunched},
        {PassOutcome::PassedOver, false, kExitNotLaunched},
        {PassOutcome::Stopped, false, kExitNotLaunched},
        // A silent run's stops start nothing, and say which stop it was.
        {PassOutcome::NoSource, false, kExitNoSource},
        {PassOutcome::CannotWrite, false, kExitCannotWrite},
        {PassOutcome::DamagedSource, false, kExitDamagedSource},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartsFollowOn(c.pass), c.started || c.pass <= PassOutcome::Stopped);
    for (const Case& c : cases)
        EXPECT_EQ(ExitCodeAfterPass(c.pass, c.started), c.want)
            << int(c.pass) << (c.started ? " started" : " not started");
}

} // namespace
