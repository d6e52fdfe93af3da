#include "harness.h"

#include "media.h"

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int g_failures = 0;

struct FindArgs {
    DWORD pid;
    const char* cls;
    bool visibleOnly;
    int needItem; // a control the window must have, or 0
    HWND found;
    int count;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
    auto* a = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != a->pid) return TRUE;
    if (a->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, static_cast<int>(std::size(cls)));
    if (a->cls && lstrcmpA(cls, a->cls) != 0) return TRUE;
    if (a->needItem && !GetDlgItem(hwnd, a->needItem)) return TRUE;
    // The installer's own dialogs have icons with the id 0xFFFF too; a message box has neither
    // the progress bar nor the location field.
    if (a->needItem == kMsgTextId &&
        (GetDlgItem(hwnd, IDC_PROGRESS_BAR) || GetDlgItem(hwnd, IDC_LOCATION)))
        return TRUE;
    if (!a->found) a->found = hwnd;
    ++a->count;
    return TRUE;
}

FindArgs Scan(const Process& inst, const char* cls, bool visibleOnly, int needItem) {
    FindArgs a{inst.id, cls, visibleOnly, needItem, nullptr, 0};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&a));
    return a;
}

HWND WaitFor(const Process& inst, const char* cls, int needItem, DWORD ms, const char* what) {
    DWORD start = GetTickCount();
    for (;;) {
        FindArgs a = Scan(inst, cls, true, needItem);
        if (a.found) return a.found;
        if (GetTickCount() - start > ms) break;
        if (!IsRunning(inst)) break;
        Sleep(kPollMs);
    }
    if (IsRunning(inst))
        Check(false, "%s did not appear within %lu ms", what, ms);
    else
        Check(false, "%s did not appear before the installer ended", what);
    return nullptr;
}

