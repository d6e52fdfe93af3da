// guidriver --demo SETUP_EXE LOCATION SHOTS: installs from media as a person would, typing
// LOCATION into the disk prompt. At the prompt and part-way through the copy it holds still
// for a screenshot: it creates SHOTS\disk-prompt.ready or SHOTS\progress.ready and waits
// until whoever takes the screenshot has deleted it.
#include "scenarios.h"

#include <windows.h>

#include <cstdio>

namespace {

// The message spy holds the installer at its first progress step with the progress dialog
// in view while these events exist, so that the dialog can be captured part-way.
constexpr const char* kPausedEvent = "guispy-paused";
constexpr const char* kResumeEvent = "guispy-resume";

void HoldForScreenshot(const std::string& shots, const char* name) {
    const std::string ready = shots + "\\" + name + ".ready";
    if (!WriteBytes(ready, "")) return;
    Note("holding still for the screenshot %s", name);
    DWORD start = GetTickCount();
    while (FileExists(ready)) {
        if (!Check(GetTickCount() - start < kWaitMs, "no screenshot %s was taken", name)) {
            DeleteFileA(ready.c_str());
            return;
        }
        Sleep(kPollMs);
    }
}

} // namespace

int RunDemo(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: guidriver --demo SETUP_EXE LOCATION SHOTS\n");
        return 2;
    }
    const std::string setupExe = argv[0], location = argv[1], shots = argv[2];
    HANDLE paused = CreateEventA(nullptr, TRUE, FALSE, kPausedEvent);
    HANDLE resume = CreateEventA(nullptr, TRUE, FALSE, kResumeEvent);
    Installer inst;
    if (StartInstaller(inst, setupExe)) {
        Note("started %s", setupExe.c_str());
        HWND prompt = WaitDiskPrompt(inst);
        if (prompt) {
            Note("the installer asks for \"%s\"; typing %s",
                 ItemText(prompt, IDC_DISK_NAME, true).c_str(), location.c_str());
            TypeLocation(prompt, location.c_str());
            // The typed text must be on screen before the picture is taken.
            RECT area;
            GetWindowRect(prompt, &area);
            Screen settled;
            CaptureSettled(settled, prompt, area);
            HoldForScreenshot(shots, "disk-prompt");
            Click(prompt, IDOK);
            if (Check(WaitForSingleObject(paused, kWaitMs) == WAIT_OBJECT_0,
                      "the progress dialog did not come into view"))
                HoldForScreenshot(shots, "progress");
            SetEvent(resume);
        }
        DWORD code = 0;
        if (WaitExit(inst, kWaitMs, &code)) Note("the installer ended with %lu", code);
    }
    CloseHandle(paused);
    CloseHandle(resume);
    return FailureCount() ? 1 : 0;
}
