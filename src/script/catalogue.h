#pragma once

#include <cstdint>

// Field widths in bytes, terminator included: a field of width w holds w - 1 characters.
constexpr uint32_t kAppNameWidth = 40;
constexpr uint32_t kDfltDirWidth = 66;
constexpr uint32_t kGroupFileWidth = 14;
constexpr uint32_t kGroupTitleWidth = 30;
constexpr uint32_t kDiskNameWidth = 50;
constexpr uint32_t kDirNameWidth = 30;
constexpr uint32_t kDescriptionWidth = 50;
constexpr uint32_t kFileNameWidth = 14;
constexpr uint32_t kItemTitleWidth = 30;

constexpr uint16_t kMaxDisks = 10;
constexpr uint16_t kMaxDirs = 25;
constexpr uint16_t kMaxFiles = 200;
constexpr uint16_t kMaxPmItems = 20;

struct AppInfo {
    char AppName[kAppNameWidth];
    char DfltDir[kDfltDirWidth];
    uint16_t MinHDSpace;
    char GroupFile[kGroupFileWidth];
    char GroupTitle[kGroupTitleWidth];
};

struct DiskEntry {
    uint16_t Number;
    char Name[kDiskNameWidth];
};

struct DirEntry {
    uint16_t Number;
    char Name[kDirNameWidth];
};

struct FileEntry {
    char Description[kDescriptionWidth];
    char SourceName[kFileNameWidth];
    char DestName[kFileNameWidth];
    uint16_t DirNumber;
    uint16_t DiskNumber;
    uint32_t Compressed;
};

struct PmItem {
    char ItemFile[kFileNameWidth];
    char ItemTitle[kItemTitleWidth];
    char ItemAltFile[kFileNameWidth];
    uint16_t ItemNumber;
};

// The one installation catalogue, zero-filled at program start. The parser fills it; the
// installer reads it only through InfQuery, while inftool's dump and check read the records
// directly, to report them whole.
struct Catalogue {
    AppInfo App;
    uint16_t DiskCount;
    uint16_t DirCount;
    uint16_t FileCount;
    uint16_t PmItemCount;
    DiskEntry Disks[kMaxDisks];
    DirEntry Dirs[kMaxDirs];
    FileEntry Files[kMaxFiles];
    PmItem PmItems[kMaxPmItems];
};

extern Catalogue g_Catalogue;

// Copies at most width - 1 characters of src and always terminates dst.
void CopyBounded(char* dst, const char* src, uint32_t width);
