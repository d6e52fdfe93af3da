#pragma once

#include <windows.h>

#include <cstdint>

// A file goes in place whole or not at all: it is written under a temporary name in the folder
// of its final path, then renamed over the old file in one step. A failed copy never costs
// the user the file that was there.

enum class OldFile {
    None,        // nothing at the final path
    Replaceable, // a plain file, which the rename replaces
    Kept,        // read-only, hidden or system, or a folder: never replaced
};

// What is at the final path now. The system refuses to overwrite a read-only, hidden or
// system file, and so does the installer, even where a rename would get past it.
OldFile InspectOldFile(const char* finalPath);

// Makes a temporary file beside finalPath, a copy of copyFrom (as long as its source, its data
// flushed to the disk) or, where that is null, an empty one, and names it in tempPath (MAX_PATH
// characters); false, with nothing made and tempPath empty, when it cannot (a missing source or
// folder, a full disk, a short copy, no free name, a failed flush), the failed call's error
// the last.
bool MakeTempBeside(const char* finalPath, const char* copyFrom, char* tempPath);

// Renames the temporary file to finalPath, replacing the old file when replace is set; false,
// with the old file at finalPath as it was, when that cannot be done (the old file is in use,
// access is denied, or something appeared at finalPath where replace is not set).
bool PutInPlace(const char* tempPath, const char* finalPath, bool replace);

// Deletes the temporary file, whatever attributes the copy gave it; nothing for an empty path.
void RemoveTemp(const char* tempPath);

// Makes what was written through a handle reach the disk; false when the system says it did not.
// A copy that MakeTempBeside made is flushed already.
bool FlushWritten(INT file);

// The size of the file open as file, a handle of the system's, not of LZ32: where its pointer
// moves to at the end; negative when that fails.
LONG OpenFileSize(INT file);

// The size of the file at path, read through a handle of its own (under Wine a look-up in its
// folder costs about half as much again); negative when it cannot be opened or measured.
LONG FileSizeOf(const char* path);

// Removes the temporary files that a run ended before its time (killed, a power cut, a restart)
// left in the folder of finalPath, once per folder and run, and only those no one holds open;
// an old file that such a run left aside goes back to its name first, where that is free.
void RemoveLeftoversBeside(const char* finalPath);
