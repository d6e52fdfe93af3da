// guidriver --fit DPI: every static and button text of both dialogs, in every language of the
// system's code page, fits its control at DPI dots per inch. Wine reads the setting when a process
// starts: wine-env.sh makes it from GUI_DPI before it starts the driver.
#include "common/languages.h"
#include "scenarios.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// What the program puts into the controls it fills: a packager's text of 30 characters (longer
// ones clip, as they always have), its own status line and the widest percentage.
constexpr const char* kPackagerText = "Scanner utilities, disk 2 of 3";

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

void Fill(HWND dlg, UINT dialog, LANGID language) {
    if (dialog == IDD_DISK_PROMPT) {
        SetDlgItemTextA(dlg, IDC_DISK_NAME, kPackagerText);
        return;
    }
    SetDlgItemTextW(dlg, IDC_STATUS_LINE, SetupString(language, IDS_COPYING).c_str());
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
                 GetDlgCtrlID(control), Caption(control, true).c_str(), need.right, need.bottom,
                 width, height);
}

void MeasureLanguage(LANGID language) {
    for (UINT dialog : {IDD_DISK_PROMPT, IDD_PROGRESS}) {
        HWND dlg = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                              SetupDialog(language, dialog), nullptr, Quiet, 0);
        char where[64];
        std::snprintf(where, sizeof where, "language %04x dialog %u", language, dialog);
        if (!Check(dlg != nullptr, "%s cannot be made", where)) continue;
        Fill(dlg, dialog, language);
        // The US-English templates are kept as they have always been, to the dialog unit: in the
        // face Wine gives Helv, "100%" is one pixel wider than its field.
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (language != kEnglishUs || GetDlgCtrlID(c) != IDC_PERCENT) Fits(c, where);
        DestroyWindow(dlg);
    }
}

} // namespace

int RunFit(int argc, char** argv) {
    HDC screen = GetDC(nullptr);
    const bool set = CheckInt(GetDeviceCaps(screen, LOGPIXELSY), argc == 1 ? std::atoi(argv[0]) : 0,
                              "the screen's DPI, as GUI_DPI sets it");
    ReleaseDC(nullptr, screen);
    int languages = 0;
    for (uint32_t i = 0; set && i < kLanguageCount; ++i) {
        if (kLanguages[i].codePage != GetACP()) continue;
        MeasureLanguage(kLanguages[i].id);
        ++languages;
    }
    Check(languages > 0, "no language measured on code page %u", GetACP());
    std::printf("%s: %d failed check(s)\n", FailureCount() ? "FAILED" : "PASSED", FailureCount());
    return FailureCount() ? 1 : 0;
}
