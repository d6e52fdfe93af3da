// guidriver SCENARIO: runs one scenario against the installer and exits 0 when it passed.
// guidriver --expect NAMES...: checks that the registered names are exactly the scenarios.
// guidriver --demo ...: the demo run, see demo.cpp.
// guidriver --answer SETUP ANSWER...: one run answered as told, see answer.cpp.
#include "scenarios.h"

#include "transfer/copy_rules.h"

#include <cstdio>
#include <cstring>

namespace {

const Scenario* const kGroups[] = {kStartupScenarios,    kCopyScenarios,      kDialogScenarios,
                                   kBackgroundScenarios, kHardeningScenarios, kBuildScenarios,
                                   kLanguageScenarios,   kSilentScenarios};

const Scenario* FindScenario(const char* name) {
    for (const Scenario* group : kGroups)
        for (const Scenario* s = group; s->name; ++s)
            if (!std::strcmp(s->name, name)) return s;
    return nullptr;
}

void List() {
    for (const Scenario* group : kGroups)
        for (const Scenario* s = group; s->name; ++s)
            std::printf("%s\n", s->name);
}

// The registered test names must be exactly the scenarios, or some would never run.
int Expect(int count, char** names) {
    int missing = 0;
    for (const Scenario* group : kGroups)
        for (const Scenario* s = group; s->name; ++s) {
            bool found = false;
            for (int i = 0; i < count; ++i)
                found = found || !std::strcmp(names[i], s->name);
            if (!found) std::printf("FAIL: scenario %s is not registered\n", s->name), ++missing;
        }
    for (int i = 0; i < count; ++i)
        if (!FindScenario(names[i])) std::printf("FAIL: no scenario %s\n", names[i]), ++missing;
    std::printf("%s: %d scenario(s) unmatched\n", missing ? "FAILED" : "PASSED", missing);
    return missing ? 1 : 0;
}

// What cannot apply at any Windows version that the suite runs at (GUI_WINDOWS_VERSION), and
// why; each is reported as skipped with its reason, never left out unsaid.
struct NotApplicable {
    const char* name; // a scenario, or "--fit"
    const char* reason;
};
constexpr char kShowsWindows95[] = "it shows setup.exe Windows 95 itself, at every version";
const NotApplicable kNotApplicable[] = {
    {"--fit", "it measures the dialogs in the driver's own process: setup.exe, whose Windows "
              "version is set, never runs"},
    {"copy_replace_refused_9x", kShowsWindows95},
    {"copy_aside_restored_9x", kShowsWindows95},
};
constexpr int kNotApplicableCode = 77; // ctest's skip

const char* WhyNotApplicable(const char* name) {
    if (RunWindowsVersion() == nullptr) return nullptr;
    for (const NotApplicable& n : kNotApplicable)
        if (!std::strcmp(n.name, name)) return n.reason;
    return nullptr;
}

} // namespace

int RunDemo(int argc, char** argv);
int RunFit(int argc, char** argv);
int RunAnswers(int argc, char** argv);

int main(int argc, char** argv) {
    if (argc >= 2)
        if (const char* reason = WhyNotApplicable(argv[1])) {
            std::printf("NOT APPLICABLE at %s: %s: %s\n", RunWindowsVersion(), argv[1], reason);
            return kNotApplicableCode;
        }
    if (argc >= 2 && !std::strcmp(argv[1], "--demo")) return RunDemo(argc - 2, argv + 2);
    if (argc >= 2 && !std::strcmp(argv[1], "--expect")) return Expect(argc - 2, argv + 2);
    if (argc >= 2 && !std::strcmp(argv[1], "--fit")) return RunFit(argc - 2, argv + 2);
    if (argc >= 2 && !std::strcmp(argv[1], "--answer")) return RunAnswers(argc - 2, argv + 2);
    if (argc != 2) {
        std::printf("usage: guidriver SCENARIO | --list | --expect SCENARIO... | --fit DPI\n");
        return 2;
    }
    if (!std::strcmp(argv[1], "--list")) {
        List();
        return 0;
    }
    const Scenario* s = FindScenario(argv[1]);
    if (!s) {
        std::printf("unknown scenario %s\n", argv[1]);
        return 2;
    }
    const char* version = RunWindowsVersion();
    std::printf("scenario %s%s%s\n", s->name, version ? " at " : "", version ? version : "");
    std::fflush(stdout);
    ShowSetupWindows(version);
    s->run();
    ShowSetupWindows(nullptr);
    // Whatever a scenario did, the installer leaves none of its temporary files behind; they are
    // removed here, so that only the scenario that left them fails.
    for (const std::string& left : FindBelow(WindowsDir(), kTempPrefix, kTempSuffix)) {
        Check(false, "the installer left %s behind", left.c_str());
        RemoveTree(left);
    }
    int failures = FailureCount();
    std::printf("%s: %d failed check(s)\n", failures ? "FAILED" : "PASSED", failures);
    return failures ? 1 : 0;
}
