// Stand-in for the package's main setup program: records how it was started, then ends.
#include <windows.h>

#include <cstdio>
#include <iterator>

namespace {

constexpr const char* kDefaultRecord = "C:\\windows\\temp\\launch.txt";

void Append(char* out, size_t size, const char* key, const char* value) {
    size_t used = lstrlenA(out);
    if (used < size) std::snprintf(out + used, size - used, "%s=%s\r\n", key, value);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char record[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("GUI_LAUNCH_FILE", record, std::size(record));
    if (n == 0 || n >= std::size(record)) lstrcpynA(record, kDefaultRecord, std::size(record));

    char module[MAX_PATH] = {};
    char cwd[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, std::size(module));
    GetCurrentDirectoryA(std::size(cwd), cwd);
    bool background = FindWindowA("hwndBackground", nullptr) != nullptr;

    static char text[4 * MAX_PATH + 256];
    Append(text, sizeof text, "module", module);
    Append(text, sizeof text, "cmdline", GetCommandLineA());
    Append(text, sizeof text, "cwd", cwd);
    Append(text, sizeof text, "background", background ? "1" : "0");

    // Written aside and renamed, so that a reader never sees half a record.
    char partial[MAX_PATH + 8] = {};
    std::snprintf(partial, sizeof partial, "%s.part", record);
    HANDLE h = CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(h, text, lstrlenA(text), &written, nullptr);
    CloseHandle(h);
    return MoveFileExA(partial, record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
