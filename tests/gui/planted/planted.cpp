// Stand-in for a system DLL that someone put beside the installer: when it is loaded it leaves
// a mark beside itself, "<its path>.mark", and does nothing else.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcatA(path, ".mark");
    HANDLE mark = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    return TRUE;
}
