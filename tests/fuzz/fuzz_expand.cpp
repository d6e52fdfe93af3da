// Arbitrary bytes as an SZDD file: the expander keeps to what the header and the stream allow.
#include "formats/szdd.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    SzddHeader header = {};
    const SzddStatus status = SzddExpand(data, size, out, &header);
    const size_t stream = size > kSzddHeaderSize ? size - kSzddHeaderSize : 0;
    if (out.size() > SzddMaxExpansion(stream)) std::abort();
    if (status == SzddStatus::Ok && out.size() != header.expandedLength) std::abort();
    if (status != SzddStatus::Ok && status != SzddStatus::Truncated &&
        status != SzddStatus::CutMatch && status != SzddStatus::ExtraData && !out.empty())
        std::abort();
    if (out.size() > header.expandedLength) std::abort();
    return 0;
}
