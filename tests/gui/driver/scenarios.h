// Scenario plumbing shared by the scenario files.
#pragma once

#include "common/exit_code.h"
#include "harness.h"
#include "media.h"

#include <initializer_list>
#include <string>

using ScenarioFn = void (*)();
struct Scenario {
    const char* name;
    ScenarioFn run;
};

// One run of the installer from a media folder.
struct Run {
    Installer inst;
    std::string media;      // with its trailing backslash
    std::string args;       // the installer's command line after its name
    std::string launchArgs; // what the follow-on setup must get after its quoted name
};

// Message texts, byte for byte.
constexpr const char* kMsg1002Tail =
    " file cannot be found.\nPlease verify the distribution diskette.";
constexpr const char* kMsg1005 =
    "Setup has not completed installing the software.\nAre you sure you want to cancel?";
constexpr const char* kMsg1011 =
    "Insufficient memory to copy file.\nClose another application or cancel Setup.";
constexpr const char* kMsg1012 = "Cannot create destination file.\nTry again or cancel Setup.";
constexpr const char* kMsg2012 =
    "Fail to copy this file.\nDo you still want to continue the installation?";
constexpr const char* kMsg2014 = "Invalid path !\nPlease enter the correct path . ";

// The Windows that Wine shows setup.exe (its answer to GetVersion), "win98" or "nt40", as set
// by GUI_WINDOWS_VERSION for a whole run of the suite; null for Wine's own default.
const char* RunWindowsVersion();
// Makes Wine show setup.exe that Windows from its next start on (null: Wine's default), through
// HKCU\Software\Wine\AppDefaults\setup.exe, which leaves the driver as it is.
void ShowSetupWindows(const char* version);

// Clears what earlier runs left in the Windows directory and lays out the media.
bool Prepare(Run& r, const std::string& mediaDir, const char* inf, bool followOn = true);
// Clears what earlier runs left in the Windows directory for media that are already there.
void PrepareDrive(Run& r, const std::string& mediaDir);
// Starts the installer from the media folder.
bool Start(Run& r);
// Waits for the end: that exit code and the follow-on setup started from the media folder.
void FinishWithLaunch(Run& r, ExitCode want = kExitInstalled);
// Waits for the end: that exit code and nothing launched.
void FinishWithoutLaunch(Run& r, ExitCode want);

std::string WinFile(const char* name);   // a file in the Windows directory
std::string TwainFile(const char* name); // a file in TWAIN_32

// Types a location into the disk prompt's field in place of its text; returns the field.
HWND TypeLocation(HWND prompt, const char* typed);
// Answers the disk prompt with a location typed in place of the field's text.
bool AnswerPrompt(const Installer& inst, const char* typed, int button = IDOK, DWORD ms = kWaitMs);

// The values of the progress bar that the spy saw, as "0 33 66 100".
std::string SpyPositions();

extern const Scenario kStartupScenarios[];
extern const Scenario kCopyScenarios[];
extern const Scenario kDialogScenarios[];
extern const Scenario kBackgroundScenarios[];
extern const Scenario kHardeningScenarios[];
extern const Scenario kBuildScenarios[];
extern const Scenario kLanguageScenarios[];
extern const Scenario kSilentScenarios[];

// Checks that the log is whole CR LF lines holding each of the texts ("|" between), in order.
void CheckLog(const std::string& path, const std::string& texts);
// Checks that no window of the installer was ever created (the spy saw none).
void CheckNoWindow();

// A script with disks 1 to 3 and [Dirs] 1 = DISK1, 2 = TWAIN, 3 = DISK3 around the given
// [Files] lines (each ended by CR LF).
std::string Script(const char* files);
// Copies test data files into a folder of the media (or of another location).
bool PutFiles(const std::string& folder, std::initializer_list<const char*> names);
// Copies them into both source folders of Script(): DISK1 and TWAIN under root.
bool PutSources(const std::string& root, std::initializer_list<const char*> names);
// Lays out the media folder WorkDir()\name with the script and these files in its source
// folders (none when the list is empty), then starts the installer.
bool PrepareAndStart(Run& r, const char* name, const std::string& inf,
                     std::initializer_list<const char*> sources = {});

// The other location that a disk prompt is answered with.
std::string AltDir();
// Empties AltDir() and puts the given files into its source folders.
bool PrepareAlt(std::initializer_list<const char*> names);
// Starts a run whose one entry, TEXT.DL_ to TWAIN_32 from the given disk, is only at AltDir(),
// and waits for the disk prompt that asks for it; null when it did not come.
HWND StartPrompting(Run& r, const char* name, const char* disk = "1");

// The spy's lines of one kind joined by blanks, e.g. the positions "0 33 66 100".
std::string SpyJoined(const char* kind);
