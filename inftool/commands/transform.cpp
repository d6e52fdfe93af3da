#include "commands/transform.h"

#include "cli/exit_codes.h"
#include "formats/szdd.h"
#include "platform/files.h"
#include "platform/identity.h"

#include <cstdio>
#include <string>

namespace {

// Anything beyond the format's limit is refused anyway.
constexpr size_t kReadLimit =
    size_t{kSzddMaxExpanded} + kSzddHeaderSize + kSzddMaxExpanded / 8 + 16;

} // namespace

int RunTransform(const Command& command, const Arguments& args, Transform transform) {
    const char* inPath = args.operands[0];
    const char* outPath = args.operands[1];
    std::vector<uint8_t> data;
    std::string why;
    if (!IsStandardStream(outPath) && !IsStandardStream(inPath) &&
        !OutputSparesInputs(outPath, {{inPath, false}}, command.name, why)) {
        std::fprintf(stderr, "inftool %s: %s\n", command.name, why.c_str());
        return kExitRefused;
    }
    if (!ReadInputFile(inPath, data, why, kReadLimit)) {
        std::fprintf(stderr, "inftool %s: %s: cannot read: %s\n", command.name, inPath,
                     why.c_str());
        return kExitRefused;
    }
    std::vector<uint8_t> result;
    if (const char* fault = transform(inPath, data, result)) {
        std::fprintf(stderr, "inftool %s: %s: %s\n", command.name, inPath, fault);
        return kExitRefused;
    }
    if (!WriteOutputFile(outPath, result, why)) {
        std::fprintf(stderr, "inftool %s: %s: cannot write: %s\n", command.name, outPath,
                     why.c_str());
        return kExitWrite;
    }
    return kExitOk;
}
