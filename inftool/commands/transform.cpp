#include "commands/transform.h"

#include "commands/written.h"

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

// Why outPath cannot be written as the output; "" when it can.
std::string Refusal(const char* inPath, const char* outPath, const char* command, OutPath& out) {
    std::string why;
    if (!ResolveOutputFile(outPath, out, why)) return std::string(outPath) + ": " + why;
    if (!IsStandardStream(outPath) && !IsStandardStream(inPath) &&
        !OutputSparesInputs(out, {{inPath, false}}, command, why))
        return why;
    if (!TakesAFile(out, why)) return std::string(outPath) + ": " + why;
    return {};
}

} // namespace

int RunTransform(const Command& command, const Arguments& args, Transform transform) {
    const char* inPath = args.operands[0];
    const char* outPath = args.operands[1];
    std::vector<uint8_t> data;
    std::string why;
    OutPath out;
    why = Refusal(inPath, outPath, command.name, out);
    if (!why.empty()) {
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
    const Placed placed = WriteOutputFile(out, result, why);
    return WrittenStatus(
        command.name, placed,
        placed == Placed::kNothing
            ? (IsStandardStream(outPath) ? std::string("standard output") : std::string(outPath)) +
                  ": cannot write: " + why
            : why,
        "");
}
