#include "commands/commands.h"
#include "commands/transform.h"
#include "formats/szdd.h"

#include <cstring>

namespace {

const char* Compress(const char* inPath, const std::vector<uint8_t>& in,
                     std::vector<uint8_t>& out) {
    static_assert(kSzddMaxExpanded == 256u * 1024u * 1024u, "the message names the limit");
    const char lastNameChar = std::strcmp(inPath, "-") == 0 ? '\0' : SzddLastNameChar(inPath);
    if (SzddCompress(in.data(), in.size(), lastNameChar, out)) return nullptr;
    return "larger than 268435456 bytes, too large to compress";
}

int RunCompress(const Arguments& args) {
    return RunTransform(kCompressCommand, args, Compress);
}

constexpr char kCompressSummary[] = "writes a file in the LZ32 (SZDD) format, as build does";
constexpr char kCompressDetails[] =
    "IN, OUT: the file and the compressed file; - is standard input or output\n"
    "The header keeps the last character of IN's name (none from standard input).\n";

} // namespace

const Command kCompressCommand = {"compress",       "IN OUT", 2, 2,          kCompressSummary,
                                  kCompressDetails, nullptr,  0, RunCompress};
