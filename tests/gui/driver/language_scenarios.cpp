// The installer in the user's language: the disk prompt and the cancel question in Russian and
// Japanese, read back in UTF-16 against the texts the program carries; a Japanese location whose
// name ends in the byte of "\"; and a Russian user interface on a Western code page, which gets
// US English.
#include "common/languages.h"
#include "scenarios.h"

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

INT_PTR CALLBACK ModelProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The prompt's control texts against the language's template made here, in template order; the
// label and the field, which the program fills, are left out.
void CheckPromptTexts(HWND prompt, LANGID language) {
    HWND model = CreateDialogIndirectParamW(
        GetModuleHandleW(nullptr), SetupDialog(language, IDD_DISK_PROMPT), nullptr, ModelProc, 0);
    if (!Check(model != nullptr, "cannot make the disk prompt of language %04x", language)) return;
    for (HWND mine = GetWindow(model, GW_CHILD), theirs = GetWindow(prompt, GW_CHILD);
         mine && theirs;
         mine = GetWindow(mine, GW_HWNDNEXT), theirs = GetWindow(theirs, GW_HWNDNEXT))
        if (GetDlgCtrlID(mine) != IDC_DISK_NAME && GetDlgCtrlID(mine) != IDC_LOCATION)
            CheckText(Caption(theirs, true), Caption(mine, true), "disk prompt text");
    DestroyWindow(model);
}

// The disk prompt and the cancel question read back in UTF-16, in the language shown.
void Shows(LANGID ui, UINT codePage, LANGID shown, const char* name) {
    if (!RunsOn(ui, codePage)) return;
    Run r;
    HWND prompt = StartPrompting(r, name);
    if (!prompt) return;
    const std::string caption = Utf8(SetupString(shown, IDS_CAPTION));
    CheckText(Caption(prompt, true), caption, "disk prompt caption");
    CheckPromptTexts(prompt, shown);
    Click(prompt, IDCANCEL);
    HWND box = WaitMessageBox(r.inst);
    if (!box) return;
    CheckText(ItemText(box, kMsgTextId, true), Utf8(SetupString(shown, IDS_CONFIRM_CANCEL)),
              "cancel question");
    CheckText(Caption(box, true), caption, "cancel question caption");
    Click(box, IDYES);
    FinishWithLaunch(r, kExitCancelled);
}

void Russian() {
    Shows(kRussian, 1251, kRussian, "russian");
}

void Japanese() {
    Shows(kJapanese, 932, kJapanese, "japanese");
}

// On code page 932 the last byte of 能 (94 5C) is that of "\", and so is that of ソ (83 5C) and
// 表 (95 5C). The media folder is 表ソ, the location typed into the prompt C:\gui\機能: neither
// may be taken to end in "\".
void JapaneseFolder() {
    if (!RunsOn(kJapanese, 932)) return;
    const std::string typed = WorkDir() + "\\\x8b\x40\x94\x5c";
    RemoveTree(typed);
    Run r;
    if (!PutSources(typed, {"TEXT.DL_"}) ||
        !PrepareAndStart(r, "\x95\x5c\x83\x5c",
                         Script("Text driver, TEXT.DL_, GUITEXT.DLL, 2, 1, Y\r\n")))
        return;
    HWND prompt = WaitDiskPrompt(r.inst);
    if (!prompt) return;
    HWND edit = GetDlgItem(prompt, IDC_LOCATION);
    ClearEdit(edit);
    TypeText(edit, L"C:\\gui\\\u6a5f\u80fd");
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
    Shows(kRussian, 1252, kEnglishUs, "ruwest");
}

} // namespace

const Scenario kLanguageScenarios[] = {
    {"language_russian", Russian},
    {"language_japanese", Japanese},
    {"language_japanese_folder", JapaneseFolder},
    {"language_russian_ui_western", RussianUiWesternCodePage},
    {nullptr, nullptr},
};
