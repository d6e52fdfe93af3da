#include <windows.h>

#include "background/background.h"
#include "background/ramp.h"
#include "common/command_line.h"
#include "common/exit_code.h"
#include "common/install_log.h"
#include "common/media_layout.h"
#include "common/media_paths.h"
#include "common/message.h"
#include "common/setup_state.h"
#include "common/system_dlls.h"
#include "common/ui_text.h"
#include "inf_query.h"
#include "module_path.h"
#include "run_log.h"
#include "resources/resource.h"
#include "transfer/transfer.h"

namespace {

constexpr UINT kLoadMessageStyle = MB_TASKMODAL | MB_ICONINFORMATION;
static_assert(kLoadMessageStyle == 0x2040, "style of the script load messages");

constexpr UINT kCaptionWidth = 30;
constexpr int32_t kDiskAreaGap = 10; // pixels at 96 DPI
char s_captionText[kCaptionWidth];

CommandLine s_commandLine;
char s_logPath[MAX_PATH];
// The message that a failed start-up shows (0 for none), and the path it names.
UINT s_startMessage;
char s_startPath[MAX_PATH];

// A message of the start-up, with no owner; none under /S. The script's messages have the
// system's caption, those of the command line the installer's.
void Tell(UINT message, const char* argument, const char* caption = s_captionText) {
    if (!g_bSilent)
        ShowStringMessage(g_hInst, nullptr, message, caption, kLoadMessageStyle, argument);
}

// The installer's own directory, with its trailing backslash, into g_szSourceDir. Unless
// Read, g_szSourceDir holds at most the directory as the ANSI code page spells it.
ModulePath ReadMediaDir() {
    const ModulePath read = ReadModulePath(g_szSourceDir, MAX_PATH);
    if (read == ModulePath::Unreadable) g_szSourceDir[0] = '\0';
    CutToDirectory(g_szSourceDir);
    return read;
}

// The media cannot be reached through an ANSI path: say so rather than end without a word,
// naming the script as the code page spells its path.
void ReportUnspellableMedia() {
    if (!BuildMediaPath(s_startPath, MAX_PATH, g_szSourceDir, kScriptName))
        CopyWhole(s_startPath, MAX_PATH, kScriptName);
    s_startMessage = IDS_NO_SCRIPT;
}

bool FollowOnSetupPresent() {
    char path[MAX_PATH];
    return BuildMediaPath(path, MAX_PATH, g_szSourceDir, kFollowOnSetup) &&
           GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Loads SETUP.INF; on failure notes the message that says why and returns the exit code.
ExitCode LoadSetupScript() {
    char* path = s_startPath;
    int32_t result = LoadCannotOpen;
    if (BuildMediaPath(path, MAX_PATH, g_szSourceDir, kScriptName)) {
        result = InfQuery(LoadScript, 0, path);
    } else {
        CopyWhole(path, MAX_PATH, kScriptName);
    }
    const uint16_t code = static_cast<uint16_t>(result & 0xFFFF);
    if (code == LoadOk) return kExitInstalled;
    const ExitCode exit = ScriptLoadExitCode(code);
    s_startMessage = exit == kExitScriptNoMemory ? IDS_NO_MEMORY : IDS_NO_SCRIPT;
    return exit;
}

HWND CreateBackgroundWindow(HINSTANCE instance) {
    HWND window =
        CreateWindowExA(0, kBackgroundClass, "", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                        GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
    }
    return window;
}

void SetDiskArea() {
    GetClientRect(g_hwndBackground, &g_rcDiskArea);
    g_rcDiskArea.top = g_rcDiskArea.bottom / 4 + ScaleForDpi(kDiskAreaGap, ScreenDpi());
    g_nShownDisk = 1;
}

// Starts the follow-on setup from beside the installer, quoted so that blanks in the media
// path cannot make the system start some other program; false when it did not start.
// The arguments after "--" on the installer's command line follow, as they were typed.
bool LaunchFollowOnSetup() {
    if (ReadMediaDir() != ModulePath::Read) return false;
    char path[MAX_PATH];
    if (!BuildMediaPath(path, MAX_PATH, g_szSourceDir, kFollowOnSetup)) return false;
    char command[MAX_PATH + 3 + kFollowOnArgsWidth];
    PathBuilder builder;
    BeginPath(&builder, command, static_cast<uint32_t>(sizeof command));
    AppendPath(&builder, "\"");
    AppendPath(&builder, path);
    AppendPath(&builder, "\"");
    if (s_commandLine.followOnArgs != nullptr) {
        AppendPath(&builder, " ");
        AppendPath(&builder, s_commandLine.followOnArgs);
    }
    if (!EndPath(&builder)) return false;
    const UINT started = WinExec(command, SW_SHOWNORMAL);
    LogLine("main setup %s: WinExec returned %u", command, started);
    // WinExec reports failure as a value of 31 or less.
    return started > 31;
}

// Everything the run does before it changes anything: the system's parts, the media, the
// script. kExitInstalled when the run may go on; otherwise why not.
ExitCode PrepareRun(HINSTANCE hInstance) {
    if (!InitSystemCommonControls()) return kExitCannotStart;
    if (!ResolveLzCalls(GetModuleHandleA("kernel32.dll"), &g_lz)) return kExitCannotStart;
    switch (ReadMediaDir()) {
    case ModulePath::Read: break;
    case ModulePath::Unspellable: ReportUnspellableMedia(); return kExitScriptNotFound;
    // Without its own path the installer cannot find the media.
    case ModulePath::Unreadable: return kExitNoFollowOnSetup;
    }
    if (RegisterBackgroundClass(hInstance) == 0) return kExitCannotStart;
    if (!FollowOnSetupPresent()) return kExitNoFollowOnSetup;
    const UINT length = GetWindowsDirectoryA(g_szWindowsDir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) g_szWindowsDir[0] = '\0';
    return LoadSetupScript();
}

// Creates the log that /LOG asks for, unless it names a file of the run; false, said unless
// under /S, when it cannot.
bool StartLog(bool scriptLoaded) {
    if (LogPathAllowed(s_logPath, scriptLoaded) && CreateLog(s_logPath)) {
        LogStart();
        return true;
    }
    Tell(IDS_NO_LOG, s_logPath);
    return false;
}

// The run as it always was, from a loaded script to the launch.
ExitCode InstallFiles(HINSTANCE hInstance) {
    g_szCaption = s_captionText;

    if (!g_bSilent) g_hwndBackground = CreateBackgroundWindow(hInstance);
    SetDiskArea();

    // Should the dialog fail, the pass runs without it: the files still go in place, and the
    // questions still come, without an owner. A silent run has none.
    HWND progress = g_bSilent
                        ? nullptr
                        : CreateDialogIndirectParamA(hInstance, UiDialog(hInstance, IDD_PROGRESS),
                                                     g_hwndBackground, ProgressDlgProc, 0);

    SetCurrentDirectoryA(g_szWindowsDir);

    const PassOutcome pass = CopyInstallFiles(progress);

    ShowWindow(progress, SW_HIDE);
    DestroyWindow(progress);
    DestroyWindow(g_hwndBackground);
    g_hwndBackground = nullptr;

    if (!StartsFollowOn(pass)) LogLine("main setup not started");
    return ExitCodeAfterPass(pass, StartsFollowOn(pass) && LaunchFollowOnSetup());
}

ExitCode Run(HINSTANCE hInstance) {
    LoadUiString(hInstance, IDS_CAPTION, s_captionText, kCaptionWidth);
    ParseCommandLine(GetCommandLineA(), &s_commandLine);
    // The usage is asked for, and shown under /S too.
    if (s_commandLine.usage) {
        ShowStringMessage(g_hInst, nullptr, IDS_USAGE, s_captionText, MB_OK | MB_ICONINFORMATION);
        return kExitUsage;
    }
    g_bSilent = s_commandLine.silent;
    const bool logWanted = s_commandLine.logPath[0] != '\0';
    // Before the Windows directory becomes current.
    if (logWanted && !ResolveLogPath(s_commandLine.logPath, s_logPath)) {
        Tell(IDS_NO_LOG, s_commandLine.logPath);
        return kExitNoLog;
    }
    const ExitCode prepared = PrepareRun(hInstance);
    if (logWanted && !StartLog(prepared == kExitInstalled)) return kExitNoLog;
    LogLine("media %s", g_szSourceDir);
    if (s_commandLine.badSwitch[0] != '\0') {
        LogLine("unknown switch %s", s_commandLine.badSwitch);
        Tell(IDS_BAD_SWITCH, s_commandLine.badSwitch);
        return kExitBadSwitch;
    }
    if (prepared != kExitInstalled) {
        LogLine("cannot start %s", s_startPath);
        if (s_startMessage != 0) Tell(s_startMessage, s_startPath, nullptr);
        return prepared;
    }
    LogLine("script %s: loaded", s_startPath);
    return InstallFiles(hInstance);
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    ChooseUiLanguage();
    g_hInst = hInstance;
    const ExitCode exit = Run(hInstance);
    LogLine("exit code %d", exit);
    return exit;
}
