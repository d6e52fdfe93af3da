#include "formats/container_kind.h"

#include <cstring>

namespace {

struct Signature {
    size_t offset;
    const char* bytes;
    size_t length;
    ContainerKind kind;
};

constexpr ContainerClass kFloppy = ContainerClass::kFloppy;
constexpr ContainerClass kArchive = ContainerClass::kArchive;

constexpr Signature kSignatures[] = {
    {0, "IMD ", 4, {kFloppy, "an ImageDisk image"}},
    {0, "TD\0", 3, {kFloppy, "a TeleDisk image"}},
    {0, "td\0", 3, {kFloppy, "a TeleDisk image (advanced compression)"}},
    {0, "CQ\x14", 3, {kFloppy, "a CopyQM image"}},
    {0, "PK\3\4", 4, {kArchive, "a zip archive"}},
    {0, "PK\5\6", 4, {kArchive, "a zip archive"}},
    {0, "\x1F\x8B", 2, {kArchive, "a gzip file"}},
    {0, "7z\xBC\xAF\x27\x1C", 6, {kArchive, "a 7-Zip archive"}},
    {0,
     "\xFD"
     "7zXZ",
     5,
     {kArchive, "an xz file"}},
    {0, "BZh", 3, {kArchive, "a bzip2 file"}},
    {257, "ustar", 5, {kArchive, "a tar archive"}},
    {16 * 2048 + 1, "CD001", 5, {kArchive, "a CD image (ISO 9660)"}},
};

} // namespace

ContainerKind ContainerKindOf(const uint8_t* data, size_t size) {
    for (const Signature& signature : kSignatures)
        if (size >= signature.offset + signature.length &&
            std::memcmp(data + signature.offset, signature.bytes, signature.length) == 0)
            return signature.kind;
    return {ContainerClass::kRaw, nullptr};
}
