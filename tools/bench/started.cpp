// The follow-on setup of tools/bench-copy's media: its first act is to write the time it
// started (100 ns units since 1601, the host's real-time clock under Wine) to the file that
// BENCH_STARTED names; that moment ends a timed run.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;

    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("BENCH_STARTED", path, MAX_PATH);
    if (length == 0 || length + 5 >= MAX_PATH) return 1;
    // Written aside and renamed, so that the waiting script never reads half a number.
    char partial[MAX_PATH];
    wsprintfA(partial, "%s.part", path);
    char digits[24];
    char* first = digits + sizeof digits;
    do {
        *--first = static_cast<char>('0' + ticks % 10);
        ticks /= 10;
    } while (ticks != 0);

    HANDLE file = CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(digits + sizeof digits - first);
    const BOOL ok = WriteFile(file, first, size, &written, nullptr);
    CloseHandle(file);
    if (!ok || written != size) return 1;
    return MoveFileExA(partial, path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
