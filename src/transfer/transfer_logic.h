#pragma once

#include <cstdint>

// Pure arithmetic and checks of the copy pass and its dialogs, free of the Windows API.

// Directory numbers of the [Files] entries that have a destination.
enum DestinationDir : uint16_t {
    kDestWindows = 1,
    kDestTwain = 2,
};

constexpr const char kTwainSubdir[] = "\\TWAIN_32";

// Disk numbers below this one have a label on the background window worth repainting.
constexpr uint32_t kRepaintedDisks = 5;

// (100 * (index + 1)) / count, truncated; count 0 gives 0.
int32_t ProgressPercent(uint16_t index, uint16_t count);

// Left or top edge that puts a window of `size` pixels at four fifths of the free width
// (horizontal) or centres it (vertical).
int32_t DialogLeft(int32_t screenWidth, int32_t width);
int32_t DialogTop(int32_t screenHeight, int32_t height);

// A location typed into the disk prompt is accepted when its second and third characters are
// ':' and '\' exactly; the first is not checked.
bool IsMediaLocation(const char* text);

// "%s%s%s\%s": source dir, its separator, the [Dirs] name, the source name.
bool BuildSourcePath(char* out, uint32_t width, const char* sourceDir, const char* dirName,
                     const char* sourceName);

// The Windows directory and "\TWAIN_32" for directory number 2; the Windows directory itself
// for 1. False for other numbers or when it does not fit.
bool BuildDestDir(char* out, uint32_t width, const char* windowsDir, uint32_t dirNumber);

// A destination name must name a file inside its directory: not empty, not "." or "..", and
// without a drive, a root or a folder ("\", "/", ":"), so no script can write elsewhere.
bool IsPlainFileName(const char* name);

// destDir, "\", destName.
bool BuildDestPath(char* out, uint32_t width, const char* destDir, const char* destName);

// Compressed-file header: magic, method 'A', last character, original length (LE32).
constexpr uint32_t kSzddHeaderSize = 14;

// True, with the original length, when header holds an SZDD header of method 'A'.
bool SzddOriginalLength(const uint8_t* header, uint32_t size, uint32_t* length);

// An expansion counts as done when LZCopy reported no error and, for an SZDD source, wrote
// as many bytes as the header promises (LZCopy reports a truncated source as success).
bool ExpansionComplete(int32_t copied, bool haveLength, uint32_t expectedLength);
