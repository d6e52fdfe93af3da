#include "setup_resources.h"

#include "common/languages.h"
#include "harness.h"
#include "media.h"

namespace {

HMODULE Module() {
    static HMODULE module = [] {
        HMODULE m = LoadLibraryExW(Wide(SetupExePath()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        Check(m != nullptr, "cannot read the resources of %s", SetupExePath().c_str());
        return m;
    }();
    return module;
}

const void* Find(LPCWSTR type, UINT id, LANGID language, DWORD* size) {
    HRSRC found =
        Module() ? FindResourceExW(Module(), type, MAKEINTRESOURCEW(id), language) : nullptr;
    if (!found) return nullptr;
    *size = SizeofResource(Module(), found);
    return LockResource(LoadResource(Module(), found));
}

bool FindString(LANGID language, UINT id, std::wstring* out) {
    DWORD size = 0;
    const void* bundle = Find(MAKEINTRESOURCEW(6), id / 16 + 1, language, &size);
    const uint16_t* text = nullptr;
    uint32_t length = 0;
    if (!bundle ||
        !FindBundleString(static_cast<const uint16_t*>(bundle), size / 2, id % 16, &text,
                          &length) ||
        length == 0)
        return false;
    out->assign(reinterpret_cast<const wchar_t*>(text), length);
    return true;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
    return TRUE;
}

} // namespace

std::wstring SetupString(LANGID language, UINT id) {
    std::wstring text;
    if (!FindString(language, id, &text)) FindString(kEnglishUsId, id, &text);
    return text;
}

const DLGTEMPLATE* SetupDialog(LANGID language, UINT id) {
    DWORD size = 0;
    return static_cast<const DLGTEMPLATE*>(Find(MAKEINTRESOURCEW(5), id, language, &size));
}

std::vector<LANGID> SetupDialogLanguages(UINT id) {
    std::vector<LANGID> languages;
    if (Module())
        EnumResourceLanguagesW(Module(), MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return out;
}

std::string Ansi(const std::wstring& text) {
    std::string out(text.size() * 2 + 1, '\0');
    BOOL lost = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, out.data(),
                                      static_cast<int>(out.size()), nullptr, &lost);
    if (n <= 0 || lost) return {};
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::wstring Wide(const std::string& ansi) {
    std::wstring out(ansi.size() + 1, L'\0');
    const int n =
        MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, out.data(), static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return out;
}

std::wstring WideCaption(HWND hwnd) {
    wchar_t buf[512] = {};
    GetWindowTextW(hwnd, buf, static_cast<int>(std::size(buf)));
    return buf;
}

std::wstring WideItemText(HWND dlg, int id) {
    HWND item = GetDlgItem(dlg, id);
    if (!Check(item != nullptr, "dialog has no control %d", id)) return L"<no control>";
    return WideCaption(item);
}

void TypeWide(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) {
        DWORD_PTR r = 0;
        SendMessageTimeoutW(edit, WM_CHAR, c, 1, SMTO_ABORTIFHUNG, kWaitMs, &r);
    }
}
