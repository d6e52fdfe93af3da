#include "media_paths.h"

#include "dbcs.h"

void BeginPath(PathBuilder* path, char* out, uint32_t width) {
    path->out = out;
    path->width = width;
    path->length = 0;
    path->fits = width > 0;
    if (path->fits) out[0] = '\0';
}

void AppendPath(PathBuilder* path, const char* text) {
    AppendPathPrefix(path, text, UINT32_MAX);
}

void AppendPathPrefix(PathBuilder* path, const char* text, uint32_t count) {
    if (!path->fits) return;
    uint32_t length = path->length;
    for (const char* p = text; *p != '\0' && count > 0; ++p, --count) {
        if (length + 1 >= path->width) {
            path->fits = false;
            return;
        }
        path->out[length++] = *p;
    }
    path->out[length] = '\0';
    path->length = length;
}

bool EndPath(PathBuilder* path) {
    if (!path->fits && path->width > 0) path->out[0] = '\0';
    return path->fits;
}

const char* DirSeparator(const char* dir) {
    const char* afterLast = nullptr;
    for (const char* p = dir; *p != '\0'; p = NextChar(p)) {
        if (*p == '\\') afterLast = p + 1;
    }
    return (afterLast != nullptr && *afterLast == '\0') ? "" : "\\";
}

bool BuildMediaPath(char* out, uint32_t width, const char* dir, const char* name) {
    PathBuilder path;
    BeginPath(&path, out, width);
    AppendPath(&path, dir);
    AppendPath(&path, DirSeparator(dir));
    AppendPath(&path, name);
    return EndPath(&path);
}

void CutToDirectory(char* path) {
    char* cut = path;
    for (char* p = path; *p != '\0'; p = NextChar(p)) {
        if (*p == '\\') cut = p + 1;
    }
    *cut = '\0';
}

bool CopyWhole(char* dst, uint32_t width, const char* src) {
    PathBuilder path;
    BeginPath(&path, dst, width);
    AppendPath(&path, src);
    return EndPath(&path);
}
