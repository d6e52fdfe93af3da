// guidriver --fit DPI: every static and button text of both dialogs, in every language of the
// system's code page, fits its control at DPI dots per inch. Wine reads LogPixels when a process
// starts, so the measuring is done by a child, guidriver --measure DPI, started after the setting
// is made and run under the same locale; the setting is put back afterwards.
#include "scenarios.h"
#include "setup_resources.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";
// What the program puts into the controls it fills: a packager's text of 30 characters (longer
// ones clip, as they always have), its own status line and the widest percentage.
constexpr const char* kPackagerText = "Scanner utilities, disk 2 of 3";
static_assert(sizeof "Scanner utilities, disk 2 of 3" == 31, "a 30-character packager text");

// The US-English templates are kept as they have always been, to the dialog unit: in the face
// Wine gives Helv, "100%" is one pixel wider than its field, whose last column it loses.
struct Known {
    LANGID language;
    UINT dialog;
    int control;
};
constexpr Known kKnownClipped[] = {{kEnglishUsId, IDD_PROGRESS, IDC_PERCENT}};

bool KnownClipped(LANGID language, UINT dialog, int control) {
    for (const Known& k : kKnownClipped)
        if (k.language == language && k.dialog == dialog && k.control == control) return true;
    return false;
}

// The language's ANSI code page, as the system knows it.
UINT CodePageOf(LANGID language) {
    char text[8] = {};
    GetLocaleInfoA(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, text,
                   static_cast<int>(std::size(text)));
    return static_cast<UINT>(std::atoi(text));
}

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

void Fill(HWND dlg, UINT dialog, LANGID language) {
    if (dialog == IDD_DISK_PROMPT) {
        SetDlgItemTextA(dlg, IDC_DISK_NAME, kPackagerText);
        return;
    }
    SetDlgItemTextA(dlg, IDC_STATUS_LINE, Ansi(SetupString(language, IDS_COPYING)).c_str());
    SetDlgItemTextA(dlg, IDC_FILE_LINE, kPackagerText);
    SetDlgItemTextA(dlg, IDC_PERCENT, "100%");
}

// The space a control's text takes, in the control's own font, laid out as the control lays it
// out; false, with a message, where it does not fit.
bool Fits(HWND control, const char* where) {
    char cls[32] = {};
    GetClassNameA(control, cls, static_cast<int>(std::size(cls)));
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool button = lstrcmpiA(cls, "Button") == 0;
    if (!button && (lstrcmpiA(cls, "Static") != 0 || (style & SS_TYPEMASK) == SS_ICON)) return true;
    char text[256] = {};
    GetWindowTextA(control, text, static_cast<int>(std::size(text)));
    if (text[0] == '\0') return true;

    RECT client{};
    GetClientRect(control, &client);
    // A push button draws its text inside its edges and focus frame.
    const int margin = button ? 2 * GetSystemMetrics(SM_CXEDGE) + 2 : 0;
    const LONG width = client.right - margin;
    const LONG height = client.bottom - margin;
    RECT need{0, 0, width, 0};
    const UINT format = DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK | DT_EXPANDTABS);
    HDC dc = GetDC(control);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextA(dc, text, -1, &need, format);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return Check(need.right <= width && need.bottom <= height,
                 "%s: control %d \"%s\" needs %ldx%ld pixels, has %ldx%ld", where,
                 GetDlgCtrlID(control), Utf8(Wide(text)).c_str(), need.right, need.bottom, width,
                 height);
}

int MeasureLanguage(LANGID language) {
    int measured = 0;
    for (UINT dialog : {IDD_DISK_PROMPT, IDD_PROGRESS}) {
        HWND dlg = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                              SetupDialog(language, dialog), nullptr, Quiet, 0);
        char where[64];
        std::snprintf(where, sizeof where, "language %04x dialog %u", language, dialog);
        if (!Check(dlg != nullptr, "%s cannot be made", where)) continue;
        Fill(dlg, dialog, language);
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!KnownClipped(language, dialog, GetDlgCtrlID(c))) Fits(c, where);
            ++measured;
        }
        DestroyWindow(dlg);
    }
    return measured;
}

int Dpi(const char* text) {
    const int dpi = std::atoi(text);
    return dpi >= 72 && dpi <= 480 ? dpi : 0;
}

} // namespace

int RunMeasure(int argc, char** argv) {
    const int dpi = argc == 1 ? Dpi(argv[0]) : 0;
    if (!dpi) return 2;
    HDC screen = GetDC(nullptr);
    CheckInt(GetDeviceCaps(screen, LOGPIXELSY), dpi, "the screen's DPI");
    ReleaseDC(nullptr, screen);
    int languages = 0;
    for (LANGID language : SetupDialogLanguages(IDD_DISK_PROMPT)) {
        if (CodePageOf(language) != GetACP()) continue;
        Note("language %04x: %d controls at %d DPI", language, MeasureLanguage(language), dpi);
        ++languages;
    }
    Check(languages > 0, "setup.exe has no language of code page %u", GetACP());
    std::printf("%s: %d failed check(s)\n", FailureCount() ? "FAILED" : "PASSED", FailureCount());
    return FailureCount() ? 1 : 0;
}

int RunFit(int argc, char** argv) {
    const int dpi = argc == 1 ? Dpi(argv[0]) : 0;
    if (!dpi) {
        std::printf("usage: guidriver --fit DPI\n");
        return 2;
    }
    HKEY key = nullptr;
    if (!Check(RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0,
                               KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) == 0,
               "cannot open HKCU\\%s", kDesktopKey))
        return 1;
    DWORD before = 0;
    DWORD size = sizeof before;
    const bool had = RegQueryValueExA(key, "LogPixels", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&before), &size) == 0;
    const DWORD wanted = static_cast<DWORD>(dpi);
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&wanted),
                   sizeof wanted);

    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" --measure " + std::to_string(dpi);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    DWORD code = 1;
    std::printf("fit at %d DPI, code page %u\n", dpi, GetACP());
    std::fflush(stdout);
    if (Check(CreateProcessA(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                             &pi) != 0,
              "cannot start the measuring process")) {
        if (!Check(WaitForSingleObject(pi.hProcess, kWaitMs) == WAIT_OBJECT_0,
                   "the measuring process did not end"))
            TerminateProcess(pi.hProcess, 1);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (had)
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before),
                       sizeof before);
    else
        RegDeleteValueA(key, "LogPixels");
    RegCloseKey(key);
    return code == 0 && FailureCount() == 0 ? 0 : 1;
}
