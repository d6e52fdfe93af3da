#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// inftool's whole-file reads and writes, stdout in binary, and the script load.

// Reads at most a little over limit bytes (what lies beyond is of no use to the caller).
// False, with the reason in why, when the file cannot be opened or read.
bool ReadWholeFile(const char* path, std::vector<uint8_t>& data, std::string& why,
                   size_t limit = SIZE_MAX);

// Writes through a temporary file beside path, so that path is either the complete new
// content or left exactly as it was.
bool WriteWholeFile(const char* path, const std::vector<uint8_t>& data, std::string& why);

// The file's last modification, in seconds since 1970. False, with why, when it has none.
bool ModifiedTime(const char* path, int64_t& seconds, std::string& why);

// Makes stdout write bytes as given: no CR is added before LF on Windows.
void SetBinaryStdout();

// Loads the script at path into the catalogue. On failure prints one line naming the file
// on stderr and returns kExitNoMemory or kExitNotRead; kExitOk when loaded.
int LoadScriptOrReport(const char* path);
