#include "media/containers.h"

#include "formats/container_kind.h"
#include "formats/fat_names.h"
#include "formats/fat_reader.h"
#include "platform/files.h"
#include "platform/replace.h"

#include "common/media_layout.h"

#if INFTOOL_CONTAINERS
#include "formats/archive_reader.h"
#include "formats/dsk_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#endif

namespace fs = std::filesystem;

namespace {

#if INFTOOL_CONTAINERS

bool MakeScratch(Scratch& scratch, std::string& why) {
    if (!scratch.folder.empty()) return true;
    if (scratch.beside != nullptr) {
        scratch.staged = StageBeside(scratch.beside->at, scratch.beside->name, nullptr, why);
        if (scratch.staged.empty()) return false;
        scratch.folder = PathIn(scratch.beside->at, scratch.staged);
        return true;
    }
    const char* system = std::getenv("TMPDIR");
    std::string name =
        std::string(system != nullptr && system[0] == '/' ? system : "/tmp") + "/inftool-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) {
        why = "cannot make a temporary folder in " + name.substr(0, name.rfind('/'));
        return false;
    }
    scratch.folder = name;
    return true;
}

// Through a read-only copy of the bytes under a name of our own: libdsk never sees the name
// the user gave, nor the file itself.
bool ReadFloppy(const std::vector<uint8_t>& bytes, Scratch& scratch, SourceDisk& disk,
                std::string& why) {
    if (!MakeScratch(scratch, why)) return false;
    const fs::path copy = fs::absolute(scratch.folder) / "image";
    const int fd = open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
    size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const int failure = fd < 0 || done < bytes.size() ? errno : 0;
    if (fd >= 0) close(fd);
    if (failure != 0 || done < bytes.size()) {
        why = std::string("cannot copy it for libdsk: ") + std::strerror(failure ? failure : EIO);
        return false;
    }
    std::vector<uint8_t> sectors;
    const bool read =
        ReadDskImage(copy.string(), fs::absolute(scratch.folder).string(), sectors, why);
    std::error_code error;
    fs::remove(copy, error);
    return read && ReadFatDisk(sectors, disk, why);
}

// A disk image held in memory, whole or from an archive.
bool ReadImageBytes(const std::vector<uint8_t>& bytes, bool inArchive, Scratch& scratch,
                    SourceDisk& disk, std::string& why) {
    const ContainerKind kind = ContainerKindOf(bytes.data(), bytes.size());
    bool read = false;
    switch (kind.container) {
    case ContainerClass::kRaw: return ReadFatDisk(bytes, disk, why);
    case ContainerClass::kFloppy: read = ReadFloppy(bytes, scratch, disk, why); break;
    case ContainerClass::kArchive:
        why = inArchive ? "an archive inside an archive: unpack the outer one first"
                        : "an archive where an image was looked for";
        break;
    }
    if (!read) why = std::string(kind.name) + ": " + why;
    return read;
}

// Whether bytes stand for a disk of their own: a FAT boot sector, a floppy container, or an
// archive, which is then refused.
bool StandsForDisk(const std::vector<uint8_t>& bytes) {
    FatGeometry geometry{};
    std::string why;
    return ContainerKindOf(bytes.data(), bytes.size()).container != ContainerClass::kRaw ||
           ReadFatGeometry(bytes.data(), bytes.size(), geometry, why);
}

std::string FirstPart(const std::string& path) {
    return path.substr(0, path.find('/'));
}

// The members below the folder the archive holds alone, their paths made relative to it;
// prefix is that folder's path, with a trailing "/", or "".
std::vector<ArchiveMember> BelowSoleFolder(std::vector<ArchiveMember> members,
                                           std::string& prefix) {
    prefix.clear();
    for (;;) {
        std::set<std::string> tops;
        bool fileAtRoot = false;
        for (const ArchiveMember& member : members) {
            tops.insert(FirstPart(member.path));
            fileAtRoot =
                fileAtRoot || (!member.folder && member.path.find('/') == std::string::npos);
        }
        if (tops.size() != 1 || fileAtRoot) return members;
        const std::string top = *tops.begin();
        std::vector<ArchiveMember> below;
        for (ArchiveMember& member : members)
            if (member.path != top) {
                member.path.erase(0, top.size() + 1);
                below.push_back(std::move(member));
            }
        prefix += top + "/";
        members = std::move(below);
    }
}

