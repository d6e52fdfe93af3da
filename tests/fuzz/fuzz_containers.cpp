// Arbitrary bytes as a disk's container: a floppy container's through libdsk (from a file, as
// import gives it one), any other through libarchive (from memory). Each adapter refuses
// them with a reason and nothing read, or gives what holds together: sectors the FAT reader
// takes, members of plain relative names within their limits.
#include "formats/archive_reader.h"
#include "formats/container_kind.h"
#include "formats/dsk_image.h"
#include "formats/fat_reader.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string g_folder; // libdsk's copy and temporary files

bool IsPlainRelative(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.back() == '/') return false;
    size_t start = 0;
    for (size_t end = 0; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/') continue;
        const std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == ".." || part.find('\\') != std::string::npos)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/fuzz_containers-XXXXXX";
    if (mkdtemp(folder) == nullptr) std::abort();
    g_folder = folder;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string why;
    if (ContainerKindOf(data, size).container == ContainerClass::kFloppy) {
        const std::string copy = g_folder + "/image";
        FILE* file = std::fopen(copy.c_str(), "wb");
        if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
            std::abort();
        std::vector<uint8_t> sectors;
        const bool read = ReadDskImage(copy, g_folder, sectors, why);
        unlink(copy.c_str());
        if (read ? sectors.empty() || sectors.size() > kMaxFatImageBytes
                 : why.empty() || !sectors.empty())
            std::abort();
        return 0;
    }
    std::vector<ArchiveMember> members;
    if (!ReadArchiveBytes(data, size, members, why)) {
        if (why.empty() || !members.empty()) std::abort();
        return 0;
    }
    uint64_t total = 0;
    for (const ArchiveMember& member : members) {
        total += member.bytes.size();
        if (!IsPlainRelative(member.path) || member.bytes.size() > kMaxMemberBytes ||
            (member.folder && !member.bytes.empty()))
            std::abort();
    }
    if (total > kMaxArchiveBytes) std::abort();
    return 0;
}
