#include "run_log.h"

#include "common/install_log.h"
#include "common/media_layout.h"
#include "common/setup_state.h"
#include "common/ui_text.h"
#include "inf_query.h"
#include "resources/version.h"
#include "transfer/copy_rules.h"

bool ResolveLogPath(const char* typed, char* full) {
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(typed, MAX_PATH, full, &name);
    return length != 0 && length < MAX_PATH;
}

bool LogPathAllowed(const char* full, bool scriptLoaded) {
    if (IsLeftoverName(LastPart(full))) return false;
    if (!scriptLoaded) return true;
    const int32_t count = InfQuery(GetFileCount, 0, nullptr);
    for (int32_t i = 0; i < count; ++i) {
        char dirName[kDirNameWidth];
        char destName[kFileNameWidth];
        char dir[MAX_PATH];
        char path[MAX_PATH];
        const uint16_t index = static_cast<uint16_t>(i);
        const uint32_t dirNumber = static_cast<uint32_t>(InfQuery(GetFileDir, index, dirName));
        InfQuery(GetFileDestName, index, destName);
        if (BuildDestDir(dir, MAX_PATH, g_szWindowsDir, dirNumber) &&
            BuildDestPath(path, MAX_PATH, dir, destName) && lstrcmpiA(path, full) == 0)
            return false;
    }
    return true;
}

void LogStart() {
    const DWORD version = GetVersion();
    LogLine("setup %d.%d.%d.%d", SETUP_VERSION_NUMBERS);
    LogLine("command line: %s", GetCommandLineA());
    LogLine("Windows %u.%u build %u%s, language %04X, code page %u", LOBYTE(version),
            HIBYTE(LOWORD(version)), HIWORD(version) & 0x7FFF,
            (version & 0x80000000) != 0 ? " (9x)" : "", UiLanguage(), GetACP());
}
