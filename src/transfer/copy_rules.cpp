#include "copy_rules.h"

#include "common/dbcs.h"
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

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The system opens these names, with any extension and trailing blanks, as devices.
bool IsDeviceName(const char* part, uint32_t length) {
    uint32_t stem = 0;
    while (stem < length && part[stem] != '.')
        ++stem;
    while (stem > 0 && part[stem - 1] == ' ')
        --stem;
    static constexpr const char* kDevices[] = {"CON",    "PRN",     "AUX",   "NUL",
                                               "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices) {
        uint32_t i = 0;
        while (i < stem && device[i] != '\0' && Upper(part[i]) == device[i])
            ++i;
        if (i == stem && device[i] == '\0') return true;
    }
    // COM1 to COM9 and LPT1 to LPT9.
    if (stem != 4 || part[3] < '1' || part[3] > '9') return false;
    const char a = Upper(part[0]), b = Upper(part[1]), c = Upper(part[2]);
    return (a == 'C' && b == 'O' && c == 'M') || (a == 'L' && b == 'P' && c == 'T');
}

bool IsSafePart(const char* part, uint32_t length) {
    if (length == 0) return false;
    if (length == 2 && part[0] == '.' && part[1] == '.') return false;
    const char last = part[length - 1];
    if (last == '.' || last == ' ') return false;
    return !IsDeviceName(part, length);
}

} // namespace

bool IsLeftoverName(const char* name) {
    char finalName[kFileNameWidth];
    return IsTempName(name) || AsideFinalName(name, finalName, kFileNameWidth);
}

bool IsSafeDestName(const char* name) {
    const char* part = name;
    for (const char* c = name;; c = NextChar(c)) {
        if (*c == ':') return false;
        if (*c != '\0' && !IsSeparator(*c)) continue;
        if (!IsSafePart(part, static_cast<uint32_t>(c - part))) return false;
        if (*c == '\0') return !IsLeftoverName(part);
        part = c + 1;
    }
}

bool HasFolder(const char* name) {
    for (const char* c = name; *c != '\0'; c = NextChar(c)) {
        if (IsSeparator(*c)) return true;
    }
    return false;
}

bool IsPlainFileName(const char* name) {
    return !HasFolder(name) && IsSafeDestName(name);
}

bool BuildDestPath(char* out, uint32_t width, const char* destDir, const char* destName) {
    PathBuilder path;
    BeginPath(&path, out, width);
    AppendPath(&path, destDir);
    AppendPath(&path, "\\");
    AppendPath(&path, destName);
    return EndPath(&path);
}

const char* LastPart(const char* path) {
    const char* part = path;
    for (const char* c = path; *c != '\0'; c = NextChar(c)) {
        if (IsSeparator(*c)) part = c + 1;
    }
    return part;
}

bool BuildBesidePath(char* out, uint32_t width, const char* finalPath, const char* name) {
    const char* folderEnd = LastPart(finalPath);
    PathBuilder path;
    BeginPath(&path, out, width);
    AppendPathPrefix(&path, finalPath, static_cast<uint32_t>(folderEnd - finalPath));
    AppendPath(&path, name);
    return EndPath(&path);
}

bool BuildTempPath(char* out, uint32_t width, const char* finalPath, uint16_t number) {
    char name[kTempNameLength + 1];
    uint32_t length = 0;
    for (const char* c = kTempPrefix; *c != '\0'; ++c)
        name[length++] = *c;
    for (int shift = 12; shift >= 0; shift -= 4)
        name[length++] = "0123456789abcdef"[(number >> shift) & 0xF];
    for (const char* c = kTempSuffix; *c != '\0'; ++c)
        name[length++] = *c;
    name[length] = '\0';
    return BuildBesidePath(out, width, finalPath, name);
}

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsHexDigit(char c) {
    const char lower = Lower(c);
    return (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f');
}

// Compares name with the lower-case text, ignoring the case of ASCII letters; returns the rest
// of name, or null when it does not start with text.
const char* SkipText(const char* name, const char* text) {
    for (; *text != '\0'; ++text, ++name)
        if (Lower(*name) != *text) return nullptr;
    return name;
}

} // namespace

bool IsTempName(const char* name) {
    const char* rest = SkipText(name, kTempPrefix);
    if (rest == nullptr) return false;
    for (int digit = 0; digit < 4; ++digit)
        if (!IsHexDigit(*rest++)) return false;
    rest = SkipText(rest, kTempSuffix);
    return rest != nullptr && *rest == '\0';
}

bool BuildAsidePath(char* out, uint32_t width, const char* finalPath) {
    char name[sizeof kTempPrefix + 1 + kFileNameWidth + sizeof kTempSuffix];
    PathBuilder path;
    BeginPath(&path, name, sizeof name);
    AppendPath(&path, kTempPrefix);
    const char mark[] = {kAsideMark, '\0'};
    AppendPath(&path, mark);
    AppendPath(&path, LastPart(finalPath));
    AppendPath(&path, kTempSuffix);
    return EndPath(&path) && BuildBesidePath(out, width, finalPath, name);
}

bool AsideFinalName(const char* name, char* out, uint32_t width) {
    out[0] = '\0';
    const char* rest = SkipText(name, kTempPrefix);
    if (rest == nullptr || *rest++ != kAsideMark) return false;
    const char* end = rest;
    while (*end != '\0')
        end = NextChar(end);
    const int32_t length = static_cast<int32_t>(end - rest) - int32_t{sizeof kTempSuffix - 1};
    if (length <= 0 || SkipText(rest + length, kTempSuffix) == nullptr) return false;
    PathBuilder path;
    BeginPath(&path, out, width);
    AppendPathPrefix(&path, rest, static_cast<uint32_t>(length));
    if (EndPath(&path) && IsPlainFileName(out)) return true;
    out[0] = '\0';
    return false;
}

bool ExpansionComplete(int32_t copied, int32_t expected, int32_t written) {
    return copied >= 0 && expected >= 0 && written == expected;
}
