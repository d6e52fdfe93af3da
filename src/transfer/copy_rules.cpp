#include "copy_rules.h"

#include "common/media_layout.h"
#include "common/media_paths.h"

bool BuildSourcePath(char* out, uint32_t width, const char* sourceDir, const char* dirName,
                     const char* sourceName) {
    PathBuilder path;
    BeginPath(&path, out, width);
    AppendPath(&path, sourceDir);
    AppendPath(&path, DirSeparator(sourceDir));
    AppendPath(&path, dirName);
    AppendPath(&path, "\\");
    AppendPath(&path, sourceName);
    return EndPath(&path);
}

bool BuildDestDir(char* out, uint32_t width, const char* windowsDir, uint32_t dirNumber) {
    PathBuilder path;
    BeginPath(&path, out, width);
    if (!IsDestinationDir(dirNumber)) {
        path.fits = false;
        return EndPath(&path);
    }
    AppendPath(&path, windowsDir);
    if (dirNumber == kDestTwain) AppendPath(&path, kTwainSubdir);
    return EndPath(&path);
}

bool IsPlainFileName(const char* name) {
    if (name[0] == '\0') return false;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) return false;
    for (const char* c = name; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '/' || *c == ':') return false;
    }
    return true;
}

bool BuildDestPath(char* out, uint32_t width, const char* destDir, const char* destName) {
    PathBuilder path;
    BeginPath(&path, out, width);
    AppendPath(&path, destDir);
    AppendPath(&path, "\\");
    AppendPath(&path, destName);
    return EndPath(&path);
}

bool ExpansionComplete(int32_t copied, bool haveLength, uint32_t expectedLength) {
    if (copied < 0) return false;
    return !haveLength || static_cast<uint32_t>(copied) == expectedLength;
}
