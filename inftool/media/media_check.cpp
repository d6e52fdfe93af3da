#include "media/media_check.h"

#include "formats/pe_signature.h"
#include "formats/szdd.h"
#include "media/containers.h"
#include "media/disks.h"
#include "platform/code_page.h"
#include "platform/files.h"

#include "catalogue.h"
#include "common/media_layout.h"
#include "inf_query.h"

#include <algorithm>
#include <filesystem>

namespace {

// A file of a disk as check finds it: its name in messages, and its bytes when the disk is an
// image held in memory.
struct Located {
    std::string shown; // empty when the disk has no such file
    const std::vector<uint8_t>* bytes = nullptr;
};

Located Locate(const MediaDisk& disk, const std::string& relative) {
    Located found;
    if (disk.image) {
        const size_t index = disk.contents.Find(relative);
        if (index == SourceDisk::kNone) return found;
        const SourceFile& file = disk.contents.files[index];
        found.shown = JoinPath(disk.path, file.path.c_str());
        found.bytes = &file.bytes;
        return found;
    }
    const std::string path = FindHostPath(disk.path, relative);
    if (!path.empty() && IsRegularFile(path)) found.shown = path;
    return found;
}

bool ReadLocated(const Located& file, std::vector<uint8_t>& bytes, std::string& why,
                 size_t limit = SIZE_MAX) {
    if (file.bytes == nullptr) return ReadWholeFile(file.shown.c_str(), bytes, why, limit);
    bytes.assign(file.bytes->begin(),
                 file.bytes->begin() + static_cast<long>(std::min(limit, file.bytes->size())));
    return true;
}

struct MediaCheck {
    const std::vector<MediaDisk>& disks;
    const ScriptReport& script;
    MediaReport report;
    uint64_t expandedBytes = 0;

    const MediaDisk& DiskOf(uint16_t number) const {
        if (disks.size() == 1) return disks[0];
        const std::vector<uint16_t> numbers = DisksInUse();
        return disks[static_cast<size_t>(std::find(numbers.begin(), numbers.end(), number) -
                                         numbers.begin())];
    }
    void Warn(uint32_t line, std::string text) {
        report.warnings.push_back({line, std::move(text)});
    }
    void Fail(uint32_t line, uint16_t disk, const std::string& file, const std::string& why) {
        report.errors.push_back({line, "disk " + std::to_string(disk) + ": " + file + ": " + why});
    }
};

// The same name on another disk with other contents: a source the installer could take from
// the wrong disk, since it changes disks only when a compressed source cannot be opened.
void CheckOtherDisks(MediaCheck& check, const MediaDisk& own, const Located& source,
                     const std::vector<uint8_t>& bytes, const std::string& relative,
                     uint32_t line) {
    for (const MediaDisk& disk : check.disks) {
        if (&disk == &own) continue;
        const Located other = Locate(disk, relative);
        std::vector<uint8_t> otherBytes;
        std::string why;
        if (other.shown.empty() || (ReadLocated(other, otherBytes, why) && otherBytes == bytes))
            continue;
        check.Warn(line, "source " + source.shown + " and " + other.shown +
                             " have one name and different contents: the disks cannot be told "
                             "apart");
        return;
    }
}

void CheckEntry(MediaCheck& check, uint16_t index) {
    const FileEntry& file = g_Catalogue.Files[index];
    const MediaDisk& disk = check.DiskOf(file.DiskNumber);
    char dirName[kDirNameWidth];
    InfQuery(GetFileDir, index, dirName);
    std::string relative;
    const uint32_t line = check.script.fileLines[index];
    if (!HostSourcePath(dirName, file.SourceName, relative)) {
        check.Warn(line, "source \"" + ShownName(file.SourceName) + "\" in \"" +
                             ShownName(dirName) + "\" is not text of code page " +
                             std::to_string(AnsiCodePage()));
        return;
    }
    const Located source = Locate(disk, relative);
    if (source.shown.empty()) {
        check.Warn(line, "source " + JoinPath(disk.path, relative.c_str()) + " is missing");
        return;
    }
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadLocated(source, bytes, why)) {
        check.Fail(line, file.DiskNumber, source.shown, "cannot read: " + why);
        return;
    }
    SzddHeader header{};
    const SzddStatus format = SzddReadHeader(bytes.data(), bytes.size(), header);
    const bool compressed = format != SzddStatus::NotSzdd;
    if (file.Compressed && !compressed) {
        check.Warn(line, "source " + source.shown +
                             " is marked compressed but is not in the compressed format: it is "
                             "installed as it stands");
    } else if (!file.Compressed && compressed) {
        check.Warn(line, "source " + source.shown +
                             " is in the compressed format but not marked compressed: it would "
                             "be installed still compressed");
    }
    if (compressed) {
        std::vector<uint8_t> expanded;
        const SzddStatus status = SzddExpand(bytes.data(), bytes.size(), expanded);
        if (status != SzddStatus::Ok)
            check.Fail(line, file.DiskNumber, source.shown, SzddStatusText(status));
    }
    check.expandedBytes += file.Compressed && compressed ? header.expandedLength : bytes.size();
    if (check.disks.size() > 1) CheckOtherDisks(check, disk, source, bytes, relative, line);
}

