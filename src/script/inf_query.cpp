#include "inf_query.h"

#include "catalogue.h"
#include "parser.h"
#include "script_platform.h"

#include <iterator>

namespace {

constexpr const char* kCodeNames[] = {
    "LoadScript",     "GetAppName",         "GetDfltDir",        "GetMinHDSpace",    "GetDiskCount",
    "GetDiskName",    "FindDisk",           "GetDirCount",       "GetDirName",       "FindDir",
    "GetFileCount",   "GetFileDescription", "GetFileSourceName", "GetFileDestName",  "GetFileDir",
    "GetFileDisk",    "GetFileCompressed",  "FindFileDir",       "GetGroupTitle",    "GetGroupFile",
    "GetPmItemCount", "GetPmItemFile",      "GetPmItemTitle",    "GetPmItemAltFile",
};
static_assert(std::size(kCodeNames) == InfQueryCodeCount);

constexpr int32_t kNotFound = -1;

int32_t FindDiskIndex(uint16_t number) {
    for (int32_t i = g_Catalogue.DiskCount - 1; i >= 0; --i) {
        if (g_Catalogue.Disks[i].Number == number) return i;
    }
    return kNotFound;
}

int32_t FindDirIndex(uint16_t number) {
    for (int32_t i = g_Catalogue.DirCount - 1; i >= 0; --i) {
        if (g_Catalogue.Dirs[i].Number == number) return i;
    }
    return kNotFound;
}

int32_t FindFileDirIndex(const char* name) {
    if (name == nullptr) return kNotFound;
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i) {
        if (ScriptCompareNames(name, g_Catalogue.Files[i].DestName) == 0)
            return FindDirIndex(g_Catalogue.Files[i].DirNumber);
    }
    return kNotFound;
}

// Record reads past the count answer with an empty text and 0 rather than stale or
// out-of-array records.
const FileEntry* FileAt(uint16_t index) {
    return index < g_Catalogue.FileCount ? &g_Catalogue.Files[index] : nullptr;
}

const PmItem* PmItemAt(uint16_t index) {
    return index < g_Catalogue.PmItemCount ? &g_Catalogue.PmItems[index] : nullptr;
}

int32_t CopyText(char* buffer, const char* text, uint32_t width) {
    CopyBounded(buffer, text, width);
    return 0;
}

int32_t QueryFileText(uint32_t code, uint16_t index, char* buffer) {
    const FileEntry* file = FileAt(index);
    if (file == nullptr) return code == GetFileCompressed ? 0 : CopyText(buffer, "", 1);
    switch (code) {
    case GetFileDescription: return CopyText(buffer, file->Description, kDescriptionWidth);
    case GetFileSourceName: return CopyText(buffer, file->SourceName, kFileNameWidth);
    case GetFileDestName: return CopyText(buffer, file->DestName, kFileNameWidth);
    case GetFileDir: {
        int32_t dir = FindDirIndex(file->DirNumber);
        CopyText(buffer, dir >= 0 ? g_Catalogue.Dirs[dir].Name : "", kDirNameWidth);
        return file->DirNumber;
    }
    case GetFileDisk: {
        int32_t disk = FindDiskIndex(file->DiskNumber);
        CopyText(buffer, disk >= 0 ? g_Catalogue.Disks[disk].Name : "", kDiskNameWidth);
        return file->DiskNumber;
    }
    default: return static_cast<int32_t>(file->Compressed);
    }
}

int32_t QueryPmItem(uint32_t code, uint16_t index, char* buffer) {
    const PmItem* item = PmItemAt(index);
    if (item == nullptr) return CopyText(buffer, "", 1);
    switch (code) {
    case GetPmItemFile:
        CopyText(buffer, item->ItemFile, kFileNameWidth);
        return FindFileDirIndex(buffer);
    case GetPmItemTitle: return CopyText(buffer, item->ItemTitle, kItemTitleWidth);
    default: {
        CopyText(buffer, item->ItemAltFile[0] != '\0' ? item->ItemAltFile : item->ItemFile,
                 kFileNameWidth);
        uint32_t dir = static_cast<uint32_t>(FindFileDirIndex(buffer)) & 0xFFFFu;
        return static_cast<int32_t>((uint32_t{item->ItemNumber} << 16) | dir);
    }
    }
}

} // namespace

const char* InfQueryCodeName(uint32_t code) {
    return code < std::size(kCodeNames) ? kCodeNames[code] : nullptr;
}

int32_t InfQuery(uint32_t code, uint32_t index, char* buffer) {
    const uint16_t i = static_cast<uint16_t>(index & 0xFFFFu);
    const Catalogue& c = g_Catalogue;
    switch (code) {
    case LoadScript: return LoadSetupScript(buffer);
    case GetAppName: return CopyText(buffer, c.App.AppName, kAppNameWidth);
    case GetDfltDir: return CopyText(buffer, c.App.DfltDir, kDfltDirWidth);
    case GetMinHDSpace: return c.App.MinHDSpace;
    case GetDiskCount: return c.DiskCount;
    case GetDiskName:
        return CopyText(buffer, i < c.DiskCount ? c.Disks[i].Name : "", kDiskNameWidth);
    case FindDisk: return FindDiskIndex(i);
    case GetDirCount: return c.DirCount;
    case GetDirName: return CopyText(buffer, i < c.DirCount ? c.Dirs[i].Name : "", kDirNameWidth);
    case FindDir: return FindDirIndex(i);
    case GetFileCount: return c.FileCount;
    case GetFileDescription:
    case GetFileSourceName:
    case GetFileDestName:
    case GetFileDir:
    case GetFileDisk:
    case GetFileCompressed: return QueryFileText(code, i, buffer);
    case FindFileDir: return FindFileDirIndex(buffer);
    case GetGroupTitle: return CopyText(buffer, c.App.GroupTitle, kGroupTitleWidth);
    case GetGroupFile: return CopyText(buffer, c.App.GroupFile, kGroupFileWidth);
    case GetPmItemCount: return c.PmItemCount;
    case GetPmItemFile:
    case GetPmItemTitle:
    case GetPmItemAltFile: return QueryPmItem(code, i, buffer);
    default: return 0;
    }
}
