#pragma once

#include <cstdint>

// Bounded path building for the installer. A path that does not fit its buffer is refused
// whole: the builder reports false and leaves an empty text, so a cut path is never used.

struct PathBuilder {
    char* out;
    uint32_t width; // bytes, terminator included
    uint32_t length;
    bool fits;
};

void BeginPath(PathBuilder* path, char* out, uint32_t width);
void AppendPath(PathBuilder* path, const char* text);
// At most count characters of text.
void AppendPathPrefix(PathBuilder* path, const char* text, uint32_t count);
// True when every piece fitted; otherwise the output is emptied.
bool EndPath(PathBuilder* path);

// "\" when the character after the last backslash of dir is not NUL (dir does not end in a
// backslash, or has none), "" otherwise.
const char* DirSeparator(const char* dir);

// dir, its separator, then name: "%s%sphoto\setup.EXE", "%s%sSETUP.INF".
bool BuildMediaPath(char* out, uint32_t width, const char* dir, const char* name);

// Cuts a module path just after its last backslash; a path without one becomes empty.
void CutToDirectory(char* path);

// Copies src whole into dst, or empties dst and reports false when it does not fit.
bool CopyWhole(char* dst, uint32_t width, const char* src);
