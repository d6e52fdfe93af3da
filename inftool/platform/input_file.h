#pragma once

#include <string>

// Whether a command can read path as the one file it takes: false, with the system's reason,
// when it does not exist or cannot be read, is empty, or is a folder or a block device. The
// installer's loader would take either for a file and fail with a bare code, or read a whole disk.
// A pipe, a terminal and /dev/stdin are read as files are.
bool CheckInputFile(const char* path, std::string& why);
