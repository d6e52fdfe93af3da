#include "parser.h"
#include "script_platform.h"

#include <windows.h>

int ScriptCompareNames(const char* a, const char* b) {
    return lstrcmpiA(a, b);
}

uint32_t ScriptTextLength(const char* text) {
    return static_cast<uint32_t>(lstrlenA(text));
}

bool ScriptAllocText(ScriptTextBlock* block) {
    block->handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kScriptReadSize + 1);
    return block->handle != nullptr;
}

char* ScriptLockText(ScriptTextBlock* block) {
    return static_cast<char*>(GlobalLock(static_cast<HGLOBAL>(block->handle)));
}

void ScriptReleaseText(ScriptTextBlock* block) {
    GlobalUnlock(static_cast<HGLOBAL>(block->handle));
    GlobalFree(static_cast<HGLOBAL>(block->handle));
    block->handle = nullptr;
}

bool ScriptOpenFile(const char* path, ScriptFile* file) {
    // OpenFile keeps the path in an OFSTRUCT of OFS_MAXPATHNAME characters; a longer path is
    // opened with _lopen, which has no such limit.
    OFSTRUCT info{};
    HFILE handle =
        lstrlenA(path) < OFS_MAXPATHNAME ? OpenFile(path, &info, OF_READ) : _lopen(path, OF_READ);
    file->handle = handle;
    return handle != HFILE_ERROR;
}

int32_t ScriptReadFile(ScriptFile* file, char* buffer, uint32_t size) {
    UINT count = _lread(static_cast<HFILE>(file->handle), buffer, size);
    if (count == static_cast<UINT>(HFILE_ERROR)) return -1;
    return static_cast<int32_t>(count);
}

void ScriptCloseFile(ScriptFile* file) {
    _lclose(static_cast<HFILE>(file->handle));
    file->handle = HFILE_ERROR;
}

void* ScriptBeginWait() {
    return SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

void ScriptEndWait(void* previous) {
    SetCursor(static_cast<HCURSOR>(previous));
}

void ScriptFailNextAlloc() {}
