#include "parser.h"
#include "script_platform.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

char s_textBlock[kScriptReadSize + 1];
bool s_failNextAlloc = false;

} // namespace

int ScriptCompareNames(const char* a, const char* b) {
    return strcasecmp(a, b);
}

uint32_t ScriptTextLength(const char* text) {
    return static_cast<uint32_t>(std::strlen(text));
}

bool ScriptAllocText(ScriptTextBlock* block) {
    if (s_failNextAlloc) {
        s_failNextAlloc = false;
        block->handle = nullptr;
        return false;
    }
    std::memset(s_textBlock, 0, sizeof s_textBlock);
    block->handle = s_textBlock;
    return true;
}

char* ScriptLockText(ScriptTextBlock* block) {
    return static_cast<char*>(block->handle);
}

void ScriptReleaseText(ScriptTextBlock* block) {
    block->handle = nullptr;
}

bool ScriptOpenFile(const char* path, ScriptFile* file) {
    std::FILE* stream = std::fopen(path, "rb");
    file->handle = reinterpret_cast<intptr_t>(stream);
    return stream != nullptr;
}

int32_t ScriptReadFile(ScriptFile* file, char* buffer, uint32_t size) {
    std::FILE* stream = reinterpret_cast<std::FILE*>(file->handle);
    size_t count = std::fread(buffer, 1, size, stream);
    if (std::ferror(stream)) return -1;
    return static_cast<int32_t>(count);
}

void ScriptCloseFile(ScriptFile* file) {
    std::fclose(reinterpret_cast<std::FILE*>(file->handle));
    file->handle = 0;
}

void* ScriptBeginWait() {
    return nullptr;
}

void ScriptEndWait(void*) {}

void ScriptFailNextAlloc() {
    s_failNextAlloc = true;
}
