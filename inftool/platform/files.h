#pragma once

#include "platform/replace.h"

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

// "-" names standard input or output where a command reads or writes one file.
bool IsStandardStream(const char* path);

// ReadWholeFile, or all of standard input for "-".
bool ReadInputFile(const char* path, std::vector<uint8_t>& data, std::string& why,
                   size_t limit = SIZE_MAX);

// A file a command writes, resolved once: "-" for standard output (shown "-", nothing
// resolved). False, with why, when its folder does not exist.
bool ResolveOutputFile(const char* path, OutPath& out, std::string& why);

// False, with why, when out names a folder, ends in a slash, or is something other than a
// file, a character device or a FIFO.
bool TakesAFile(const OutPath& out, std::string& why);

// Writes through a temporary file beside out, flushed to the disk before it is renamed over
// out, so that out is either the complete new content or left exactly as it was, whenever the
// process stops; what a stopped run left beside out goes first (ClaimBeside). A character
// device or FIFO is written as a stream, and "-" is standard output: kAll or kNothing.
Placed WriteOutputFile(const OutPath& out, const std::vector<uint8_t>& data, std::string& why);

// The file's last modification, in seconds since 1970. False, with why, when it has none.
bool ModifiedTime(const char* path, int64_t& seconds, std::string& why);

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
