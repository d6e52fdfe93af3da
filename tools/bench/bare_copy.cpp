// The floor that tools/bench-copy measures the copy pass against: the same platform calls for
// the same files, without the installer's script, windows and questions.
// usage: bare_copy.exe COUNT
// Beside it: DISK1\Fnnn.DL_ (even n, compressed) and DISK1\Fnnn.DAT (odd n), n below COUNT,
// and photo\setup.EXE, started at the end as the installer starts it.
#include <windows.h>

#include <commctrl.h>
#include <lzexpand.h>

namespace {

int ParseCount(const char* text) {
    int count = 0;
    while (*text >= '0' && *text <= '9')
        count = count * 10 + (*text++ - '0');
    return count;
}

bool CopyOne(const char* mediaDir, const char* windowsDir, int n) {
    const bool compressed = n % 2 == 0;
    char source[MAX_PATH];
    char dest[MAX_PATH];
    wsprintfA(source, "%sDISK1\\F%03d.%s", mediaDir, n, compressed ? "DL_" : "DAT");
    wsprintfA(dest, "%s\\F%03d.%s", windowsDir, n, compressed ? "DLL" : "DAT");
    if (!compressed) return CopyFileA(source, dest, FALSE) != 0;

    OFSTRUCT sourceOf;
    const INT sourceFile = LZOpenFileA(source, &sourceOf, OF_READ);
    if (sourceFile < 0) return false;
    const HFILE destFile = _lcreat(dest, 0);
    if (destFile == HFILE_ERROR) {
        LZClose(sourceFile);
        return false;
    }
    const LONG copied = LZCopy(sourceFile, destFile);
    LZClose(sourceFile);
    LZClose(destFile);
    return copied >= 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
    InitCommonControls();

    char mediaDir[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, mediaDir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 2;
    char* cut = mediaDir + length;
    while (cut > mediaDir && cut[-1] != '\\')
        --cut;
    *cut = '\0';
    char windowsDir[MAX_PATH];
    const UINT windowsLength = GetWindowsDirectoryA(windowsDir, MAX_PATH);
    if (windowsLength == 0 || windowsLength >= MAX_PATH) return 2;

    int failed = 0;
    const int count = ParseCount(cmdLine);
    for (int n = 0; n < count; ++n) {
        if (!CopyOne(mediaDir, windowsDir, n)) ++failed;
    }

    char command[MAX_PATH + 20];
    wsprintfA(command, "\"%sphoto\\setup.EXE\"", mediaDir);
    WinExec(command, SW_SHOWNORMAL);
    return failed == 0 ? 0 : 1;
}
