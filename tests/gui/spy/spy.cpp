// Message spy, hooked into the installer's thread (WH_CALLWNDPROC): writes the messages that
// change what a person sees, so that states too brief to catch on screen can be checked after.
#include "resource.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <iterator>

namespace {

char g_log[MAX_PATH];

void Write(const char* line) {
    if (!g_log[0]) {
        DWORD n = GetEnvironmentVariableA("GUI_SPY_LOG", g_log, std::size(g_log));
        if (n == 0 || n >= std::size(g_log)) return;
    }
    HANDLE h = CreateFileA(g_log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, line, lstrlenA(line), &written, nullptr);
    CloseHandle(h);
}

// The installer's dialogs are told apart by a control only each of them has.
const char* DialogKind(HWND dlg) {
    if (GetDlgItem(dlg, IDC_PROGRESS_BAR)) return "progress";
    if (GetDlgItem(dlg, IDC_LOCATION)) return "prompt";
    return "other";
}

void Describe(const CWPSTRUCT& m) {
    char cls[64] = {};
    GetClassNameA(m.hwnd, cls, std::size(cls));
    bool child = (GetWindowLongPtrA(m.hwnd, GWL_STYLE) & WS_CHILD) != 0;
    HWND parent = child ? GetParent(m.hwnd) : nullptr;
    int id = child ? GetDlgCtrlID(m.hwnd) : 0;
    char line[400] = {};
    switch (m.message) {
    case WM_CREATE:
        if (!child) std::snprintf(line, sizeof line, "create %s\n", cls);
        break;
    case WM_DESTROY:
        if (!child) std::snprintf(line, sizeof line, "destroy %s\n", cls);
        break;
    case WM_INITDIALOG: std::snprintf(line, sizeof line, "init %s\n", DialogKind(m.hwnd)); break;
    case WM_SHOWWINDOW:
        if (!child)
            std::snprintf(line, sizeof line, "show %s %d\n",
                          lstrcmpA(cls, "#32770") ? cls : DialogKind(m.hwnd), m.wParam ? 1 : 0);
        break;
    case WM_ENABLE:
        if (child)
            std::snprintf(line, sizeof line, "enable %s:%d %d\n", DialogKind(parent), id,
                          m.wParam ? 1 : 0);
        break;
    case WM_SETTEXT:
        if (child && m.lParam)
            std::snprintf(line, sizeof line, "text %s:%d %.300s\n", DialogKind(parent), id,
                          reinterpret_cast<const char*>(m.lParam));
        break;
    case PBM_SETPOS:
        std::snprintf(line, sizeof line, "pos %d\n", static_cast<int>(m.wParam));
        break;
    default: break;
    }
    if (line[0]) Write(line);
}

// The demo's pause (see driver/demo.cpp): while its events exist, the first progress step
// taken with the progress dialog in view waits until the screenshot is taken; the pump
// before the step has put the dialog on screen.
void PauseForScreenshot(const CWPSTRUCT& m) {
    static bool paused = false;
    if (paused || m.message != PBM_SETPOS || !IsWindowVisible(GetParent(m.hwnd))) return;
    HANDLE resume = OpenEventA(SYNCHRONIZE, FALSE, "guispy-resume");
    if (!resume) return;
    paused = true;
    if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, "guispy-paused")) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    WaitForSingleObject(resume, 30000);
    CloseHandle(resume);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK SpyCallWndProc(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && lp) {
        Describe(*reinterpret_cast<const CWPSTRUCT*>(lp));
        PauseForScreenshot(*reinterpret_cast<const CWPSTRUCT*>(lp));
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Refuses the first dialog the installer tries to make when GUI_SPY_VETO_DIALOG is set in its
// environment, so that a dialog that cannot be created can be tried.
extern "C" __declspec(dllexport) LRESULT CALLBACK SpyCbtProc(int code, WPARAM wp, LPARAM lp) {
    static bool vetoed = false;
    if (code == HCBT_CREATEWND && !vetoed &&
        GetEnvironmentVariableA("GUI_SPY_VETO_DIALOG", nullptr, 0) != 0) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lp)->lpcs;
        const char* cls = cs->lpszClass;
        const bool dialog = IS_INTRESOURCE(cls) ? LOWORD(reinterpret_cast<ULONG_PTR>(cls)) == 0x8002
                                                : lstrcmpiA(cls, "#32770") == 0;
        if (dialog && !(cs->style & WS_CHILD)) {
            vetoed = true;
            Write("veto #32770\n");
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
