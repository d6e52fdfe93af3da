#include "commands.h"
#include "szdd.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

enum : int {
    kExitOk = 0,
    kExitBadData = 1, // damaged compressed file, or an input too large for the format
    kExitIo = 2,      // input unreadable or output not writable
};

constexpr int kMaxTempTries = 100;

bool ReadWholeFile(const char* path, std::vector<uint8_t>& data, std::string& why) {
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
        // Anything beyond the format's limit is refused anyway; stop reading early.
        if (data.size() > size_t{kSzddMaxExpanded} + kSzddHeaderSize + kSzddMaxExpanded / 8 + 16)
            break;
    }
    const bool failed = std::ferror(file) != 0;
    if (failed) why = errno != 0 ? std::strerror(errno) : "read error";
    std::fclose(file);
    return !failed;
}

bool Exists(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

bool ReplaceFile(const char* from, const char* to) {
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from, to) == 0;
#endif
}

// Writes through a temporary file beside `path`, so that `path` is either the complete new
// content or left exactly as it was.
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
    if (ok && !ReplaceFile(temp.c_str(), path)) {
        ok = false;
        why = std::strerror(errno);
    }
    if (!ok) std::remove(temp.c_str());
    return ok;
}

int Usage(const char* command) {
    std::fprintf(stderr, "usage: inftool %s IN OUT\n", command);
    return kExitUsage;
}

} // namespace

int RunCompress(int argc, char** argv) {
    if (argc != 2) return Usage("compress");
    const char* inPath = argv[0];
    const char* outPath = argv[1];
    std::vector<uint8_t> data;
    std::string why;
    if (!ReadWholeFile(inPath, data, why)) {
        std::fprintf(stderr, "inftool compress: %s: cannot read: %s\n", inPath, why.c_str());
        return kExitIo;
    }
    std::vector<uint8_t> packed;
    if (!SzddCompress(data.data(), data.size(), SzddLastNameChar(inPath), packed)) {
        std::fprintf(stderr, "inftool compress: %s: larger than %u bytes, too large to compress\n",
                     inPath, kSzddMaxExpanded);
        return kExitBadData;
    }
    if (!WriteWholeFile(outPath, packed, why)) {
        std::fprintf(stderr, "inftool compress: %s: cannot write: %s\n", outPath, why.c_str());
        return kExitIo;
    }
    return kExitOk;
}

int RunExpand(int argc, char** argv) {
    if (argc != 2) return Usage("expand");
    const char* inPath = argv[0];
    const char* outPath = argv[1];
    std::vector<uint8_t> data;
    std::string why;
    if (!ReadWholeFile(inPath, data, why)) {
        std::fprintf(stderr, "inftool expand: %s: cannot read: %s\n", inPath, why.c_str());
        return kExitIo;
    }
    std::vector<uint8_t> plain;
    const SzddStatus status = SzddExpand(data.data(), data.size(), plain);
    if (status != SzddStatus::Ok) {
        std::fprintf(stderr, "inftool expand: %s: %s\n", inPath, SzddStatusText(status));
        return kExitBadData;
    }
    if (!WriteWholeFile(outPath, plain, why)) {
        std::fprintf(stderr, "inftool expand: %s: cannot write: %s\n", outPath, why.c_str());
        return kExitIo;
    }
    return kExitOk;
}
