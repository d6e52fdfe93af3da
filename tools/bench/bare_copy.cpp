// The floor that tools/bench-copy measures the copy pass against: the same platform calls for
// the same files, without the installer's script, windows and questions.
// usage: bare_copy.exe COUNT [aside | aside-unflushed]
// With "aside", each file is written to a temporary file beside its destination, its data
// flushed to the disk and then renamed into place, as the installer does, so that the cost of
// that safety shows apart from the installer's own; "aside-unflushed" leaves out the flush,
// which shows what the flush costs by itself.
// Beside it: DISK1\Fnnn.DL_ (even n, compressed) and DISK1\Fnnn.DAT (odd n), n below COUNT,
// and photo\setup.EXE, started at the end as the installer starts it.
#include <windows.h>

#include <commctrl.h>
#include <lzexpand.h>

#include "transfer/copy_rules.h"

namespace {

const char* ParseCount(const char* text, int* count) {
    *count = 0;
    while (*text >= '0' && *text <= '9')
        *count = *count * 10 + (*text++ - '0');
    return text;
}

enum class Mode { InPlace, Aside, AsideUnflushed };

// As the installer flushes a plain copy: opened again for writing.
bool FlushFile(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
}

bool CopyOne(char* source, const char* dest, bool compressed, bool flush = false) {
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
    const bool flushed = !flush || FlushFileBuffers(LongToHandle(destFile));
    LZClose(sourceFile);
    LZClose(destFile);
    return copied >= 0 && flushed;
}

// The installer's steps around one copy: the old file looked at, the copy made under a free
// temporary name (an expansion into an empty file made first), its data flushed, the rename.
bool CopyAside(char* source, const char* dest, bool compressed, bool flush) {
    const bool replace = GetFileAttributesA(dest) != INVALID_FILE_ATTRIBUTES;
    char temp[MAX_PATH];
    if (!BuildTempPath(temp, MAX_PATH, dest, 0)) return false;
    bool made = !compressed && CopyFileA(source, temp, TRUE) && (!flush || FlushFile(temp));
    if (compressed) {
        HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        made =
            file != INVALID_HANDLE_VALUE && CloseHandle(file) && CopyOne(source, temp, true, flush);
    }
    const bool placed =
        made &&
        (replace ? MoveFileExA(temp, dest, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                 : MoveFileA(temp, dest));
    if (!placed) DeleteFileA(temp);
    return placed;
}

bool CopyNumbered(const char* mediaDir, const char* windowsDir, int n, Mode mode) {
    const bool compressed = n % 2 == 0;
    char source[MAX_PATH];
    char dest[MAX_PATH];
    wsprintfA(source, "%sDISK1\\F%03d.%s", mediaDir, n, compressed ? "DL_" : "DAT");
    wsprintfA(dest, "%s\\F%03d.%s", windowsDir, n, compressed ? "DLL" : "DAT");
    if (mode == Mode::InPlace) return CopyOne(source, dest, compressed);
    return CopyAside(source, dest, compressed, mode == Mode::Aside);
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
    int count = 0;
    const char* rest = ParseCount(cmdLine, &count);
    const Mode mode = lstrcmpA(rest, " aside") == 0             ? Mode::Aside
                      : lstrcmpA(rest, " aside-unflushed") == 0 ? Mode::AsideUnflushed
                                                                : Mode::InPlace;
    for (int n = 0; n < count; ++n) {
        if (!CopyNumbered(mediaDir, windowsDir, n, mode)) ++failed;
    }

    char command[MAX_PATH + 20];
    wsprintfA(command, "\"%sphoto\\setup.EXE\"", mediaDir);
    WinExec(command, SW_SHOWNORMAL);
    return failed == 0 ? 0 : 1;
}
