#pragma once

#include <cstdint>

#include "script/catalogue.h"

// How the copy pass names the two ends of one [Files] entry, and when an expansion counts
// as done; free of the Windows API.

// Disk numbers below this one have a label on the background window worth repainting.
constexpr uint32_t kRepaintedDisks = 5;

// "%s%s%s\%s": source dir, its separator, the [Dirs] name, the source name.
bool BuildSourcePath(char* out, uint32_t width, const char* sourceDir, const char* dirName,
                     const char* sourceName);

// The Windows directory and "\TWAIN_32" for directory number 2; the Windows directory itself
// for 1. False for other numbers or when it does not fit.
bool BuildDestDir(char* out, uint32_t width, const char* windowsDir, uint32_t dirNumber);

// A destination name must name a plain file at or below its directory. Parts are separated by
// "\" or "/"; refused are: a leading separator, an empty part, a ".." part, any ":" (a drive
// or a data stream), a part ending in "." or a blank, and a device name (CON, NUL, COM1, ...)
// with or without an extension, and a file name that the leftover scan takes for one of the
// installer's own (an aside name such as "~setup~A.tmp" fits an entry). So no script can write
// elsewhere or to a device, or install a file the next run would remove or rename.
bool IsSafeDestName(const char* name);

// A file the next run's scan of its folder would take for one of its own: removed, or renamed
// to the name it carries.
bool IsLeftoverName(const char* name);

// Where the last part of the path starts: after its last "\" or "/".
const char* LastPart(const char* path);

// True when the name holds a folder part ("\" or "/").
bool HasFolder(const char* name);

// A single part that IsSafeDestName accepts: a file name without any folder.
bool IsPlainFileName(const char* name);

// destDir, "\", destName.
bool BuildDestPath(char* out, uint32_t width, const char* destDir, const char* destName);

// A file is written under a temporary name beside its final path, then renamed into place:
// kTempPrefix, four hexadecimal digits, kTempSuffix. That is one character more than a
// [Files] name can hold, so no entry can name one of them.
constexpr char kTempPrefix[] = "~setup";
constexpr char kTempSuffix[] = ".tmp";
constexpr uint32_t kTempNameLength = sizeof kTempPrefix - 1 + 4 + sizeof kTempSuffix - 1;
static_assert(kTempNameLength >= kFileNameWidth, "an entry could name a temporary file");

// The folder of finalPath (up to its last "\" or "/") and the temporary name of that number.
bool BuildTempPath(char* out, uint32_t width, const char* finalPath, uint16_t number);

// The folder of finalPath, as above, and name.
bool BuildBesidePath(char* out, uint32_t width, const char* finalPath, const char* name);

// What the system's search for kTempPattern finds and IsTempName then picks out: a run that
// ended before it could rename or remove its temporary file leaves such names behind.
constexpr char kTempPattern[] = "~setup*.tmp";
// A temporary name of the installer's own, in any letter case.
bool IsTempName(const char* name);

// Where the system has no call that replaces a file (the 9x family), the old file is renamed
// aside until the new one has its name: kTempPrefix, kAsideMark, the final name, kTempSuffix
// ("~setup~SCAN.DLL.tmp"). The name it goes back to is its own part, so a run ended between
// the two renames leaves all the next run needs to put it back, and no second file that could
// be lost or disagree. IsSafeDestName refuses such names.
constexpr char kAsideMark = '~';
// The aside name of finalPath in its folder.
bool BuildAsidePath(char* out, uint32_t width, const char* finalPath);
// The final name that an aside name found in a folder goes back to, in out (its width at
// least kFileNameWidth); false when name is not an aside name of the installer's own.
bool AsideFinalName(const char* name, char* out, uint32_t width);

// An expansion counts as done when LZCopy reported no error and the temporary file holds the
// length the source promises: for an SZDD source what the header says (LZCopy reports a
// truncated source as success, and Wine's copy calls a failed read the end), for any other the
// source's size. -1 is a length that could not be read, which is never done.
bool ExpansionComplete(int32_t copied, int32_t expected, int32_t written);
