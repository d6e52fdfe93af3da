#pragma once

#include <windows.h>

#include <lzexpand.h>

// The installer runs from whatever folder it was unpacked to, where anyone may have put a DLL
// with a system DLL's name. Every DLL beyond the ones the system always takes from its own
// directory is therefore loaded from there explicitly, and every call that the oldest systems
// lack is looked up, never imported: their loader refuses a program with a missing import.

// Keeps DLLs loaded from now on (also by system DLLs) to the system directory, where the
// system has the calls for it.
void RestrictDllSearch();

// The system directory's DLL of that name; null when it cannot be loaded.
HMODULE LoadSystemDll(const char* name);

// The call of that name in module, as a Fn; null when there is no module or no such call.
template <typename Fn> Fn LookupCall(HMODULE module, const char* name) {
    return module != nullptr
               ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

// Windows 95, 98 and Me, which export some NT calls without doing what they do.
inline bool IsWindows9x() {
    return (GetVersion() & 0x80000000) != 0;
}

// InitCommonControls of the system's comctl32; false when it cannot be loaded.
bool InitSystemCommonControls();

// The LZ expansion calls. Newer systems export them from KERNEL32 (their LZ32.DLL only
// forwards there); the oldest have them only in LZ32.DLL.
struct LzCalls {
    decltype(&LZOpenFileA) openFile;
    decltype(&LZInit) init;
    decltype(&LZCopy) copy;
    decltype(&LZSeek) seek;
    decltype(&LZClose) close;
};

extern LzCalls g_lz;

// Takes every call from first, or, when it lacks any of them, every call from the system
// directory's lz32.dll; false when neither has them all.
bool ResolveLzCalls(HMODULE first, LzCalls* calls);
