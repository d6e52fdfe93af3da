#include "module_path.h"

namespace {

// True when text converts to ANSI and back unchanged: no "?" for a character the code page
// lacks, and no best-fit look-alike ("l" for "ł") that would name another file.
bool ToAnsiExactly(const wchar_t* text, char* out, DWORD width) {
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, 0, text, -1, out, static_cast<int>(width),
                                            nullptr, &usedDefault);
    if (written == 0 || usedDefault) return false;
    wchar_t back[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, out, -1, back, MAX_PATH) == 0) return false;
    return lstrcmpW(back, text) == 0;
}

ModulePath ReadAnsiForm(char* out, DWORD width, ModulePath read) {
    const DWORD length = GetModuleFileNameA(nullptr, out, width);
    if (length == 0 || length >= width) return ModulePath::Unreadable;
    return read;
}

} // namespace

ModulePath ReadModulePath(char* out, DWORD width) {
    wchar_t wide[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
    // Systems without the wide call know only the ANSI path.
    if (length == 0) return ReadAnsiForm(out, width, ModulePath::Read);
    if (length >= MAX_PATH) return ModulePath::Unreadable;
    if (ToAnsiExactly(wide, out, width)) return ModulePath::Read;

    wchar_t shortForm[MAX_PATH];
    const DWORD shortLength = GetShortPathNameW(wide, shortForm, MAX_PATH);
    if (shortLength != 0 && shortLength < MAX_PATH && ToAnsiExactly(shortForm, out, width))
        return ModulePath::Read;
    return ReadAnsiForm(out, width, ModulePath::Unspellable);
}