bool CaptureScreen(Screen& s) {
    s.width = GetSystemMetrics(SM_CXSCREEN);
    s.height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = s.width;
    bi.bmiHeader.biHeight = -s.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = bitmap && dc;
    if (ok) {
        HGDIOBJ previous = SelectObject(dc, bitmap);
        ok = BitBlt(dc, 0, 0, s.width, s.height, screen, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        const auto* first = static_cast<const uint32_t*>(bits);
        if (ok) s.pixels.assign(first, first + static_cast<size_t>(s.width) * s.height);
        SelectObject(dc, previous);
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return Check(ok, "cannot capture the screen");
}

void Vprint(const char* tag, const char* fmt, va_list ap) {
    std::printf("%s", tag);
    std::vprintf(fmt, ap);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

bool Check(bool ok, const char* fmt, ...) {
    if (ok) return true;
    ++g_failures;
    va_list ap;
    va_start(ap, fmt);
    Vprint("FAIL: ", fmt, ap);
    va_end(ap);
    return false;
}

bool CheckText(const std::string& got, const std::string& want, const char* what) {
    return Check(got == want, "%s: got \"%s\", want \"%s\"", what, got.c_str(), want.c_str());
}

bool CheckInt(long long got, long long want, const char* what) {
    return Check(got == want, "%s: got %lld, want %lld", what, got, want);
}

int FailureCount() {
    return g_failures;
}

void Note(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    Vprint("  ", fmt, ap);
    va_end(ap);
}

void KillInstaller(Installer& inst) {
    if (!inst.handle) return;
    if (IsRunning(inst)) {
        TerminateProcess(inst.handle, 99);
        WaitForSingleObject(inst.handle, 5000);
    }
    CloseHandle(inst.thread);
    CloseHandle(inst.handle);
    inst.id = 0;
    inst.handle = inst.thread = nullptr;
}

Installer::~Installer() {
    KillInstaller(*this);
}

bool StartInstaller(Installer& inst, const std::string& exe, const std::string& args) {
    std::wstring wide(exe.size() + 1, L'\0');
    const int n =
        MultiByteToWideChar(CP_ACP, 0, exe.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return StartInstaller(inst, wide, args);
}

namespace {

// With GUI_HOLD_DIR set, the installer waits, made but not started, until a tracer outside Wine
// has attached to it: the driver leaves "ready" in that folder and waits for "go".
void HoldForTracer(DWORD id) {
    char dir[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("GUI_HOLD_DIR", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const std::string folder = std::string(dir) + "\\";
    DeleteFileA((folder + "go").c_str());
    Check(WriteBytes(folder + "ready", std::to_string(id)), "cannot write %sready", folder.c_str());
    const DWORD start = GetTickCount();
    while (GetFileAttributesA((folder + "go").c_str()) == INVALID_FILE_ATTRIBUTES)
        if (!Check(GetTickCount() - start < kWaitMs, "no tracer came"))
            return;
        else
            Sleep(10);
}

} // namespace

bool StartInstaller(Installer& inst, const std::wstring& exe, const std::string& args) {
    KillInstaller(inst);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    for (char c : args.empty() ? args : " " + args)
        cmd += static_cast<wchar_t>(static_cast<unsigned char>(c));
    // Started from C:\ so that nothing can lean on the current directory.
    if (!Check(CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                              nullptr, L"C:\\", &si, &pi) != 0,
               "cannot start %ls (error %lu)", exe.c_str(), GetLastError()))
        return false;
    inst.id = pi.dwProcessId;
    inst.handle = pi.hProcess;
    inst.thread = pi.hThread;
    HMODULE spy = LoadLibraryA(SpyDllPath().c_str());
    bool hooked = spy != nullptr;
    for (const auto& [type, name] :
         {std::pair{WH_CALLWNDPROC, "SpyCallWndProc"}, std::pair{WH_CBT, "SpyCbtProc"}}) {
        auto proc =
            spy ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(spy, name)))
                : nullptr;
        hooked = hooked && proc && SetWindowsHookExA(type, proc, spy, pi.dwThreadId);
    }
    HoldForTracer(pi.dwProcessId);
    ResumeThread(pi.hThread);
    return Check(hooked, "cannot hook the message spy into the installer (error %lu)",
                 GetLastError());
}

bool IsRunning(const Process& inst) {
    return inst.handle && WaitForSingleObject(inst.handle, 0) == WAIT_TIMEOUT;
}

bool WaitExit(Installer& inst, DWORD ms, DWORD* code) {
    if (!inst.handle) return false;
    if (WaitForSingleObject(inst.handle, ms) != WAIT_OBJECT_0) {
        Check(false, "the installer did not end within %lu ms; killed", ms);
        KillInstaller(inst);
        return false;
    }
    DWORD c = 0;
    GetExitCodeProcess(inst.handle, &c);
    if (code) *code = c;
    return true;
}

HWND FindTop(const Process& inst, const char* cls, bool visibleOnly) {
    return Scan(inst, cls, visibleOnly, 0).found;
}

int CountTop(const Process& inst, const char* cls, bool visibleOnly) {
    return Scan(inst, cls, visibleOnly, 0).count;
}

HWND WaitTop(const Process& inst, const char* cls, DWORD ms) {
    return WaitFor(inst, cls, 0, ms, cls);
}

HWND WaitMessageBox(const Process& inst, DWORD ms) {
    return WaitFor(inst, kDialogClass, kMsgTextId, ms, "a message box");
}

HWND WaitDiskPrompt(const Process& inst, DWORD ms) {
    return WaitFor(inst, kDialogClass, IDC_LOCATION, ms, "the disk prompt");
}

HWND FindProgress(const Process& inst) {
    return Scan(inst, kDialogClass, false, IDC_PROGRESS_BAR).found;
}

bool WaitGone(HWND hwnd, DWORD ms) {
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start > ms)
            return Check(false, "window \"%s\" still up after %lu ms", Caption(hwnd).c_str(), ms);
        Sleep(kPollMs);
    }
    return true;
}

bool StaysQuiet(const Process& inst, DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms && IsRunning(inst)) {
        if (Scan(inst, kDialogClass, true, kMsgTextId).found ||
            Scan(inst, kDialogClass, true, IDC_LOCATION).found)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return out;
}

std::string Caption(HWND hwnd, bool utf8) {
    if (utf8) {
        wchar_t wide[512] = {};
        GetWindowTextW(hwnd, wide, static_cast<int>(std::size(wide)));
        return Utf8(wide);
    }
    char buf[512] = {};
    GetWindowTextA(hwnd, buf, static_cast<int>(std::size(buf)));
    return buf;
}

std::string ItemText(HWND dlg, int id, bool utf8) {
    HWND item = GetDlgItem(dlg, id);
    if (!Check(item != nullptr, "dialog \"%s\" has no control %d", Caption(dlg).c_str(), id))
        return "<no control>";
    return Caption(item, utf8);
}

std::string EditText(HWND edit) {
    // An edit control's live text lives in its own process; only WM_GETTEXT reaches it.
    char buf[512] = {};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(edit, WM_GETTEXT, std::size(buf), reinterpret_cast<LPARAM>(buf),
                             SMTO_ABORTIFHUNG, kWaitMs, &result)) {
        Check(false, "the edit field did not answer WM_GETTEXT");
        return "<no answer>";
    }
    return buf;
}

