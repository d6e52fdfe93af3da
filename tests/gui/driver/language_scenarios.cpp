// The installer in the user's language: Russian and Japanese read back in UTF-16 against the
// texts the program carries, a Japanese folder whose name ends in the byte of "\", and a Russian
// user interface on a Western code page, which gets US English.
#include "scenarios.h"
#include "setup_resources.h"

#include <windows.h>

namespace {

constexpr LANGID kRussian = 0x0419;
constexpr LANGID kJapanese = 0x0411;

// The scenario's locale reached Wine: the installer sees this UI language and code page.
bool RunsOn(LANGID ui, UINT codePage) {
    return Check(GetUserDefaultUILanguage() == ui && GetACP() == codePage,
                 "the system has UI language %04x and code page %u, want %04x and %u: the "
                 "scenario's locale did not take",
                 GetUserDefaultUILanguage(), GetACP(), ui, codePage);
}

bool CheckWide(const std::wstring& got, const std::wstring& want, const char* what) {
    return Check(got == want, "%s: got \"%s\", want \"%s\"", what, Utf8(got).c_str(),
                 Utf8(want).c_str());
}

INT_PTR CALLBACK ModelProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Every control text of a dialog of the installer against the same template made here, in
// template order; the controls the program fills are left out.
void CheckDialogTexts(HWND live, LANGID language, UINT id, std::initializer_list<int> filled) {
    HWND model = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), SetupDialog(language, id),
                                            nullptr, ModelProc, 0);
    if (!Check(model != nullptr, "cannot make dialog %u of language %04x", id, language)) return;
    HWND mine = GetWindow(model, GW_CHILD);
    HWND theirs = GetWindow(live, GW_CHILD);
    for (; mine && theirs;
         mine = GetWindow(mine, GW_HWNDNEXT), theirs = GetWindow(theirs, GW_HWNDNEXT)) {
        const int control = GetDlgCtrlID(mine);
        CheckInt(GetDlgCtrlID(theirs), control, "control in template order");
        bool skip = false;
        for (int f : filled)
            skip = skip || f == control;
        if (!skip) CheckWide(WideCaption(theirs), WideCaption(mine), "dialog text");
    }
    Check(!mine && !theirs, "dialog %u has other controls than its template", id);
    DestroyWindow(model);
}

// The disk prompt and the cancel question in the language, read back in UTF-16.
void Translated(LANGID language, UINT codePage, const char* name) {
    if (!RunsOn(language, codePage)) return;
    const std::wstring question = SetupString(language, IDS_CONFIRM_CANCEL);
    Check(question != SetupString(kEnglishUsId, IDS_CONFIRM_CANCEL),
          "setup.exe has no translation of message %d", IDS_CONFIRM_CANCEL);
    Run r;
    HWND prompt = StartPrompting(r, name);
    HWND progress = FindProgress(r.inst);
    if (!prompt || !Check(progress != nullptr, "no progress dialog")) return;
    const std::wstring caption = SetupString(language, IDS_CAPTION);
    CheckWide(WideCaption(prompt), caption, "disk prompt caption");
    CheckWide(WideCaption(progress), caption, "progress dialog caption");
    CheckWide(WideItemText(progress, IDC_STATUS_LINE), SetupString(language, IDS_COPYING),
              "status line");
    CheckWide(WideItemText(prompt, IDC_DISK_NAME), L"Disk One", "disk label");
    CheckDialogTexts(prompt, language, IDD_DISK_PROMPT, {IDC_DISK_NAME, IDC_LOCATION});
    CheckDialogTexts(progress, language, IDD_PROGRESS,
                     {IDC_STATUS_LINE, IDC_FILE_LINE, IDC_PERCENT});
    Click(prompt, IDCANCEL);
    HWND box = WaitMessageBox(r.inst);
    if (!box) return;
    CheckWide(WideItemText(box, kMsgTextId), question, "cancel question");
    CheckWide(WideCaption(box), caption, "cancel question caption");
    Click(box, IDYES);
    WaitGone(box);
    FinishWithLaunch(r, kExitCancelled);
    CheckAbsent(TwainFile("GUITEXT.DLL"));
}

void Russian() {
    Translated(kRussian, 1251, "russian");
}

void Japanese() {
    Translated(kJapanese, 932, "japanese");
}

// On code page 932 the last byte of 能 (94 5C) is that of "\". The media folder ends in ソ
// (83 5C) and the location typed into the prompt in 能: neither may be taken to end in "\".
void JapaneseFolder() {
    if (!RunsOn(kJapanese, 932)) return;
    const std::string media = Ansi(L"\u8868\u30bd");                    // 表ソ
    const std::string typed = WorkDir() + "\\" + Ansi(L"\u6a5f\u80fd"); // C:\gui\機能
    if (!Check(!media.empty() && media.back() == '\\' && typed.back() == '\\',
               "the folder names do not end in the byte of \"\\\" on this code page"))
        return;
    RemoveTree(typed);
    Run r;
    if (!PutSources(typed, {"TEXT.DL_"}) ||
        !PrepareAndStart(r, media.c_str(),
                         Script("Text driver, TEXT.DL_, GUITEXT.DLL, 2, 1, Y\r\n")))
        return;
    HWND prompt = WaitDiskPrompt(r.inst);
    if (!prompt) return;
    HWND edit = GetDlgItem(prompt, IDC_LOCATION);
    wchar_t field[MAX_PATH] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(edit, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(field),
                        SMTO_ABORTIFHUNG, kWaitMs, &result);
    // The field's upper-casing takes the media's ASCII letters too.
    Check(lstrcmpiW(field, Wide(r.media).c_str()) == 0, "prompt field \"%s\", want \"%s\"",
          Utf8(field).c_str(), r.media.c_str());
    ClearEdit(edit);
    TypeWide(edit, Wide(typed));
    Click(prompt, IDOK);
    WaitGone(prompt);
    Check(StaysQuiet(r.inst), "a question came up after a location ending in a double-byte "
                              "character that holds the file");
    FinishWithLaunch(r);
    CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
    RemoveTree(typed);
}

// A Russian user interface on a Western code page: Russian texts would be question marks, so
// the installer speaks US English.
void RussianUiWesternCodePage() {
    if (!RunsOn(kRussian, 1252)) return;
    Run r;
    HWND prompt = StartPrompting(r, "ruwest");
    if (!prompt) return;
    CheckText(Caption(prompt), kCaption, "disk prompt caption");
    CheckDialogTexts(prompt, kEnglishUsId, IDD_DISK_PROMPT, {IDC_DISK_NAME, IDC_LOCATION});
    CheckText(ItemText(FindProgress(r.inst), IDC_STATUS_LINE), "Copying files...", "status line");
    Click(prompt, IDCANCEL);
    if (!Answer(r.inst, kMsg1005, kCaption, IDYES)) return;
    FinishWithLaunch(r, kExitCancelled);
}

} // namespace

const Scenario kLanguageScenarios[] = {
    {"language_russian", Russian},
    {"language_japanese", Japanese},
    {"language_japanese_folder", JapaneseFolder},
    {"language_russian_ui_western", RussianUiWesternCodePage},
    {nullptr, nullptr},
};
