#pragma once

#include <cstddef>
#include <string>

// JSON string literals for single-byte ANSI texts. Each byte stands for the Unicode code
// point of the same value (Latin-1), so every byte string has exactly one JSON form.

// Appends the quoted, escaped form of length bytes at text.
void AppendJsonString(std::string& out, const char* text, size_t length);
// The same for a NUL-terminated text.
void AppendJsonString(std::string& out, const char* text);

std::string JsonString(const char* text);

// The quoted, escaped form of UTF-8 text, its characters beyond ASCII kept as they are but
// for the C1 controls, escaped as above.
void AppendJsonUtf8(std::string& out, const std::string& text);
