#include "system_dlls.h"

#include "media_paths.h"

LzCalls g_lz;

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD flags);
using SetDllDirectoryAFn = BOOL(WINAPI*)(LPCSTR path);
using InitCommonControlsFn = void(WINAPI*)();

bool s_systemSearchOnly;

// All from one module or none: an LZ handle is known only to the module that opened it.
bool LookupLzCalls(HMODULE module, LzCalls* calls) {
    if (module == nullptr) return false;
    calls->openFile = LookupCall<decltype(calls->openFile)>(module, "LZOpenFileA");
    calls->init = LookupCall<decltype(calls->init)>(module, "LZInit");
    calls->copy = LookupCall<decltype(calls->copy)>(module, "LZCopy");
    calls->seek = LookupCall<decltype(calls->seek)>(module, "LZSeek");
    calls->close = LookupCall<decltype(calls->close)>(module, "LZClose");
    return calls->openFile != nullptr && calls->init != nullptr && calls->copy != nullptr &&
           calls->seek != nullptr && calls->close != nullptr;
}

} // namespace

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

void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    const auto setDefault =
        LookupCall<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories");
    if (setDefault != nullptr) s_systemSearchOnly = setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
    // Takes the current directory out of the search for what is still searched for.
    const auto setDirectory = LookupCall<SetDllDirectoryAFn>(kernel, "SetDllDirectoryA");
    if (setDirectory != nullptr) setDirectory("");
}

bool InitSystemCommonControls() {
    HMODULE comctl = LoadSystemDll("comctl32.dll");
    if (comctl == nullptr) return false;
    const auto init = LookupCall<InitCommonControlsFn>(comctl, "InitCommonControls");
    if (init == nullptr) return false;
    init();
    return true;
}

bool ResolveLzCalls(HMODULE first, LzCalls* calls) {
    if (LookupLzCalls(first, calls)) return true;
    return LookupLzCalls(LoadSystemDll("lz32.dll"), calls);
}
