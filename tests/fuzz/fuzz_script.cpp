// Arbitrary bytes as a setup script, then every query over the catalogue they leave.
#include "catalogue.h"
#include "inf_query.h"
#include "parser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

constexpr size_t kBufferSize = 256;
constexpr size_t kCanarySize = 64;
constexpr unsigned char kCanary = 0xA5;
constexpr uint32_t kLastCode = 25; // two past the enumeration

static_assert(kFileNameWidth + kDescriptionWidth < kBufferSize);

// The loader's shape: at most kScriptReadSize bytes, then a NUL.
char g_Text[kScriptReadSize + 1];

struct GuardedBuffer {
    unsigned char bytes[kBufferSize + kCanarySize];
};

uint32_t WidthOf(uint32_t code) {
    switch (code) {
    case GetAppName: return kAppNameWidth;
    case GetDfltDir: return kDfltDirWidth;
    case GetDiskName:
    case GetFileDisk: return kDiskNameWidth;
    case GetDirName:
    case GetFileDir: return kDirNameWidth;
    case GetFileDescription: return kDescriptionWidth;
    case GetFileSourceName:
    case GetFileDestName:
    case GetPmItemFile:
    case GetPmItemAltFile: return kFileNameWidth;
    case GetGroupTitle: return kGroupTitleWidth;
    case GetGroupFile: return kGroupFileWidth;
    case GetPmItemTitle: return kItemTitleWidth;
    default: return 0;
    }
}

// Indexes from the input's last bytes, high bits included, plus the edges of every list.
uint32_t IndexFrom(const uint8_t* data, size_t size, size_t n) {
    static constexpr uint32_t kFixed[] = {0, 1, 9, 10, 24, 25, 199, 200, 0xFFFF, 0x10000};
    if (n < std::size(kFixed)) return kFixed[n];
    uint32_t index = 0;
    for (size_t i = 0; i < 4 && size > 0; ++i)
        index = index << 8 | data[(n * 4 + i) % size];
    return index;
}

void CheckQuery(uint32_t code, uint32_t index, const char* name) {
    GuardedBuffer buffer;
    std::memset(buffer.bytes, kCanary, sizeof buffer.bytes);
    const size_t name_size = std::strlen(name) + 1;
    std::memcpy(buffer.bytes, name, name_size);
    const int32_t result = InfQuery(code, index, reinterpret_cast<char*>(buffer.bytes));
    const uint32_t width = WidthOf(code);
    if (width != 0 && std::memchr(buffer.bytes, 0, width) == nullptr) std::abort();
    for (size_t i = width; i < sizeof buffer.bytes; ++i) {
        const unsigned char before = i < name_size ? static_cast<unsigned char>(name[i]) : kCanary;
        if (buffer.bytes[i] != before) std::abort();
    }
    if (code >= InfQueryCodeCount && result != 0) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t length = size < kScriptReadSize ? size : kScriptReadSize;
    std::memcpy(g_Text, data, length);
    g_Text[length] = '\0';
    ParseSetupScript(g_Text, static_cast<uint32_t>(length));

    const Catalogue& c = g_Catalogue;
    if (c.DiskCount > kMaxDisks || c.DirCount > kMaxDirs || c.FileCount > kMaxFiles ||
        c.PmItemCount > kMaxPmItems)
        std::abort();

    // FindFileDir reads its name from the buffer: try a stored name and a foreign one.
    const char* names[] = {c.FileCount > 0 ? c.Files[0].DestName : "", "SETUP.EXE"};
    for (uint32_t code = 1; code <= kLastCode; ++code) {
        for (size_t n = 0; n < 14; ++n) {
            const char* preset = code == FindFileDir ? names[n % 2] : "";
            CheckQuery(code, IndexFrom(data, size, n), preset);
        }
    }
    return 0;
}
