#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// JSON string literals for single-byte ANSI texts. Each byte stands for the Unicode code
// point of the same value (Latin-1), so every byte string has exactly one JSON form.

// Appends the quoted, escaped form of length bytes at text.
void AppendJsonString(std::string& out, const char* text, size_t length);
// The same for a NUL-terminated text.
void AppendJsonString(std::string& out, const char* text);

std::string JsonString(const char* text);

// Makes stdout write bytes as given: no CR is added before LF on Windows.
void SetBinaryStdout();

// Loads the script at path into the catalogue. On failure prints one line naming the file
// on stderr and returns the loader's result (1 no memory, 2 cannot open); 0 when loaded.
int LoadScriptOrReport(const char* path);
