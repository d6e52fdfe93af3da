#include "transfer_logic.h"

#include "../driver/media_paths.h"

int32_t ProgressPercent(uint16_t index, uint16_t count) {
    if (count == 0) return 0;
    return static_cast<int32_t>((100u * (static_cast<uint32_t>(index) + 1u)) / count);
}

int32_t DialogLeft(int32_t screenWidth, int32_t width) {
    return ((screenWidth - width) / 5) * 4;
}

int32_t DialogTop(int32_t screenHeight, int32_t height) {
    return (screenHeight - height) / 2;
}

bool IsMediaLocation(const char* text) {
    return text[0] != '\0' && text[1] == ':' && text[2] == '\\';
}

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
    if (dirNumber != kDestWindows && dirNumber != kDestTwain) {
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

bool SzddOriginalLength(const uint8_t* header, uint32_t size, uint32_t* length) {
    static constexpr uint8_t kMagic[] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    if (size < kSzddHeaderSize) return false;
    for (uint32_t i = 0; i < sizeof kMagic; ++i) {
        if (header[i] != kMagic[i]) return false;
    }
    if (header[8] != 'A') return false;
    *length = static_cast<uint32_t>(header[10]) | (static_cast<uint32_t>(header[11]) << 8) |
              (static_cast<uint32_t>(header[12]) << 16) | (static_cast<uint32_t>(header[13]) << 24);
    return true;
}

bool ExpansionComplete(int32_t copied, bool haveLength, uint32_t expectedLength) {
    if (copied < 0) return false;
    return !haveLength || static_cast<uint32_t>(copied) == expectedLength;
}
