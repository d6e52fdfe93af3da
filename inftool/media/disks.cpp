#include "media/disks.h"

#include "platform/code_page.h"
#include "platform/files.h"

#include "catalogue.h"
#include "common/dbcs.h"
#include "common/media_layout.h"

#include <algorithm>
#include <cstdio>

namespace {

// The lowest number of [Disks]; none is 65535.
uint16_t FirstListedDisk() {
    uint16_t first = UINT16_MAX;
    for (uint16_t i = 0; i < g_Catalogue.DiskCount; ++i)
        first = std::min(first, g_Catalogue.Disks[i].Number);
    return first;
}

} // namespace

bool IsCopiedEntry(uint16_t index) {
    return IsDestinationDir(g_Catalogue.Files[index].DirNumber);
}

std::vector<uint16_t> DisksInUse() {
    std::vector<uint16_t> disks = {StartDisk()};
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i) {
        const uint16_t disk = g_Catalogue.Files[i].DiskNumber;
        if (IsCopiedEntry(i) && std::find(disks.begin(), disks.end(), disk) == disks.end())
            disks.push_back(disk);
    }
    std::sort(disks.begin(), disks.end());
    return disks;
}

std::string DiskName(uint16_t number) {
    for (uint16_t i = 0; i < g_Catalogue.DiskCount; ++i)
        if (g_Catalogue.Disks[i].Number == number) return g_Catalogue.Disks[i].Name;
    return {};
}

uint16_t StartDisk() {
    uint16_t start = 0;
    for (uint16_t i = 0; i < g_Catalogue.FileCount && start == 0; ++i)
        if (IsCopiedEntry(i)) start = g_Catalogue.Files[i].DiskNumber;
    if (start == 0) return g_Catalogue.DiskCount != 0 ? FirstListedDisk() : 1;
    return std::min(start, FirstListedDisk());
}

void CheckDiskOrder(const std::vector<uint32_t>& fileLines, std::vector<Warning>& warnings) {
    uint16_t locationDisk = StartDisk();
    uint32_t locationLine = 0; // the last entry read from the current location
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i) {
        if (!IsCopiedEntry(i)) continue;
        const FileEntry& file = g_Catalogue.Files[i];
        if (file.DiskNumber == locationDisk) {
            locationLine = fileLines[i];
            continue;
        }
        if (file.Compressed) {
            locationDisk = file.DiskNumber;
            locationLine = fileLines[i];
            continue;
        }
        char text[320];
        std::snprintf(text, sizeof text,
                      "plain entry of disk %u follows line %u of disk %u, and no compressed entry "
                      "of disk %u comes first: it will be looked for in the previous location and "
                      "reported missing",
                      file.DiskNumber, locationLine, locationDisk, file.DiskNumber);
        warnings.push_back({fileLines[i], text});
    }
}

std::vector<std::string> ScriptPathParts(const char* path) {
    std::vector<std::string> parts(1);
    for (const char* c = path; *c != '\0'; c = NextChar(c)) {
        if (*c == '\\' || *c == '/')
            parts.emplace_back();
        else
            parts.back().append(c, static_cast<size_t>(NextChar(c) - c));
    }
    parts.erase(std::remove(parts.begin(), parts.end(), std::string()), parts.end());
    return parts;
}

bool HostSourcePath(const char* dirName, const char* name, std::string& path) {
    path.clear();
    for (const char* text : {dirName, name}) {
        for (const std::string& part : ScriptPathParts(text)) {
            std::string host;
            if (!HostName(part, host)) return false;
            path += (path.empty() ? "" : "/") + host;
        }
    }
    return true;
}

std::string FindHostPath(const std::string& dir, const std::string& path) {
    std::string found = dir;
    for (const std::string& part : PathParts(path)) {
        found = FindIgnoringCase(found, part.c_str());
        if (found.empty()) return {};
    }
    return found;
}