int ProgressPos(HWND progressDlg) {
    DWORD_PTR pos = 0;
    HWND bar = GetDlgItem(progressDlg, IDC_PROGRESS_BAR);
    if (!bar || !SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &pos)) {
        Check(false, "the progress bar did not answer PBM_GETPOS");
        return -1;
    }
    return static_cast<int>(pos);
}

bool IsItemEnabled(HWND dlg, int id) {
    HWND item = GetDlgItem(dlg, id);
    return item && IsWindowEnabled(item);
}

void TypeText(HWND edit, const char* text) {
    for (const char* p = text; *p; ++p) {
        DWORD_PTR r = 0;
        SendMessageTimeoutA(edit, WM_CHAR, static_cast<unsigned char>(*p), 1, SMTO_ABORTIFHUNG,
                            kWaitMs, &r);
    }
}

void TypeText(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) {
        DWORD_PTR r = 0;
        SendMessageTimeoutW(edit, WM_CHAR, c, 1, SMTO_ABORTIFHUNG, kWaitMs, &r);
    }
}

void ClearEdit(HWND edit) {
    DWORD_PTR r = 0;
    SendMessageTimeoutA(edit, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, kWaitMs, &r);
    SendMessageTimeoutA(edit, WM_CHAR, VK_BACK, 1, SMTO_ABORTIFHUNG, kWaitMs, &r);
}

void Click(HWND dlg, int id) {
    // Posted: the click may open a modal box whose loop would block a sent message.
    HWND button = GetDlgItem(dlg, id);
    if (Check(button != nullptr, "dialog \"%s\" has no button %d", Caption(dlg).c_str(), id))
        PostMessageA(button, BM_CLICK, 0, 0);
}

bool Answer(const Process& inst, const char* text, const char* caption, int button, DWORD ms) {
    HWND box = WaitMessageBox(inst, ms);
    if (!box) return false;
    if (text) CheckText(ItemText(box, kMsgTextId), text, "message text");
    if (caption) CheckText(Caption(box), caption, "message caption");
    Click(box, button);
    return WaitGone(box, ms);
}

bool CaptureSettled(Screen& s, HWND hwnd, const RECT& area, DWORD ms) {
    DWORD start = GetTickCount();
    while (GetUpdateRect(hwnd, nullptr, FALSE)) {
        if (GetTickCount() - start > ms)
            return Check(false, "window \"%s\" still not painted after %lu ms",
                         Caption(hwnd).c_str(), ms);
        Sleep(kPollMs);
    }
    // A sent message is taken only between dispatches: its answer means the paint has ended.
    DWORD_PTR r = 0;
    if (!Check(SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &r) != 0,
               "window \"%s\" did not answer after its paint", Caption(hwnd).c_str()))
        return false;
    // The paint reaches the screen when the thread next waits for messages, a moment later.
    std::vector<uint32_t> last;
    while (CaptureScreen(s)) {
        std::vector<uint32_t> now;
        for (LONG y = area.top; y < area.bottom; ++y)
            for (LONG x = area.left; x < area.right; ++x)
                now.push_back(PixelAt(s, x, y));
        if (now == last) return true;
        if (GetTickCount() - start > ms)
            return Check(false, "the screen still changes after %lu ms", ms);
        last.swap(now);
        Sleep(kPollMs);
    }
    return false;
}
