#include "replace_file.h"

#include "common/system_dlls.h"
#include "copy_rules.h"

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
constexpr uint32_t kTempNumbers = 0x10000;
// Folders whose leftovers this run has removed; a pass writes to the Windows directory,
// TWAIN_32 and the few folders below them that its script names. Past this many, a folder is
// cleared again at each of its files, which costs time, not files.
constexpr int kClearedFolders = 8;

using MoveFileExAFn = decltype(&MoveFileExA);

bool s_moveLookedUp;
MoveFileExAFn s_moveFileEx;

// MoveFileExA, except on the 9x family, which exports it without doing it; looked up, since
// an import would be a promise about the system that the loader checks.
MoveFileExAFn ReplacingMove() {
    if (!s_moveLookedUp) {
        s_moveLookedUp = true;
        if (!IsWindows9x())
            s_moveFileEx =
                LookupCall<MoveFileExAFn>(GetModuleHandleA("kernel32.dll"), "MoveFileExA");
    }
    return s_moveFileEx;
}

bool ReplaceOld(const char* tempPath, const char* finalPath) {
    const MoveFileExAFn moveFileEx = ReplacingMove();
    if (moveFileEx != nullptr)
        return moveFileEx(tempPath, finalPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    // No one call replaces a file there, and a deleted old file would be lost if the rename
    // then failed: it is renamed aside, and deleted only once the new one has its name.
    char aside[MAX_PATH];
    if (!BuildAsidePath(aside, MAX_PATH, finalPath) || !MoveFileA(finalPath, aside)) return false;
    if (!MoveFileA(tempPath, finalPath)) {
        MoveFileA(aside, finalPath);
        return false;
    }
    // Where this fails, the next run removes it.
    DeleteFileA(aside);
    return true;
}

// The copy's data on the disk, not only in the system's cache, before it can take the old
// file's name; and all of it: a copy call can report success for a short copy (Wine's stops at
// a failed read), so the copy counts only at its source's size, read through the handle the
// flush opens anyway. A copy of a read-only source (a CD) is read-only: the attribute goes
// before the flush and stays gone, or the next run would keep the file as one the user made
// read-only; hidden and system stay as the copy gave them.
bool FlushWholeCopy(const char* tempPath, LONG sourceSize) {
    const DWORD attributes = GetFileAttributesA(tempPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || sourceSize < 0) return false;
    const DWORD writable = attributes & ~FILE_ATTRIBUTE_READONLY;
    if (writable != attributes &&
        !SetFileAttributesA(tempPath, writable != 0 ? writable : FILE_ATTRIBUTE_NORMAL))
        return false;
    HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bool flushed = false;
    if (file != INVALID_HANDLE_VALUE) {
        flushed = FlushFileBuffers(file) &&
                  OpenFileSize(static_cast<INT>(HandleToLong(file))) == sourceSize;
        CloseHandle(file);
    }
    return flushed;
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
    DWORD failure = ERROR_FILE_EXISTS;
    for (uint32_t number = 0; number < kTempNumbers; ++number) {
        if (!BuildTempPath(tempPath, MAX_PATH, finalPath, static_cast<uint16_t>(number))) break;
        if (MakeTemp(tempPath, copyFrom)) {
            if (copyFrom == nullptr || FlushWholeCopy(tempPath, FileSizeOf(copyFrom))) return true;
            failure = GetLastError();
            RemoveTemp(tempPath);
            break;
        }
        const DWORD error = GetLastError();
        failure = error;
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
        // The name was free, so what a copy that failed part-way left there is its own.
        if (copyFrom != nullptr) RemoveTemp(tempPath);
        break;
    }
    tempPath[0] = '\0';
    // The failed call's error, for the log, not that of the clean-up.
    SetLastError(failure);
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

bool FlushWritten(INT file) {
    return FlushFileBuffers(LongToHandle(file)) != 0;
}

LONG OpenFileSize(INT file) {
    return g_lz.seek(file, 0, 2);
}

LONG FileSizeOf(const char* path) {
    const HFILE file = _lopen(path, OF_READ | OF_SHARE_DENY_NONE);
    if (file == HFILE_ERROR) return -1;
    const LONG size = OpenFileSize(file);
    _lclose(file);
    return size;
}

namespace {

char s_clearedFolders[kClearedFolders][MAX_PATH];
int s_clearedCount;

// True the first time a folder is asked about.
bool FirstTimeIn(const char* folder) {
    for (int i = 0; i < s_clearedCount; ++i)
        if (lstrcmpiA(s_clearedFolders[i], folder) == 0) return false;
    if (s_clearedCount < kClearedFolders)
        lstrcpynA(s_clearedFolders[s_clearedCount++], folder, MAX_PATH);
    return true;
}

// Removes one leftover unless someone holds it open: a second installer at work in the same
// folder keeps the file it is writing.
void RemoveIfUnused(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    CloseHandle(file);
    RemoveTemp(path);
}

// An old file that a run ended between the two renames of the 9x way left aside goes back to its
// name where that is free; where the new file took it, the old one is removed like a leftover.
// It is never removed while its name is free.
void RestoreOrRemove(const char* aside, const char* finalName, const char* finalPath) {
    char restored[MAX_PATH];
    if (!BuildBesidePath(restored, MAX_PATH, finalPath, finalName)) return;
    if (GetFileAttributesA(restored) != INVALID_FILE_ATTRIBUTES)
        RemoveIfUnused(aside);
    else if (GetLastError() == ERROR_FILE_NOT_FOUND)
        MoveFileA(aside, restored);
}

} // namespace

void RemoveLeftoversBeside(const char* finalPath) {
    char folder[MAX_PATH];
    char pattern[MAX_PATH];
    if (!BuildBesidePath(folder, MAX_PATH, finalPath, "") || !FirstTimeIn(folder) ||
        !BuildBesidePath(pattern, MAX_PATH, finalPath, kTempPattern))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        char leftover[MAX_PATH];
        char finalName[kFileNameWidth];
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            !BuildBesidePath(leftover, MAX_PATH, finalPath, found.cFileName))
            continue;
        if (IsTempName(found.cFileName))
            RemoveIfUnused(leftover);
        else if (AsideFinalName(found.cFileName, finalName, kFileNameWidth))
            RestoreOrRemove(leftover, finalName, finalPath);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}
