#include "files.h"

#include "commands.h"
#include "inf_query.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

bool ReadWholeFile(const char* path, std::vector<uint8_t>& data, std::string& why, size_t limit) {
    data.clear();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        why = std::strerror(errno);
        return false;
    }
    uint8_t chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        data.insert(data.end(), chunk, chunk + got);
        if (data.size() > limit) break;
    }
    const bool failed = std::ferror(file) != 0;
    if (failed) why = errno != 0 ? std::strerror(errno) : "read error";
    std::fclose(file);
    return !failed;
}

namespace {

constexpr int kMaxTempTries = 100;

bool Exists(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

bool MoveIntoPlace(const char* from, const char* to) {
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from, to) == 0;
#endif
}

} // namespace

bool WriteWholeFile(const char* path, const std::vector<uint8_t>& data, std::string& why) {
    std::string temp;
    for (int attempt = 0; attempt < kMaxTempTries; ++attempt) {
        temp = std::string(path) + ".~inftool" + std::to_string(attempt);
        if (!Exists(temp.c_str())) break;
        temp.clear();
    }
    if (temp.empty()) {
        why = "no free temporary name beside it";
        return false;
    }
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr) {
        why = std::strerror(errno);
        return false;
    }
    bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), file) == data.size();
    ok = std::fflush(file) == 0 && ok;
    if (!ok) why = std::strerror(errno);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
    }
    if (ok && !MoveIntoPlace(temp.c_str(), path)) {
        ok = false;
        why = std::strerror(errno);
    }
    if (!ok) std::remove(temp.c_str());
    return ok;
}

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

int LoadScriptOrReport(const char* path) {
    // LoadScript takes a writable buffer; the path is copied so argv stays untouched.
    std::string writable(path);
    const int32_t result = InfQuery(LoadScript, 0, writable.data());
    if (result == LoadNoMemory) {
        std::fprintf(stderr, "inftool: no memory to read %s\n", path);
        return kExitNoMemory;
    }
    if (result != LoadOk) {
        std::fprintf(stderr, "inftool: cannot open %s\n", path);
        return kExitNotRead;
    }
    return kExitOk;
}
