#include "commands/commands.h"
#include "commands/transform.h"
#include "formats/szdd.h"

namespace {

const char* Compress(const char* inPath, const std::vector<uint8_t>& in,
                     std::vector<uint8_t>& out) {
    static_assert(kSzddMaxExpanded == 256u * 1024u * 1024u, "the message names the limit");
    if (SzddCompress(in.data(), in.size(), SzddLastNameChar(inPath), out)) return nullptr;
    return "larger than 268435456 bytes, too large to compress";
}

} // namespace

int RunCompress(int argc, char** argv) {
    return RunTransform("compress", argc, argv, Compress);
}
