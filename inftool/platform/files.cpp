#include "platform/files.h"

#include "platform/replace.h"
#include "common/dbcs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

bool ReadStream(std::FILE* file, std::vector<uint8_t>& data, std::string& why, size_t limit) {
    data.clear();
    uint8_t chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        data.insert(data.end(), chunk, chunk + got);
        if (data.size() > limit) break;
    }
    const bool failed = std::ferror(file) != 0;
    if (failed) why = errno != 0 ? std::strerror(errno) : "read error";
    return !failed;
}

} // namespace

bool ReadWholeFile(const char* path, std::vector<uint8_t>& data, std::string& why, size_t limit) {
    data.clear();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        why = std::strerror(errno);
        return false;
    }
    const bool read = ReadStream(file, data, why, limit);
    std::fclose(file);
    return read;
}

bool IsStandardStream(const char* path) {
    return std::strcmp(path, "-") == 0;
}

bool ReadInputFile(const char* path, std::vector<uint8_t>& data, std::string& why, size_t limit) {
    if (!IsStandardStream(path)) return ReadWholeFile(path, data, why, limit);
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    return ReadStream(stdin, data, why, limit);
}

bool ResolveOutputFile(const char* path, OutPath& out, std::string& why) {
    if (IsStandardStream(path)) {
        out = {path, {}, {}, false};
        return true;
    }
    return ResolvePath(path, out, why);
}

bool TakesAFile(const OutPath& out, std::string& why) {
    if (IsStandardStream(out.shown.c_str())) return true;
    const Found found = Look(out.at, out.name, false);
    if (out.folderOnly || found.folder) {
        why = std::strerror(EISDIR);
        return false;
    }
    if (found.exists && !found.file && !found.stream) {
        why = "neither a file nor a character device or FIFO";
        return false;
    }
    return true;
}

Placed WriteOutputFile(const OutPath& out, const std::vector<uint8_t>& data, std::string& why) {
    if (IsStandardStream(out.shown.c_str())) {
        SetBinaryStdout();
        if ((data.empty() || std::fwrite(data.data(), 1, data.size(), stdout) == data.size()) &&
            std::fflush(stdout) == 0)
            return Placed::kAll;
        why = std::strerror(errno);
        return Placed::kNothing;
    }
    if (Look(out.at, out.name, true).stream)
        return WriteStream(out.at, out.name, data, why) ? Placed::kAll : Placed::kNothing;
    if (!ClaimBeside(out.at, {out.name}, why)) {
        ReleaseStops();
        return Placed::kNothing;
    }
    const std::vector<StagedName> set = {
        {out.name, StageBeside(out.at, out.name, &data, why), Look(out.at, out.name, false).file}};
    if (set[0].staged.empty()) {
        ReleaseStops();
        return Placed::kNothing;
    }
    const Placed placed = PlaceSet(out.at, set, why);
    ReleaseStops();
    return placed;
}

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

} // namespace

bool ModifiedTime(const char* path, int64_t& seconds, std::string& why) {
    struct stat status {};
    if (stat(path, &status) != 0) {
        why = std::strerror(errno);
        return false;
    }
    seconds = static_cast<int64_t>(status.st_mtime);
    return true;
}

void SetBinaryStdout() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

bool IsRegularFile(const std::string& path, uint64_t* size) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (size != nullptr) *size = static_cast<uint64_t>(info.st_size);
    return true;
}

std::vector<std::string> PathParts(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinPath(const std::string& dir, const char* relative) {
    std::string path = dir;
    if (!path.empty() && !IsSeparator(path.back())) path += '/';
    for (const char* c = relative; *c != '\0'; ++c)
        path += IsSeparator(*c) ? '/' : *c;
    return path;
}

std::string Renamed(std::string text, const std::string& path, const std::string& shown) {
    if (path.empty()) return text;
    for (size_t at = text.find(path); at != std::string::npos;
         at = text.find(path, at + shown.size()))
        text.replace(at, path.size(), shown);
    return text;
}

std::string FindIgnoringCase(const std::string& dir, const char* relative) {
    std::string path = dir;
    const char* start = relative;
    while (*start != '\0') {
        const char* end = start;
        while (*end != '\0' && !IsSeparator(*end))
            end = NextChar(end); // a trail byte 0x5C is no separator
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
