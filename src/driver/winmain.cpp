#include <windows.h>

#include "background/background.h"
#include "background/ramp.h"
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

// Loads SETUP.INF; on failure shows why and returns false.
bool LoadSetupScript() {
    char path[MAX_PATH];
    int32_t result = LoadCannotOpen;
    if (BuildMediaPath(path, MAX_PATH, g_szSourceDir, kScriptName)) {
        result = InfQuery(LoadScript, 0, path);
    } else {
        CopyWhole(path, MAX_PATH, kScriptName);
    }
    const uint16_t code = static_cast<uint16_t>(result & 0xFFFF);
    if (code == LoadOk) return true;
    const UINT message = code == LoadNoMemory ? IDS_NO_MEMORY : IDS_NO_SCRIPT;
    ShowStringMessage(g_hInst, nullptr, message, nullptr, kLoadMessageStyle, path);
    return false;
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
// path cannot make the system start some other program.
void LaunchFollowOnSetup() {
    if (ReadMediaDir() != ModulePath::Read) return;
    char path[MAX_PATH];
    if (!BuildMediaPath(path, MAX_PATH, g_szSourceDir, kFollowOnSetup)) return;
    char command[MAX_PATH + 2];
    PathBuilder builder;
    BeginPath(&builder, command, static_cast<uint32_t>(sizeof command));
    AppendPath(&builder, "\"");
    AppendPath(&builder, path);
    AppendPath(&builder, "\"");
    if (EndPath(&builder)) WinExec(command, SW_SHOWNORMAL);
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    ChooseUiLanguage();
    if (!InitSystemCommonControls()) return 0;
    if (!ResolveLzCalls(GetModuleHandleA("kernel32.dll"), &g_lz)) return 0;
    g_hInst = hInstance;
    switch (ReadMediaDir()) {
    case ModulePath::Read: break;
    case ModulePath::Unspellable: ReportUnspellableMedia(); return 0;
    case ModulePath::Unreadable: return 0;
    }
    if (RegisterBackgroundClass(hInstance) == 0) return 0;
    if (!FollowOnSetupPresent()) return 0;
    if (!LoadSetupScript()) return 0;

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

    CopyInstallFiles(progress);

    ShowWindow(progress, SW_HIDE);
    DestroyWindow(progress);
    DestroyWindow(g_hwndBackground);
    g_hwndBackground = nullptr;

    LaunchFollowOnSetup();
    return 0;
}
