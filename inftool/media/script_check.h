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
};

// Loads the script at path into the catalogue with the installer's own loader and judges it
// as the installer would read it. False when the file cannot be read.
bool CheckScript(const char* path, ScriptReport& report);

// Prints the warnings in line order, file-wide ones first, each as "path:line: warning: text".
void PrintWarnings(const char* path, std::vector<Warning> warnings);
