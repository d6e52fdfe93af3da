#include "module_path.h"

namespace {

using GetShortPathNameWFn = DWORD(WINAPI*)(LPCWSTR longPath, LPWSTR shortPath, DWORD width);

bool SameText(const wchar_t* a, const wchar_t* b) {
    while (*a != L'\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// True when text converts to ANSI and back unchanged: no "?" for a character the code page
// lacks, and no best-fit look-alike ("l" for "ł") that would name another file.
bool ToAnsiExactly(const wchar_t* text, char* out, DWORD width) {
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, 0, text, -1, out, static_cast<int>(width),
                                            nullptr, &usedDefault);
    if (written == 0 || usedDefault) return false;
    wchar_t back[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, out, -1, back, MAX_PATH) == 0) return false;
    return SameText(back, text);
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

    // Looked up, not imported: the oldest systems the program starts on do not have it.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto getShortPath = kernel != nullptr
                                  ? reinterpret_cast<GetShortPathNameWFn>(reinterpret_cast<void*>(
                                        GetProcAddress(kernel, "GetShortPathNameW")))
                                  : nullptr;
    wchar_t shortForm[MAX_PATH];
    const DWORD shortLength = getShortPath != nullptr ? getShortPath(wide, shortForm, MAX_PATH) : 0;
    if (shortLength != 0 && shortLength < MAX_PATH && ToAnsiExactly(shortForm, out, width))
        return ModulePath::Read;
    return ReadAnsiForm(out, width, ModulePath::Unspellable);
}
