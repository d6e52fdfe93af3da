#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What inftool check finds, and the script judgement that check and build share.

struct Warning {
    uint32_t line; // 0: the file or the media as a whole
    std::string text;
};

struct ScriptReport {
    std::vector<Warning> warnings;
    std::vector<uint32_t> fileLines; // the script line of each [Files] record
    uint32_t minHDSpaceLine = 0;     // the line that set MinHDSpace; 0 when none does
    bool readsToEnd = false;         // the installer's read reaches the line of [End]
};

// Loads the script text into the catalogue as the installer's loader does (its first 10,240
// bytes, through the installer's own parser) and judges it as the installer would read it.
void CheckScriptText(const std::vector<uint8_t>& text, ScriptReport& report);

// The same for the script at path; false, with why, when the file cannot be read.
bool CheckScript(const char* path, ScriptReport& report, std::string& why);

// The warnings in line order, file-wide ones first, each a line "path:line: warning: text".
std::string WarningLines(const char* path, std::vector<Warning> warnings);

// Prints them on stdout.
void PrintWarnings(const char* path, const std::vector<Warning>& warnings);

// The same for errors, "path:line: error: text", on stderr.
void PrintErrors(const char* path, const std::vector<Warning>& errors);
