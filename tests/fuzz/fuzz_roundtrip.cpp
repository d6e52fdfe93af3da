// Arbitrary bytes through compress and expand: the expander gives back exactly those bytes.
#include "formats/szdd.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> packed;
    if (!SzddCompress(data, size, 'X', packed)) std::abort();
    std::vector<uint8_t> back;
    SzddHeader header = {};
    if (SzddExpand(packed.data(), packed.size(), back, &header) != SzddStatus::Ok) std::abort();
    if (back.size() != size || header.lastNameChar != 'X') std::abort();
    if (size > 0 && std::memcmp(back.data(), data, size) != 0) std::abort();
    return 0;
}
