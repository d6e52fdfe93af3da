#include "media/media_check.h"

#include "formats/pe_signature.h"
#include "formats/szdd.h"
#include "media/disks.h"
#include "platform/files.h"

#include "catalogue.h"
#include "common/media_layout.h"
#include "inf_query.h"

#include <algorithm>
#include <cstdio>

namespace {

// True, with its header, when the file starts with the compressed format's signature.
bool ReadCompressedHeader(const std::string& path, SzddHeader& parsed) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) return false;
    uint8_t header[kSzddHeaderSize];
    size_t count = std::fread(header, 1, sizeof header, stream);
    std::fclose(stream);
    return SzddReadHeader(header, count, parsed) == SzddStatus::Ok;
}

bool SameContents(const std::string& a, const std::string& b) {
    std::vector<uint8_t> bytesA, bytesB;
    std::string why;
    return ReadWholeFile(a.c_str(), bytesA, why) && ReadWholeFile(b.c_str(), bytesB, why) &&
           bytesA == bytesB;
}

struct MediaCheck {
    const std::vector<std::string>& folders;
    const ScriptReport& script;
    MediaReport report;
    uint64_t expandedBytes = 0;

    const std::string& FolderOf(uint16_t disk) const {
        if (folders.size() == 1) return folders[0];
        const std::vector<uint16_t> disks = DisksInUse();
        return folders[static_cast<size_t>(std::find(disks.begin(), disks.end(), disk) -
                                           disks.begin())];
    }
    void Warn(uint32_t line, std::string text) {
        report.warnings.push_back({line, std::move(text)});
    }
};

// The same name on another disk with other contents: a source the installer could take from
// the wrong disk, since it changes disks only when a compressed source cannot be opened.
void CheckOtherDisks(MediaCheck& check, const std::string& media, const std::string& source,
                     const std::string& relative, uint32_t line) {
    for (const std::string& folder : check.folders) {
        if (folder == media) continue;
        const std::string other = FindIgnoringCase(folder, relative.c_str());
        if (other.empty() || !IsRegularFile(other) || SameContents(source, other)) continue;
        check.Warn(line, "source " + source + " and " + other +
                             " have one name and different contents: the disks cannot be told "
                             "apart");
        return;
    }
}

void CheckEntry(MediaCheck& check, uint16_t index) {
    const FileEntry& file = g_Catalogue.Files[index];
    const std::string& media = check.FolderOf(file.DiskNumber);
    char dirName[kDirNameWidth];
    InfQuery(GetFileDir, index, dirName);
    const std::string relative = std::string(dirName) + "\\" + file.SourceName;
    const std::string source = FindIgnoringCase(media, relative.c_str());
    const uint32_t line = check.script.fileLines[index];
    uint64_t size = 0;
    if (source.empty() || !IsRegularFile(source, &size)) {
        check.Warn(line, "source " + JoinPath(media, relative.c_str()) + " is missing");
        return;
    }
    SzddHeader header{};
    const bool compressed = ReadCompressedHeader(source, header);
    if (file.Compressed && !compressed) {
        check.Warn(line, "source " + source +
                             " is marked compressed but is not in the compressed format: it is "
                             "installed as it stands");
    } else if (!file.Compressed && compressed) {
        check.Warn(line, "source " + source +
                             " is in the compressed format but not marked compressed: it would "
                             "be installed still compressed");
    }
    check.expandedBytes += file.Compressed && compressed ? header.expandedLength : size;
    if (check.folders.size() > 1) CheckOtherDisks(check, media, source, relative, line);
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
void NoteSignature(MediaCheck& check, const std::string& start) {
    const std::string installer = FindIgnoringCase(start, kInstallerName);
    if (installer.empty() || !IsRegularFile(installer)) return;
    std::vector<uint8_t> headers;
    std::string why;
    if (!ReadWholeFile(installer.c_str(), headers, why, kPeHeadersReadLimit)) {
        check.Warn(0, installer + " cannot be read: " + why);
        return;
    }
    switch (ReadPeSignature(headers.data(), headers.size())) {
    case PeSignature::NotPe:
        check.Warn(0, installer + " is not a PE program: Windows would not start it");
        break;
    case PeSignature::Unsigned: check.report.note = installer + ": note: not signed"; break;
    case PeSignature::Signed: check.report.note = installer + ": note: signed"; break;
    }
}

} // namespace

MediaReport CheckMedia(const std::vector<std::string>& folders, const ScriptReport& script) {
    MediaCheck check{folders, script, {}};
    const std::string& start = check.FolderOf(StartDisk());
    const std::string followOn = FindIgnoringCase(start, kFollowOnSetup);
    if (followOn.empty() || !IsRegularFile(followOn)) {
        check.Warn(0, JoinPath(start, kFollowOnSetup) +
                          " is missing: the installer would end without a word");
    }
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i)
        if (IsCopiedEntry(i)) CheckEntry(check, i);
    CheckSpace(check);
    NoteSignature(check, start);
    return std::move(check.report);
}