void CheckSpace(MediaCheck& check) {
    if (check.script.minHDSpaceLine == 0) return;
    const uint64_t kilobytes = (check.expandedBytes + 1023) / 1024;
    const uint16_t declared = g_Catalogue.App.MinHDSpace;
    if (kilobytes <= declared) return;
    check.Warn(check.script.minHDSpaceLine, "the entries expand to " + std::to_string(kilobytes) +
                                                " KB, more than MinHDSpace " +
                                                std::to_string(declared) + " (KB)");
}

// A signature only tells who published the installer; whether it holds is Windows's to judge.
void NoteSignature(MediaCheck& check, const MediaDisk& start) {
    const Located installer = Locate(start, kInstallerName);
    if (installer.shown.empty()) return;
    std::vector<uint8_t> headers;
    std::string why;
    if (!ReadLocated(installer, headers, why, kPeHeadersReadLimit)) {
        check.Warn(0, installer.shown + " cannot be read: " + why);
        return;
    }
    switch (ReadPeSignature(headers.data(), headers.size())) {
    case PeSignature::NotPe:
        check.Warn(0, installer.shown + " is not a PE program: Windows would not start it");
        break;
    case PeSignature::Unsigned: check.report.note = installer.shown + ": note: not signed"; break;
    case PeSignature::Signed: check.report.note = installer.shown + ": note: signed"; break;
    }
}

} // namespace

bool OpenMedia(const std::vector<std::string>& paths, std::vector<MediaDisk>& disks,
               std::string& why) {
    disks.assign(paths.size(), {});
    for (size_t i = 0; i < paths.size(); ++i) {
        MediaDisk& disk = disks[i];
        disk.path = paths[i];
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(disk.path, error);
        if (error) {
            why = disk.path + ": " + error.message();
            return false;
        }
        if (std::filesystem::is_directory(status)) continue;
        disk.image = true;
        Scratch scratch;
        std::vector<SourceDisk> held;
        const bool read = ReadDisksOf(disk.path, scratch, held, why);
        DropScratch(scratch);
        if (read && held.size() != 1)
            why = "holds " + std::to_string(held.size()) +
                  " disks; --media takes one disk, or one tree for all";
        if (!read || held.size() != 1) {
            why = disk.path + ": " + why;
            return false;
        }
        disk.contents = std::move(held.front());
    }
    return true;
}

MediaReport CheckMedia(const std::vector<MediaDisk>& disks, const ScriptReport& script) {
    MediaCheck check{disks, script, {}};
    const MediaDisk& start = check.DiskOf(StartDisk());
    // What the user starts, and what it reads first: without them the disk installs nothing.
    for (const char* own : {kInstallerName, kScriptName})
        if (Locate(start, own).shown.empty())
            check.Fail(0, StartDisk(), JoinPath(start.path, own), "missing from the start disk");
    if (Locate(start, kFollowOnSetup).shown.empty()) {
        check.Warn(0, JoinPath(start.path, kFollowOnSetup) +
                          " is missing: the installer would end without a word");
    }
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i)
        if (IsCopiedEntry(i)) CheckEntry(check, i);
    CheckSpace(check);
    NoteSignature(check, start);
    return std::move(check.report);
}

MediaReport CheckMedia(const std::vector<std::string>& folders, const ScriptReport& script) {
    std::vector<MediaDisk> disks(folders.size());
    for (size_t i = 0; i < folders.size(); ++i)
        disks[i].path = folders[i];
    return CheckMedia(disks, script);
}
