#pragma once

#include <initializer_list>
#include <string>

// Script text from its lines, each ended by CR LF as the installer reads them.
inline std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}
