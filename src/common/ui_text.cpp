#include "ui_text.h"

#include <cstdint>

#include "dbcs.h"
#include "languages.h"
#include "system_dlls.h"

namespace {

// The longest string converted; twice that in bytes holds it in any code page.
constexpr uint32_t kLongestString = 255;

using GetUserDefaultUILanguageFn = LANGID(WINAPI*)();
using RegOpenKeyExAFn = decltype(&RegOpenKeyExA);
using RegQueryValueExAFn = decltype(&RegQueryValueExA);
using RegCloseKeyFn = decltype(&RegCloseKey);

// Zero, a language no resource has, until one is chosen: every look-up then falls back to US
// English. Left zero, it costs the program no section of initialised data.
WORD s_language;

void LearnLeadBytes() {
    for (UINT byte = 0x80; byte <= 0xFF; ++byte) {
        if (IsDBCSLeadByte(static_cast<BYTE>(byte))) MarkLeadByte(static_cast<uint8_t>(byte));
    }
}

// The LANGID of a locale recorded as hexadecimal text in the registry; 0 when it cannot be read.
LANGID ReadRegistryLocale(HKEY root, const char* keyName, const char* valueName) {
    // Not imported: ADVAPI32 is no DLL the system always takes from its own directory.
    HMODULE advapi = LoadSystemDll("advapi32.dll");
    const auto open = LookupCall<RegOpenKeyExAFn>(advapi, "RegOpenKeyExA");
    const auto query = LookupCall<RegQueryValueExAFn>(advapi, "RegQueryValueExA");
    const auto close = LookupCall<RegCloseKeyFn>(advapi, "RegCloseKey");
    if (open == nullptr || query == nullptr || close == nullptr) return 0;
    HKEY key;
    if (open(root, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
    char text[16] = {};
    DWORD size = sizeof text - 1;
    const bool read = query(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                            &size) == ERROR_SUCCESS;
    close(key);
    uint16_t language = 0;
    if (read) ParseLocaleText(text, &language);
    return language;
}

// The language of the user interface: the system's answer from Windows 2000 and Me on; before
// them, what 95 and 98 record for the user, and NT 4.0 for the default user, which is the
// language the system was installed in; the user's locale where none of these can be read.
LANGID SystemUiLanguage() {
    const auto uiLanguage = LookupCall<GetUserDefaultUILanguageFn>(GetModuleHandleA("kernel32.dll"),
                                                                   "GetUserDefaultUILanguage");
    if (uiLanguage != nullptr) return uiLanguage();
    const LANGID recorded =
        IsWindows9x()
            ? ReadRegistryLocale(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ResourceLocale")
            : ReadRegistryLocale(HKEY_USERS, ".DEFAULT\\Control Panel\\International", "Locale");
    return recorded != 0 ? recorded : GetUserDefaultLangID();
}

// The resource of that type and id in the language, with its size; null when there is none.
const void* FindInLanguage(HINSTANCE instance, LPCSTR type, UINT id, WORD language, DWORD* size) {
    HRSRC found = FindResourceExA(instance, type, MAKEINTRESOURCEA(id), language);
    if (found == nullptr) return nullptr;
    *size = SizeofResource(instance, found);
    // LockResource gives null for a resource that could not be loaded.
    return LockResource(LoadResource(instance, found));
}

// String id in the language, not empty; false when the language lacks it.
bool FindString(HINSTANCE instance, UINT id, WORD language, const uint16_t** text,
                uint32_t* length) {
    DWORD size = 0;
    const void* bundle = FindInLanguage(instance, RT_STRING, id / 16 + 1, language, &size);
    return bundle != nullptr &&
           FindBundleString(static_cast<const uint16_t*>(bundle), size / 2, id % 16, text,
                            length) &&
           *length != 0;
}

} // namespace

void ChooseUiLanguage() {
    LearnLeadBytes();
    s_language = ChooseLanguage(SystemUiLanguage(), static_cast<uint16_t>(GetACP()));
}

WORD UiLanguage() {
    return s_language;
}

int LoadUiString(HINSTANCE instance, UINT id, char* out, int width) {
    const uint16_t* text = nullptr;
    uint32_t length = 0;
    char converted[2 * kLongestString];
    int bytes = 0;
    if (FindString(instance, id, s_language, &text, &length) ||
        FindString(instance, id, kEnglishUs, &text, &length)) {
        if (length > kLongestString) length = kLongestString;
        // No flags: the oldest systems know none for this call.
        bytes = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(text),
                                    static_cast<int>(length), converted, sizeof converted, nullptr,
                                    nullptr);
    }
    return static_cast<int>(CopyWholeChars(out, width > 0 ? static_cast<uint32_t>(width) : 0,
                                           converted,
                                           bytes > 0 ? static_cast<uint32_t>(bytes) : 0));
}

LPCDLGTEMPLATEA UiDialog(HINSTANCE instance, UINT id) {
    DWORD size = 0;
    const void* found = FindInLanguage(instance, RT_DIALOG, id, s_language, &size);
    if (found == nullptr) found = FindInLanguage(instance, RT_DIALOG, id, kEnglishUs, &size);
    return static_cast<LPCDLGTEMPLATEA>(found);
}
