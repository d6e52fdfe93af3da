#include "replace_file.h"

#include "copy_rules.h"

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
constexpr uint32_t kTempNumbers = 0x10000;
constexpr DWORD kWindows9x = 0x80000000;

using MoveFileExAFn = decltype(&MoveFileExA);

bool s_moveLookedUp;
MoveFileExAFn s_moveFileEx;

// MoveFileExA, except on the 9x family, which exports it without doing it; looked up, since
// an import would be a promise about the system that the loader checks.
MoveFileExAFn ReplacingMove() {
    if (!s_moveLookedUp) {
        s_moveLookedUp = true;
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if ((GetVersion() & kWindows9x) == 0 && kernel != nullptr)
            s_moveFileEx = reinterpret_cast<MoveFileExAFn>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "MoveFileExA")));
    }
    return s_moveFileEx;
}

bool ReplaceOld(const char* tempPath, const char* finalPath) {
    const MoveFileExAFn moveFileEx = ReplacingMove();
    if (moveFileEx != nullptr)
        return moveFileEx(tempPath, finalPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    // No one call replaces a file there: the old one goes first.
    if (!DeleteFileA(finalPath) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    return MoveFileA(tempPath, finalPath) != 0;
}

// Fails with ERROR_FILE_EXISTS where the name is taken. A copy carries the source's
// attributes: a read-only source from a CD makes a read-only temporary file.
bool MakeTemp(const char* tempPath, const char* copyFrom) {
    if (copyFrom != nullptr) return CopyFileA(copyFrom, tempPath, TRUE) != 0;
    HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

} // namespace

OldFile InspectOldFile(const char* finalPath) {
    const DWORD attributes = GetFileAttributesA(finalPath);
    if (attributes == INVALID_FILE_ATTRIBUTES) return OldFile::None;
    return (attributes & kKeptAttributes) != 0 ? OldFile::Kept : OldFile::Replaceable;
}

bool MakeTempBeside(const char* finalPath, const char* copyFrom, char* tempPath) {
    for (uint32_t number = 0; number < kTempNumbers; ++number) {
        if (!BuildTempPath(tempPath, MAX_PATH, finalPath, static_cast<uint16_t>(number))) break;
        if (MakeTemp(tempPath, copyFrom)) return true;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
        // The name was free, so what a copy that failed part-way left there is its own.
        if (copyFrom != nullptr) RemoveTemp(tempPath);
        break;
    }
    tempPath[0] = '\0';
    return false;
}

bool PutInPlace(const char* tempPath, const char* finalPath, bool replace) {
    if (replace) return ReplaceOld(tempPath, finalPath);
    return MoveFileA(tempPath, finalPath) != 0;
}

void RemoveTemp(const char* tempPath) {
    if (tempPath[0] == '\0') return;
    // A read-only file is not deleted.
    SetFileAttributesA(tempPath, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(tempPath);
}
