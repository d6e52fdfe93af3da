#include <windows.h>

#include "background/background.h"
#include "background/ramp.h"
#include "common/exit_code.h"
#include "common/media_layout.h"
#include "common/media_paths.h"
#include "common/message.h"
#include "common/setup_state.h"
#include "common/system_dlls.h"
#include "common/ui_text.h"
#include "inf_query.h"
#include "module_path.h"
#include "resources/resource.h"
#include "transfer/transfer.h"

namespace {

constexpr UINT kLoadMessageStyle = MB_TASKMODAL | MB_ICONINFORMATION;
static_assert(kLoadMessageStyle == 0x2040, "style of the script load messages");

constexpr UINT kCaptionWidth = 30;
constexpr int32_t kDiskAreaGap = 10; // pixels at 96 DPI
char s_captionText[kCaptionWidth];

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
    char path[MAX_PATH];
    if (!BuildMediaPath(path, MAX_PATH, g_szSourceDir, kScriptName))
        CopyWhole(path, MAX_PATH, kScriptName);
    ShowStringMessage(g_hInst, nullptr, IDS_NO_SCRIPT, nullptr, kLoadMessageStyle, path);
}

bool FollowOnSetupPresent() {
    char path[MAX_PATH];
    return BuildMediaPath(path, MAX_PATH, g_szSourceDir, kFollowOnSetup) &&
           GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Loads SETUP.INF; on failure shows why and returns the exit code that says it.
ExitCode LoadSetupScript() {
    char path[MAX_PATH];
    int32_t result = LoadCannotOpen;
    if (BuildMediaPath(path, MAX_PATH, g_szSourceDir, kScriptName)) {
        result = InfQuery(LoadScript, 0, path);
    } else {
        CopyWhole(path, MAX_PATH, kScriptName);
    }
    const uint16_t code = static_cast<uint16_t>(result & 0xFFFF);
    if (code == LoadOk) return kExitInstalled;
    const ExitCode exit = ScriptLoadExitCode(code);
    const UINT message = exit == kExitScriptNoMemory ? IDS_NO_MEMORY : IDS_NO_SCRIPT;
    ShowStringMessage(g_hInst, nullptr, message, nullptr, kLoadMessageStyle, path);
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
bool LaunchFollowOnSetup() {
    if (ReadMediaDir() != ModulePath::Read) return false;
    char path[MAX_PATH];
    if (!BuildMediaPath(path, MAX_PATH, g_szSourceDir, kFollowOnSetup)) return false;
    char command[MAX_PATH + 2];
    PathBuilder builder;
    BeginPath(&builder, command, static_cast<uint32_t>(sizeof command));
    AppendPath(&builder, "\"");
    AppendPath(&builder, path);
    AppendPath(&builder, "\"");
    // WinExec reports failure as a value of 31 or less.
    return EndPath(&builder) && WinExec(command, SW_SHOWNORMAL) > 31;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    ChooseUiLanguage();
    if (!InitSystemCommonControls()) return kExitCannotStart;
    if (!ResolveLzCalls(GetModuleHandleA("kernel32.dll"), &g_lz)) return kExitCannotStart;
    g_hInst = hInstance;
    switch (ReadMediaDir()) {
    case ModulePath::Read: break;
    case ModulePath::Unspellable: ReportUnspellableMedia(); return kExitScriptNotFound;
    // Without its own path the installer cannot find the media.
    case ModulePath::Unreadable: return kExitNoFollowOnSetup;
    }
    if (RegisterBackgroundClass(hInstance) == 0) return kExitCannotStart;
    if (!FollowOnSetupPresent()) return kExitNoFollowOnSetup;
    const ExitCode loaded = LoadSetupScript();
    if (loaded != kExitInstalled) return loaded;

    LoadUiString(hInstance, IDS_CAPTION, s_captionText, kCaptionWidth);
    g_szCaption = s_captionText;

    g_hwndBackground = CreateBackgroundWindow(hInstance);
    SetDiskArea();

    // Should the dialog fail, the pass runs without it: the files still go in place, and the
    // questions still come, without an owner.
    HWND progress = CreateDialogIndirectParamA(hInstance, UiDialog(hInstance, IDD_PROGRESS),
                                               g_hwndBackground, ProgressDlgProc, 0);

    const UINT length = GetWindowsDirectoryA(g_szWindowsDir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) g_szWindowsDir[0] = '\0';
    SetCurrentDirectoryA(g_szWindowsDir);

    const PassOutcome pass = CopyInstallFiles(progress);

    ShowWindow(progress, SW_HIDE);
    DestroyWindow(progress);
    DestroyWindow(g_hwndBackground);
    g_hwndBackground = nullptr;

    return ExitCodeAfterPass(pass, LaunchFollowOnSetup());
}
