#pragma once

#include <cstdint>

// The few platform calls the setup script subsystem needs. Windows uses the system's own
// (GlobalAlloc, OpenFile, _lread, lstrcmpiA, the wait cursor); the host build stands in
// for them so the subsystem can be unit-tested and fuzzed natively.

// Case-insensitive comparison as lstrcmpiA; the host folds ASCII letters only.
int ScriptCompareNames(const char* a, const char* b);

// strlen, from the system where the installer has no C runtime.
uint32_t ScriptTextLength(const char* text);

// A zero-filled block of kScriptReadSize + 1 bytes; false when no memory can be had.
struct ScriptTextBlock {
    void* handle;
};
bool ScriptAllocText(ScriptTextBlock* block);
char* ScriptLockText(ScriptTextBlock* block);
void ScriptReleaseText(ScriptTextBlock* block);

// Opens for reading; false when the file cannot be opened.
struct ScriptFile {
    intptr_t handle;
};
bool ScriptOpenFile(const char* path, ScriptFile* file);
// One read of at most size bytes; the count read, or -1 when the read fails.
int32_t ScriptReadFile(ScriptFile* file, char* buffer, uint32_t size);
void ScriptCloseFile(ScriptFile* file);

// Shows the wait cursor and returns the one it replaced.
void* ScriptBeginWait();
void ScriptEndWait(void* previous);

// Host only: the next ScriptAllocText fails, as on a system out of memory.
void ScriptFailNextAlloc();
