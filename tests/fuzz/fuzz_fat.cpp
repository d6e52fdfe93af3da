// Arbitrary bytes as a disk image: the reader refuses them or reads a disk that holds
// together, and never reads outside the image.
#include "formats/fat_names.h"
#include "formats/fat_reader.h"

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

// The seeds are build's images, and a FAT16 volume, without their trailing zeros
// (tests/fuzz/make-fat-seeds.sh); an input as short, and of even length, comes back to the
// length its boot sector declares, so that mutations land in the sectors that matter. One of
// odd length stays as it is, so that images shorter than they declare are tried too.
constexpr uint64_t kMaxRestored = 3u * 1024u * 1024u;

bool HoldsTogether(const FatDisk& disk) {
    const FatGeometry& g = disk.geometry;
    const uint64_t clusterBytes = uint64_t{g.sectorsPerCluster} * g.bytesPerSector;
    uint64_t clusters = 0;
    std::set<std::string> paths, folders = {""};
    for (const FatFile& file : disk.files) {
        const size_t slash = file.path.rfind('/');
        const std::string parent = slash == std::string::npos ? "" : file.path.substr(0, slash);
        const std::string name = file.path.substr(slash + 1);
        if (folders.count(FoldedName(parent)) == 0 || !IsFatName(name) ||
            name.find_first_not_of('.') == std::string::npos ||
            !paths.insert(FoldedName(file.path)).second)
            return false;
        if (file.folder) folders.insert(FoldedName(file.path));
        if (file.folder && !file.bytes.empty()) return false;
        clusters += (file.bytes.size() + clusterBytes - 1) / clusterBytes;
    }
    return clusters <= g.clusters;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    FatGeometry geometry{};
    std::string why;
    if (ReadFatGeometry(data, size, geometry, why)) {
        const uint64_t declared = uint64_t{geometry.sectors} * geometry.bytesPerSector;
        if (size % 2 == 0 && declared > size && declared <= kMaxRestored) image.resize(declared, 0);
    }
    FatDisk disk;
    why.clear();
    if (!ReadFatImage(image.data(), image.size(), disk, why)) {
        if (why.empty() || !disk.files.empty()) std::abort();
        return 0;
    }
    if (!HoldsTogether(disk)) std::abort();
    return 0;
}
