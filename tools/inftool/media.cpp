#include "media.h"

#include "catalogue.h"
#include "common/media_layout.h"
#include "inf_query.h"
#include "szdd.h"

#include <cstdio>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string MatchEntry(const std::string& dir, const std::string& name) {
    DIR* folder = opendir(dir.empty() ? "." : dir.c_str());
    if (folder == nullptr) return {};
    std::string found;
    while (dirent* entry = readdir(folder)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(folder);
    return found;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// True when the file starts with the compressed format's signature.
bool LooksCompressed(const std::string& path) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) return false;
    uint8_t header[kSzddHeaderSize];
    size_t count = std::fread(header, 1, sizeof header, stream);
    std::fclose(stream);
    SzddHeader parsed{};
    return SzddReadHeader(header, count, parsed) == SzddStatus::Ok;
}

std::string Join(const std::string& dir, const char* relative) {
    std::string path = dir;
    if (!path.empty() && !IsSeparator(path.back())) path += '/';
    for (const char* c = relative; *c != '\0'; ++c)
        path += IsSeparator(*c) ? '/' : *c;
    return path;
}

} // namespace

std::string FindIgnoringCase(const std::string& dir, const char* relative) {
    std::string path = dir;
    const char* start = relative;
    while (*start != '\0') {
        const char* end = start;
        while (*end != '\0' && !IsSeparator(*end))
            ++end;
        std::string component(start, end);
        if (!component.empty()) {
            std::string match = MatchEntry(path, component);
            if (match.empty()) return {};
            if (!path.empty() && !IsSeparator(path.back())) path += '/';
            path += match;
        }
        start = *end != '\0' ? end + 1 : end;
    }
    return path;
}

std::vector<MediaWarning> CheckMedia(const char* mediaDir, const std::vector<uint32_t>& fileLines) {
    std::vector<MediaWarning> warnings;
    const std::string media = mediaDir;
    const std::string followOn = FindIgnoringCase(media, kFollowOnSetup);
    if (followOn.empty() || !IsRegularFile(followOn)) {
        warnings.push_back({0, Join(media, kFollowOnSetup) +
                                   " is missing: the installer would end without a word"});
    }
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i) {
        const FileEntry& file = g_Catalogue.Files[i];
        if (!IsDestinationDir(file.DirNumber)) continue;
        char dirName[kDirNameWidth];
        InfQuery(GetFileDir, i, dirName);
        const std::string relative = std::string(dirName) + "\\" + file.SourceName;
        const std::string source = FindIgnoringCase(media, relative.c_str());
        const uint32_t line = fileLines[i];
        if (source.empty() || !IsRegularFile(source)) {
            warnings.push_back({line, "source " + Join(media, relative.c_str()) + " is missing"});
            continue;
        }
        const bool compressed = LooksCompressed(source);
        if (file.Compressed && !compressed) {
            warnings.push_back(
                {line, "source " + source +
                           " is marked compressed but is not in the compressed format: it is "
                           "installed as it stands"});
        } else if (!file.Compressed && compressed) {
            warnings.push_back({line, "source " + source +
                                          " is in the compressed format but not marked "
                                          "compressed: it would be installed still compressed"});
        }
    }
    return warnings;
}
