#include "commands.h"
#include "files.h"
#include "szdd.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Anything beyond the format's limit is refused anyway.
constexpr size_t kReadLimit =
    size_t{kSzddMaxExpanded} + kSzddHeaderSize + kSzddMaxExpanded / 8 + 16;

// Makes out from the input's bytes; nullptr, or why nothing could be made.
using Transform = const char* (*)(const char* inPath, const std::vector<uint8_t>& in,
                                  std::vector<uint8_t>& out);

const char* Compress(const char* inPath, const std::vector<uint8_t>& in,
                     std::vector<uint8_t>& out) {
    static_assert(kSzddMaxExpanded == 256u * 1024u * 1024u, "the message names the limit");
    if (SzddCompress(in.data(), in.size(), SzddLastNameChar(inPath), out)) return nullptr;
    return "larger than 268435456 bytes, too large to compress";
}

const char* Expand(const char*, const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
    const SzddStatus status = SzddExpand(in.data(), in.size(), out);
    return status == SzddStatus::Ok ? nullptr : SzddStatusText(status);
}

// IN to OUT through transform; OUT is written whole or not at all.
int RunTransform(const char* command, int argc, char** argv, Transform transform) {
    if (argc != 2) return UsageError(command);
    const char* inPath = argv[0];
    const char* outPath = argv[1];
    std::vector<uint8_t> data;
    std::string why;
    if (!ReadWholeFile(inPath, data, why, kReadLimit)) {
        std::fprintf(stderr, "inftool %s: %s: cannot read: %s\n", command, inPath, why.c_str());
        return kExitNotRead;
    }
    std::vector<uint8_t> result;
    if (const char* fault = transform(inPath, data, result)) {
        std::fprintf(stderr, "inftool %s: %s: %s\n", command, inPath, fault);
        return kExitBadData;
    }
    if (!WriteWholeFile(outPath, result, why)) {
        std::fprintf(stderr, "inftool %s: %s: cannot write: %s\n", command, outPath, why.c_str());
        return kExitNotRead;
    }
    return kExitOk;
}

} // namespace

int RunCompress(int argc, char** argv) {
    return RunTransform("compress", argc, argv, Compress);
}

int RunExpand(int argc, char** argv) {
    return RunTransform("expand", argc, argv, Expand);
}
