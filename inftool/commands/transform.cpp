#include "commands/transform.h"

#include "commands/commands.h"
#include "formats/szdd.h"
#include "platform/files.h"

#include <cstdio>
#include <string>

namespace {

// Anything beyond the format's limit is refused anyway.
constexpr size_t kReadLimit =
    size_t{kSzddMaxExpanded} + kSzddHeaderSize + kSzddMaxExpanded / 8 + 16;

} // namespace

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