bool AddFiles(const std::vector<ArchiveMember>& members, const std::string& below, SourceDisk& disk,
              std::string& why) {
    for (const ArchiveMember& member : members) {
        if (member.folder || (!below.empty() && member.path.compare(0, below.size(), below) != 0))
            continue;
        if (!AddSourceFile(disk, {member.path.substr(below.size()), member.bytes, member.modified},
                           why))
            return false;
    }
    return true;
}

bool IsScriptAt(const ArchiveMember& member, const std::string& folder) {
    return !member.folder && FoldedName(member.path) == FoldedName(folder + kScriptName);
}

bool LayOut(const std::string& name, const std::vector<ArchiveMember>& all, Scratch& scratch,
            std::vector<SourceDisk>& disks, std::string& why) {
    std::string prefix;
    const std::vector<ArchiveMember> members = BelowSoleFolder(all, prefix);
    bool scriptAtRoot = false, scriptInFolder = false, allImages = true, anyFile = false;
    std::set<std::string> folders;
    for (const ArchiveMember& member : members) {
        const bool atRoot = member.path.find('/') == std::string::npos;
        if (!atRoot || member.folder) folders.insert(FirstPart(member.path));
        if (atRoot && !member.folder) {
            anyFile = true;
            allImages = allImages && StandsForDisk(member.bytes);
        }
        scriptAtRoot = scriptAtRoot || IsScriptAt(member, "");
        scriptInFolder = scriptInFolder || IsScriptAt(member, FirstPart(member.path) + "/");
    }
    if (scriptAtRoot || !(scriptInFolder || (anyFile && allImages))) {
        disks.push_back(SourceDisk{name, {}, {}, false, {}, {}});
        disks.back().wholeSet = scriptAtRoot;
        return AddFiles(members, "", disks.back(), why);
    }
    for (const std::string& folder : folders) {
        disks.push_back(SourceDisk{name + "/" + prefix + folder, {}, {}, false, {}, {}});
        if (!AddFiles(members, folder + "/", disks.back(), why)) {
            why = prefix + folder + ": " + why;
            return false;
        }
    }
    for (const ArchiveMember& member : members) {
        if (member.folder || member.path.find('/') != std::string::npos) continue;
        disks.push_back(SourceDisk{name + "/" + prefix + member.path, {}, {}, false, {}, {}});
        if (!ReadImageBytes(member.bytes, true, scratch, disks.back(), why)) {
            why = prefix + member.path + ": " + why;
            return false;
        }
    }
    return true;
}

bool ReadArchiveDisks(const std::string& name, const ContainerKind& kind, Scratch& scratch,
                      std::vector<SourceDisk>& disks, std::string& why) {
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = std::string("cannot read: ") + std::strerror(errno);
        return false;
    }
    std::vector<ArchiveMember> members;
    const bool read = ReadArchiveFile(fd, members, why);
    close(fd);
    if (!read) {
        why = std::string(kind.name) + ": " + why;
        return false;
    }
    return LayOut(name, members, scratch, disks, why);
}

#endif

} // namespace

void DropScratch(Scratch& scratch) {
    std::error_code error;
    if (!scratch.staged.empty())
        DiscardStaged(scratch.beside->at, {{scratch.beside->name, scratch.staged, false}});
    else if (!scratch.folder.empty())
        fs::remove_all(scratch.folder, error);
    scratch.folder.clear();
    scratch.staged.clear();
}

bool ReadDisksOf(const std::string& name, Scratch& scratch, std::vector<SourceDisk>& disks,
                 std::string& why) {
    std::error_code error;
    std::vector<uint8_t> head;
    std::string headWhy;
    ContainerKind kind{ContainerClass::kRaw, nullptr};
    if (!fs::is_directory(name, error) &&
        ReadWholeFile(name.c_str(), head, headWhy, kContainerSniffBytes))
        kind = ContainerKindOf(head.data(), head.size());
    if (kind.container == ContainerClass::kRaw) {
        disks.emplace_back();
        return ReadSourceDisk(name, disks.back(), why);
    }
#if INFTOOL_CONTAINERS
    if (kind.container == ContainerClass::kArchive)
        return ReadArchiveDisks(name, kind, scratch, disks, why);
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(name.c_str(), bytes, why, kMaxFatImageBytes)) {
        why = "cannot read: " + why;
        return false;
    }
    disks.push_back(SourceDisk{name, {}, {}, false, {}, {}});
    return ReadImageBytes(bytes, false, scratch, disks.back(), why);
#else
    (void)scratch;
    why = std::string(kind.name) + ": this build reads raw images and folders; IMD, TD0, CQM, "
                                   "archives and ISO need the Linux build";
    return false;
#endif
}
