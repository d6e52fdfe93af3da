#include "system_dlls.h"

#include <windows.h>

#include "common/media_paths.h"

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD flags);
using SetDllDirectoryAFn = BOOL(WINAPI*)(LPCSTR path);
using InitCommonControlsFn = void(WINAPI*)();

// Older systems lack these, and the program must still start there: nothing is imported
// that the oldest of them does not export.
template <typename Fn> Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool s_systemSearchOnly;

HMODULE LoadSystemDll(const char* name) {
    if (s_systemSearchOnly) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // A full path is loaded as it stands, without any search.
    char directory[MAX_PATH];
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    char path[MAX_PATH];
    PathBuilder builder;
    BeginPath(&builder, path, MAX_PATH);
    AppendPath(&builder, directory);
    AppendPath(&builder, DirSeparator(directory));
    AppendPath(&builder, name);
    return EndPath(&builder) ? LoadLibraryA(path) : nullptr;
}

} // namespace

void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    const auto setDefault = Lookup<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories");
    if (setDefault != nullptr) s_systemSearchOnly = setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
    // Takes the current directory out of the search for what is still searched for.
    const auto setDirectory = Lookup<SetDllDirectoryAFn>(kernel, "SetDllDirectoryA");
    if (setDirectory != nullptr) setDirectory("");
}

bool InitSystemCommonControls() {
    HMODULE comctl = LoadSystemDll("comctl32.dll");
    if (comctl == nullptr) return false;
    const auto init = Lookup<InitCommonControlsFn>(comctl, "InitCommonControls");
    if (init == nullptr) return false;
    init();
    return true;
}
