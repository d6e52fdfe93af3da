// The progress dialog and the disk prompt: captions, placement, the location field's rules.
#include "scenarios.h"

#include <windows.h>

#include <commctrl.h>

namespace {

void CheckPlacement(HWND dlg, const char* what) {
    RECT rc{};
    GetWindowRect(dlg, &rc);
    int w = rc.right - rc.left;
    int h = rc.bottom - rc.top;
    int sw = GetSystemMetrics(SM_CXSCREEN);
    int sh = GetSystemMetrics(SM_CYSCREEN);
    Check(rc.left == (sw - w) / 5 * 4 && rc.top == (sh - h) / 2,
          "%s of %dx%d placed at %ld,%ld, want %d,%d", what, w, h, rc.left, rc.top,
          (sw - w) / 5 * 4, (sh - h) / 2);
}

// Types a location and presses OK; the prompt must refuse it with 2014 and keep the text.
bool CheckRejected(const Installer& inst, HWND prompt, const char* typed, const char* shown) {
    HWND edit = TypeLocation(prompt, typed);
    Click(prompt, IDOK);
    HWND box = WaitMessageBox(inst);
    if (!Check(box != nullptr, "\"%s\" was not rejected", typed)) return false;
    CheckText(ItemText(box, kMsgTextId), kMsg2014, "message for a rejected location");
    CheckText(Caption(box), kCaption, "caption of 2014");
    Check(GetWindow(box, GW_OWNER) == prompt, "2014 for \"%s\" is not owned by the prompt", typed);
    Click(box, IDOK);
    WaitGone(box);
    Check(IsWindowVisible(prompt), "the prompt closed after rejecting \"%s\"", typed);
    return CheckText(EditText(edit), shown, "field after a rejected location");
}

void Layout() {
    Run r;
    HWND prompt = StartPrompting(r, "layout");
    HWND progress = FindProgress(r.inst);
    if (!prompt || !Check(progress != nullptr, "no progress dialog")) return;
    CheckInt(GetSystemMetrics(SM_CXSCREEN), 640, "screen width");
    CheckInt(GetSystemMetrics(SM_CYSCREEN), 480, "screen height");
    CheckText(Caption(prompt), kCaption, "disk prompt caption");
    CheckText(Caption(progress), kCaption, "progress dialog caption");
    CheckPlacement(prompt, "disk prompt");
    CheckPlacement(progress, "progress dialog");
    CheckText(ItemText(prompt, IDC_DISK_NAME), "Disk One", "disk label");
    CheckText(ItemText(progress, IDC_STATUS_LINE), "Copying files...", "status line");
    CheckText(ItemText(progress, IDC_FILE_LINE), "Text driver", "file line");
    CheckText(ItemText(progress, IDC_PERCENT), "  0%", "percentage before any entry");
    CheckInt(ProgressPos(progress), 0, "progress before any entry");
    DWORD_PTR range = 0;
    SendMessageTimeoutA(GetDlgItem(progress, IDC_PROGRESS_BAR), PBM_GETRANGE, FALSE, 0,
                        SMTO_ABORTIFHUNG, kWaitMs, &range);
    CheckInt(static_cast<long long>(range), 100, "progress bar maximum");
    Check(IsItemEnabled(progress, IDCANCEL), "progress Cancel disabled before any cancel");
    Check(!IsWindowVisible(progress), "the progress dialog shows before any prompt was answered");
    Click(prompt, IDCANCEL);
    HWND box = WaitMessageBox(r.inst);
    if (box) {
        CheckText(Caption(box), kCaption, "caption of 1005");
        CheckText(ItemText(box, kMsgTextId), kMsg1005, "message 1005");
        Click(box, IDYES);
    }
    FinishWithLaunch(r, kExitCancelled);
    CheckAbsent(TwainFile("GUITEXT.DLL"));
}

void PromptField() {
    Run r;
    HWND prompt = StartPrompting(r, "field");
    if (!prompt) return;
    HWND edit = GetDlgItem(prompt, IDC_LOCATION);
    std::string field = EditText(edit);
    Check(lstrcmpiA(field.c_str(), r.media.c_str()) == 0, "prompt field \"%s\", want \"%s\"",
          field.c_str(), r.media.c_str());
    Check(IsItemEnabled(prompt, IDOK), "OK disabled with a location in the field");
    ClearEdit(edit);
    CheckText(EditText(edit), "", "field after clearing");
    Check(!IsItemEnabled(prompt, IDOK), "OK enabled with an empty field");
    TypeText(edit, "a");
    CheckText(EditText(edit), "A", "field after typing a");
    Check(IsItemEnabled(prompt, IDOK), "OK disabled after typing one character");

    struct Rejected {
        const char* typed;
        const char* shown;
    };
    const Rejected rejected[] = {
        {"a", "A"},
        {"a:", "A:"},
        {"a:/", "A:/"},
        {"ab\\", "AB\\"},
        {"\\\\srv\\share", "\\\\SRV\\SHARE"},
    };
    for (const Rejected& t : rejected)
        if (!CheckRejected(r.inst, prompt, t.typed, t.shown)) return;

    // Cancel after a rejected location: the rejected text stays the source directory.
    Click(prompt, IDCANCEL);
    if (!Answer(r.inst, kMsg1005, kCaption, IDNO)) return;
    WaitGone(prompt);
    prompt = WaitDiskPrompt(r.inst);
    if (!prompt) return;
    CheckText(EditText(GetDlgItem(prompt, IDC_LOCATION)), "\\\\SRV\\SHARE",
              "field after a cancelled rejection");

    // The first character is not checked: 1:\ is taken, and the source stays missing.
    if (!AnswerPrompt(r.inst, "1:\\")) return;
    prompt = WaitDiskPrompt(r.inst);
    if (!prompt) return;
    CheckText(EditText(GetDlgItem(prompt, IDC_LOCATION)), "1:\\", "field after accepting 1:\\");

    edit = TypeLocation(prompt, "c:\\gui\\alt\\");
    CheckText(EditText(edit), "C:\\GUI\\ALT\\", "typed lowercase location");
    Click(prompt, IDOK);
    WaitGone(prompt);
    Check(StaysQuiet(r.inst), "a question came up after a location that holds the file");
    FinishWithLaunch(r);
    CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
}

void PromptLimits() {
    Run r;
    HWND prompt = StartPrompting(r, "limits");
    if (!prompt) return;
    // Narrow letters, so that the width of the field is not what stops the typing.
    const std::string typed = "c:\\" + std::string(63, 'i');
    const std::string upper = "C:\\" + std::string(63, 'I');
    HWND edit = TypeLocation(prompt, (typed + "iiii").c_str());
    CheckText(EditText(edit), upper, "field after typing 70 characters");
    Click(prompt, IDOK);
    WaitGone(prompt);
    prompt = WaitDiskPrompt(r.inst);
    if (!prompt) return;
    CheckText(EditText(GetDlgItem(prompt, IDC_LOCATION)), upper.substr(0, 65),
              "source directory after 66 characters");
    Click(prompt, IDCANCEL);
    if (!Answer(r.inst, kMsg1005, kCaption, IDYES)) return;
    FinishWithLaunch(r, kExitCancelled);
}

// Every showing of the progress dialog empties its two lines and enables Cancel.
void ProgressShowing() {
    Run r;
    HWND prompt = StartPrompting(r, "showing");
    HWND progress = FindProgress(r.inst);
    if (!prompt || !progress) return;
    EnableWindow(GetDlgItem(progress, IDCANCEL), FALSE);
    DWORD_PTR res = 0;
    const struct {
        int id;
        const char* text;
    } stale[] = {{IDC_STATUS_LINE, "stale status"}, {IDC_FILE_LINE, "stale file"}};
    for (const auto& line : stale)
        SendMessageTimeoutA(GetDlgItem(progress, line.id), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(line.text), SMTO_ABORTIFHUNG, kWaitMs, &res);
    Check(!IsItemEnabled(progress, IDCANCEL), "cannot disable the progress Cancel for the test");
    CheckText(ItemText(progress, IDC_STATUS_LINE), "stale status", "status line set by the test");
    if (!AnswerPrompt(r.inst, (AltDir() + "\\").c_str())) return;
    Check(StaysQuiet(r.inst), "a question came up after a location that holds the file");
    FinishWithLaunch(r);
    // The pass went on, so the showing enabled Cancel again before the next poll.
    CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
    const char* const want[] = {"show progress 1",
                                "enable progress:2 1",
                                "text progress:103 ",
                                "text progress:104 ",
                                "text progress:103 Copying files...",
                                "text progress:104 Text driver"};
    size_t next = 0;
    for (const std::string& line : SpyLines())
        if (next < std::size(want) && line == want[next]) ++next;
    Check(next == std::size(want), "after the showing the spy did not see \"%s\"",
          next < std::size(want) ? want[next] : "");
}

} // namespace

const Scenario kDialogScenarios[] = {
    {"dialog_layout", Layout},
    {"dialog_prompt_field", PromptField},
    {"dialog_prompt_limits", PromptLimits},
    {"dialog_progress_showing", ProgressShowing},
    {nullptr, nullptr},
};
