#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// inftool's whole-file reads and writes, stdout in binary, and paths found as a FAT disk
// finds them.

// Reads at most a little over limit bytes (what lies beyond is of no use to the caller).
// False, with the reason in why, when the file cannot be opened or read.
bool ReadWholeFile(const char* path, std::vector<uint8_t>& data, std::string& why,
                   size_t limit = SIZE_MAX);

// Writes through a temporary file beside path, flushed to the disk before it is renamed over
// path, so that path is either the complete new content or left exactly as it was, whenever
// the process stops; what a stopped run left beside path goes first (ClaimBeside).
bool WriteWholeFile(const char* path, const std::vector<uint8_t>& data, std::string& why);

// "-" names standard input or output where a command reads or writes one file.
bool IsStandardStream(const char* path);

// ReadWholeFile, or all of standard input for "-".
bool ReadInputFile(const char* path, std::vector<uint8_t>& data, std::string& why,
                   size_t limit = SIZE_MAX);

// WriteWholeFile, or the bytes as they are to standard output for "-".
bool WriteOutputFile(const char* path, const std::vector<uint8_t>& data, std::string& why);

// The file's last modification, in seconds since 1970. False, with why, when it has none.
bool ModifiedTime(const char* path, int64_t& seconds, std::string& why);

// Sets the file's last modification to seconds since 1970. False, with why, when it cannot.
bool SetModifiedTime(const char* path, int64_t seconds, std::string& why);

// Makes stdout write bytes as given: no CR is added before LF on Windows.
void SetBinaryStdout();

// The path of relative (components separated by "\" or "/") below dir, each component
// matched ignoring letter case as the target file system would; empty when one is missing.
std::string FindIgnoringCase(const std::string& dir, const char* relative);

bool IsRegularFile(const std::string& path, uint64_t* size = nullptr);

// The parts of path, separated by "\" or "/"; empty parts are dropped.
std::vector<std::string> PathParts(const std::string& path);

// dir and relative joined with "/" separators.
std::string JoinPath(const std::string& dir, const char* relative);

// text with each occurrence of path replaced by shown: a message naming a folder the writer
// resolved or staged, as the user named it. Nothing is replaced for an empty path.
std::string Renamed(std::string text, const std::string& path, const std::string& shown);
