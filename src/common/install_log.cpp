#include "install_log.h"

#include <cstdarg>

HANDLE g_hLog;

namespace {

// wvsprintfA never writes more than 1024 bytes, terminator included.
constexpr int kLineLimit = 1024;

} // namespace

bool CreateLog(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    g_hLog = file;
    return true;
}

void LogLine(const char* format, ...) {
    if (!Logging()) return;
    char line[kLineLimit + 2];
    va_list args;
    va_start(args, format);
    int length = wvsprintfA(line, format, args);
    va_end(args);
    if (length < 0) length = 0;
    line[length++] = '\r';
    line[length++] = '\n';
    DWORD written = 0;
    WriteFile(g_hLog, line, static_cast<DWORD>(length), &written, nullptr);
}
