// Arbitrary bytes as a setup script, then queries over the catalogue they leave: every text
// query terminates its text inside its field and writes nothing past it.
#include "catalogue.h"
#include "inf_query.h"
#include "parser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// The harness's own branches and loops say nothing about the code under test; left out of
// coverage they neither steer the fuzzer nor cost a counter per byte checked.
#define HARNESS __attribute__((no_sanitize("coverage")))

namespace {

constexpr size_t kMaxWidth = kDfltDirWidth;
constexpr size_t kGuardSize = 64;
constexpr unsigned char kCanary = 0xA5;

static_assert(kMaxWidth >= kAppNameWidth && kMaxWidth >= kDiskNameWidth &&
              kMaxWidth >= kDirNameWidth && kMaxWidth >= kDescriptionWidth &&
              kMaxWidth >= kFileNameWidth && kMaxWidth >= kGroupTitleWidth &&
              kMaxWidth >= kGroupFileWidth && kMaxWidth >= kItemTitleWidth);

struct CanaryBlock {
    unsigned char bytes[kGuardSize];
    constexpr CanaryBlock() : bytes() {
        for (unsigned char& b : bytes)
            b = kCanary;
    }
};
constexpr CanaryBlock kGuard;

// The loader's shape: at most kScriptReadSize bytes, then a NUL.
char g_Text[kScriptReadSize + 1];

HARNESS uint32_t WidthOf(uint32_t code) {
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

struct List {
    uint16_t count;
    uint16_t capacity; // 0: the query reads no list
};

HARNESS List ListOf(uint32_t code) {
    const Catalogue& c = g_Catalogue;
    switch (code) {
    case GetDiskName:
    case FindDisk: return {c.DiskCount, kMaxDisks};
    case GetDirName:
    case FindDir: return {c.DirCount, kMaxDirs};
    case GetFileDescription:
    case GetFileSourceName:
    case GetFileDestName:
    case GetFileDir:
    case GetFileDisk:
    case GetFileCompressed: return {c.FileCount, kMaxFiles};
    case GetPmItemFile:
    case GetPmItemTitle:
    case GetPmItemAltFile: return {c.PmItemCount, kMaxPmItems};
    default: return {0, 0};
    }
}

// The field starts as canary bytes, so a query must write its own terminator; name, for
// FindFileDir, must come back untouched.
HARNESS void CheckQuery(uint32_t code, uint32_t index, const char* name = nullptr) {
    unsigned char buffer[kMaxWidth + kGuardSize];
    const size_t width = WidthOf(code);
    const size_t name_size = name != nullptr ? std::strlen(name) + 1 : 0;
    const size_t kept = width > name_size ? width : name_size;
    if (kept > kMaxWidth) std::abort();
    std::memset(buffer, kCanary, kept + kGuardSize);
    if (name != nullptr) std::memcpy(buffer, name, name_size);

    const int32_t result = InfQuery(code, index, reinterpret_cast<char*>(buffer));
    if (width != 0 && std::memchr(buffer, 0, width) == nullptr) std::abort();
    if (name != nullptr && std::memcmp(buffer, name, name_size) != 0) std::abort();
    if (std::memcmp(buffer + kept, kGuard.bytes, kGuardSize) != 0) std::abort();
    if (code >= InfQueryCodeCount && result != 0) std::abort();
}

// Each list's edges (first, last, count, capacity, last with high bits set) and one index
// the input chooses: enough to reach every record the fuzzer can fill, at a few dozen queries.
HARNESS void CheckQueries(uint32_t chosen) {
    const Catalogue& c = g_Catalogue;
    for (uint32_t code = LoadScript + 1; code < InfQueryCodeCount; ++code) {
        if (code == FindFileDir) {
            if (c.FileCount > 0) {
                CheckQuery(code, chosen, c.Files[0].DestName);
                CheckQuery(code, chosen, c.Files[c.FileCount - 1].DestName);
            }
            CheckQuery(code, chosen, "SETUP.EXE");
            continue;
        }
        const List list = ListOf(code);
        if (list.capacity == 0) {
            CheckQuery(code, chosen);
            continue;
        }
        const uint32_t last = static_cast<uint16_t>(list.count - 1);
        const uint32_t indexes[] = {0, last, list.count, list.capacity, 0x10000u | last, chosen};
        for (uint32_t index : indexes)
            CheckQuery(code, index);
    }
    const uint32_t foreign[] = {InfQueryCodeCount, InfQueryCodeCount + 1, 0x10000u | GetAppName,
                                UINT32_MAX};
    for (uint32_t code : foreign)
        CheckQuery(code, chosen);
}

} // namespace

extern "C" HARNESS int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t length = size < kScriptReadSize ? size : kScriptReadSize;
    std::memcpy(g_Text, data, length);
    g_Text[length] = '\0';
    ParseSetupScript(g_Text, static_cast<uint32_t>(length));

    const Catalogue& c = g_Catalogue;
    if (c.DiskCount > kMaxDisks || c.DirCount > kMaxDirs || c.FileCount > kMaxFiles ||
        c.PmItemCount > kMaxPmItems)
        std::abort();

    uint32_t chosen = 0;
    for (size_t i = size >= 4 ? size - 4 : 0; i < size; ++i)
        chosen = chosen << 8 | data[i];
    CheckQueries(chosen);
    return 0;
}
