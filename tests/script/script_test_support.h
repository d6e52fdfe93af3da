#pragma once

#include "read_whole.h"

#include "catalogue.h"
#include "inf_query.h"
#include "parser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace script_test {

// Largest field width, with room for a canary tail well beyond it.
constexpr size_t kBufferSize = 256;
constexpr unsigned char kCanary = 0xA5;

// Parses text exactly as the loader hands it over: the bytes, then one NUL.
inline void ParseText(const std::string& text) {
    std::vector<char> block(text.begin(), text.end());
    block.push_back('\0');
    ParseSetupScript(block.data(), static_cast<uint32_t>(text.size()));
}

// Joins lines with CR LF after each.
inline std::string Crlf(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

inline std::string SamplePath(const char* name) {
    const char* root = std::getenv("SCRIPT_SAMPLES");
    std::string path = root != nullptr ? root : "../../samples";
    return path + "/scripts/" + name;
}

// A file under the test's temporary directory holding exactly bytes; removed on destruction.
struct TempScript {
    std::string path;
    explicit TempScript(const std::string& bytes) {
        // CTest runs each case as a process of its own, and several builds may test at once.
        static int serial = 0;
        path = testing::TempDir() + "script_test_" + std::to_string(getpid()) + "_" +
               std::to_string(serial++) + ".inf";
        std::FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        if (file == nullptr) return;
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        std::fclose(file);
    }
    ~TempScript() { std::remove(path.c_str()); }
    TempScript(const TempScript&) = delete;
    TempScript& operator=(const TempScript&) = delete;
};

struct Answer {
    int32_t result;
    std::string text;
};

// Runs one query into a canary-filled buffer preset with `input`; checks that the text
// stays inside `width` (0: the query must not touch the buffer at all).
inline Answer Ask(uint32_t code, uint32_t index, uint32_t width, const char* input = "") {
    unsigned char buffer[kBufferSize];
    std::memset(buffer, kCanary, sizeof buffer);
    const size_t input_size = std::strlen(input) + 1;
    std::memcpy(buffer, input, input_size);
    Answer answer{InfQuery(code, index, reinterpret_cast<char*>(buffer)), {}};
    if (width == 0) {
        for (size_t i = 0; i < input_size; ++i)
            EXPECT_EQ(buffer[i], static_cast<unsigned char>(input[i])) << "code " << code;
        for (size_t i = input_size; i < sizeof buffer; ++i)
            EXPECT_EQ(buffer[i], kCanary) << "code " << code << " wrote byte " << i;
        return answer;
    }
    const void* end = std::memchr(buffer, 0, width);
    EXPECT_NE(end, nullptr) << "code " << code << ": no terminator within width " << width;
    // Bytes past the field's width belong to the caller: they hold the preset or the canary.
    for (size_t i = width; i < sizeof buffer; ++i) {
        const unsigned char before =
            i < input_size ? static_cast<unsigned char>(input[i]) : kCanary;
        EXPECT_EQ(buffer[i], before) << "code " << code << " wrote byte " << i;
    }
    if (end != nullptr) answer.text.assign(reinterpret_cast<char*>(buffer));
    return answer;
}

// Width of the field a text-copying code fills; 0 for codes that leave the buffer alone.
inline uint32_t WidthOf(uint32_t code) {
    switch (code) {
    case GetAppName: return kAppNameWidth;
    case GetDfltDir: return kDfltDirWidth;
    case GetDiskName: return kDiskNameWidth;
    case GetDirName: return kDirNameWidth;
    case GetFileDescription: return kDescriptionWidth;
    case GetFileSourceName:
    case GetFileDestName: return kFileNameWidth;
    case GetFileDir: return kDirNameWidth;
    case GetFileDisk: return kDiskNameWidth;
    case GetGroupTitle: return kGroupTitleWidth;
    case GetGroupFile: return kGroupFileWidth;
    case GetPmItemFile: return kFileNameWidth;
    case GetPmItemTitle: return kItemTitleWidth;
    case GetPmItemAltFile: return kFileNameWidth;
    default: return 0;
    }
}

inline std::string Repeat(char c, size_t n) {
    return std::string(n, c);
}

} // namespace script_test
