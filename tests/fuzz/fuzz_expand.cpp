// Arbitrary bytes as an SZDD file, then the same bytes through compress and expand.
#include "szdd.h"

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

    std::vector<uint8_t> packed;
    if (!SzddCompress(data, size, 'X', packed)) std::abort();
    std::vector<uint8_t> back;
    if (SzddExpand(packed.data(), packed.size(), back, &header) != SzddStatus::Ok) std::abort();
    if (back.size() != size || header.lastNameChar != 'X') std::abort();
    for (size_t i = 0; i < size; ++i) {
        if (back[i] != data[i]) std::abort();
    }
    return 0;
}
