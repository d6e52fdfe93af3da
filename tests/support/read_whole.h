#pragma once

#include <cstdio>
#include <string>

// The whole file as bytes; empty when it cannot be read.
inline std::string ReadWhole(const std::string& path) {
    std::string data;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            data.append(chunk, got);
        std::fclose(file);
    }
    return data;
}
