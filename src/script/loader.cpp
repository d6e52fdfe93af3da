#include "parser.h"
#include "script_platform.h"

int32_t LoadSetupScript(const char* path, ParseObserver observer, void* context) {
    // Memory comes first, so a lack of it is reported even when the file is missing too.
    ScriptTextBlock block{};
    if (!ScriptAllocText(&block)) return LoadNoMemory;

    ScriptFile file{};
    if (path == nullptr || !ScriptOpenFile(path, &file)) {
        ScriptReleaseText(&block);
        return LoadCannotOpen;
    }

    char* text = ScriptLockText(&block);
    if (text == nullptr) {
        ScriptCloseFile(&file);
        ScriptReleaseText(&block);
        return LoadNoMemory;
    }

    // The block is one byte larger than the read, so the terminator always fits; a failed
    // read leaves an empty text.
    int32_t count = ScriptReadFile(&file, text, kScriptReadSize);
    if (count < 0 || static_cast<uint32_t>(count) > kScriptReadSize) count = 0;
    text[count] = '\0';
    ScriptCloseFile(&file);

    ParseSetupScript(text, static_cast<uint32_t>(count), observer, context);

    ScriptReleaseText(&block);
    return LoadOk;
}
