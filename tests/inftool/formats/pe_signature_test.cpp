#include "formats/pe_signature.h"

#include "tiny_pe.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PeSignature, ReadFromTheSecurityDirectoryOnly) {
    struct Row {
        const char* name;
        std::string bytes;
        PeSignature expected;
    };
    const std::string pe = TinyPe(false, 0x400, 0x600);
    auto changed = [&pe](size_t at, char byte) {
        std::string bytes = pe;
        bytes[at] = byte;
        return bytes;
    };
    const Row rows[] = {
        {"PE32", pe, PeSignature::Signed},
        {"no size", TinyPe(false, 0x400, 0), PeSignature::Unsigned},
        {"no offset", TinyPe(true, 0, 0x600), PeSignature::Unsigned},
        {"four directories", changed(0x40 + 24 + 92, 4), PeSignature::Unsigned},
        {"optional header too short for it", changed(0x40 + 20, 0x70), PeSignature::NotPe},
        {"cut within the entry", pe.substr(0, 0x40 + 24 + 96 + 5 * 8 - 1), PeSignature::NotPe},
        {"unknown magic", changed(0x40 + 24, 0x0C), PeSignature::NotPe},
        {"no PE signature", changed(0x40, 'N'), PeSignature::NotPe},
        {"header pointer past the end", changed(0x3D, 0x10), PeSignature::NotPe},
        {"no MZ", changed(0, 'Z'), PeSignature::NotPe},
        {"empty", "", PeSignature::NotPe},
    };
    for (const Row& row : rows) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(row.bytes.data());
        EXPECT_EQ(ReadPeSignature(bytes, row.bytes.size()), row.expected) << row.name;
    }
}

} // namespace
