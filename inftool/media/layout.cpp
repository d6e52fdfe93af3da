#include "media/layout.h"

#include "formats/fat_names.h"
#include "formats/iso_image.h"
#include "formats/szdd.h"
#include "media/disks.h"
#include "platform/files.h"

#include "catalogue.h"
#include "common/media_layout.h"
#include "inf_query.h"
#include "script_platform.h"
#include "transfer/copy_rules.h"

#include <algorithm>
#include <map>

std::string DiskBuilder::SpellFolder(const std::vector<std::string>& parts) {
    std::string spelt;
    for (const std::string& part : parts) {
        const std::string path = spelt.empty() ? part : spelt + "/" + part;
        spelt = folders.emplace(FoldedName(path), path).first->second;
    }
    return spelt;
}

bool DiskBuilder::Add(MediaFile file, std::string& clash) {
    const std::string key = FoldedName(file.path);
    const auto taken = files.find(key);
    if (folders.count(key) != 0) {
        clash = file.path + " is a folder of this disk";
        return false;
    }
    for (size_t slash = file.path.find('/'); slash != std::string::npos;
         slash = file.path.find('/', slash + 1)) {
        const auto parent = files.find(FoldedName(file.path.substr(0, slash)));
        if (parent == files.end()) continue;
        clash = layout.files[parent->second].path + " is a file of this disk";
        return false;
    }
    if (taken == files.end()) {
        files.emplace(key, layout.files.size());
        layout.files.push_back(std::move(file));
        return true;
    }
    const MediaFile& other = layout.files[taken->second];
    if (other.bytes == file.bytes) return true;
    clash = other.line == 0 ? other.path + " is the installer's own file"
                            : other.path + " is also written for line " +
                                  std::to_string(other.line) + " with other contents";
    return false;
}

namespace {

struct Planner {
    const BuildInputs& inputs;
    const std::vector<uint32_t>& fileLines;
    std::vector<LayoutError>& errors;
    std::vector<DiskBuilder> disks;

    void Fail(uint32_t line, std::string text) { errors.push_back({line, std::move(text)}); }

    DiskBuilder& DiskOf(uint16_t number) {
        return *std::find_if(disks.begin(), disks.end(), [number](const DiskBuilder& disk) {
            return disk.layout.number == number;
        });
    }

    bool Read(const std::string& path, MediaFile& file) {
        std::string why;
        if (!ReadWholeFile(path.c_str(), file.bytes, why, kSzddMaxExpanded) ||
            !ModifiedTime(path.c_str(), file.modified, why)) {
            Fail(file.line, path + ": cannot read: " + why);
            return false;
        }
        if (file.bytes.size() > kSzddMaxExpanded) {
            Fail(file.line, path + ": larger than " + std::to_string(kSzddMaxExpanded) + " bytes");
            return false;
        }
        return true;
    }

    void Place(DiskBuilder& disk, MediaFile file) {
        std::string clash;
        const uint32_t line = file.line;
        if (!disk.Add(std::move(file), clash)) Fail(line, "cannot place it: " + clash);
    }

    void PlaceOwnFile(const std::string& from, const char* relative) {
        MediaFile file{{}, {}, 0, 0, 0, from};
        if (Read(from, file)) PlaceOwn(std::move(file), relative);
    }

    // The script's text is made from its source, and takes its time.
    void PlaceScript() {
        MediaFile file{{}, inputs.scriptText, 0, 0, 0, inputs.script};
        std::string why;
        if (!ModifiedTime(inputs.script.c_str(), file.modified, why))
            Fail(0, inputs.script + ": cannot read: " + why);
        else
            PlaceOwn(std::move(file), kScriptName);
    }

    void PlaceOwn(MediaFile file, const char* relative) {
        std::vector<std::string> parts = PathParts(relative);
        const std::string name = parts.back();
        parts.pop_back();
        DiskBuilder& disk = DiskOf(StartDisk());
        const std::string folder = disk.SpellFolder(parts);
        file.path = folder.empty() ? name : folder + "/" + name;
        file.originalSize = file.bytes.size();
        Place(disk, std::move(file));
    }

    std::string FindOriginal(const char* dirName, const FileEntry& entry) const {
        std::vector<std::string> names = {entry.DestName};
        if (!entry.Compressed) names.push_back(entry.SourceName);
        for (const std::string& folder : {std::string(dirName) + "\\", std::string()}) {
            for (const std::string& name : names) {
                const std::string found =
                    FindIgnoringCase(inputs.originals, (folder + name).c_str());
                if (!found.empty() && IsRegularFile(found)) return found;
            }
        }
        return {};
    }

    // The names reach the disk as they are: each must stay inside it and be one FAT holds.
    bool NamesStayInside(const char* dirName, const FileEntry& entry, uint32_t line) {
        bool inside = true;
        for (const std::string& part : PathParts(dirName)) {
            if (IsPlainFileName(part.c_str())) continue;
            Fail(line, std::string("[Dirs] name \"") + dirName + "\" leads out of its disk");
            inside = false;
            break;
        }
        for (const char* name : {entry.SourceName, entry.DestName}) {
            if (IsPlainFileName(name)) continue;
            Fail(line, std::string("\"") + name + "\" is not a plain file name");
            inside = false;
        }
        if (!inside) return false;
        for (const std::string& part : PathParts(dirName))
            if (!IsFatName(part)) return NotOnFat(line, part);
        if (!IsFatName(entry.SourceName)) return NotOnFat(line, entry.SourceName);
        return true;
    }

    bool NotOnFat(uint32_t line, const std::string& name) {
        Fail(line, "\"" + name + "\" is not a name a FAT disk can hold");
        return false;
    }

    void PlaceEntry(uint16_t index) {
        const FileEntry& entry = g_Catalogue.Files[index];
        const uint32_t line = fileLines[index];
        char dirName[kDirNameWidth];
        InfQuery(GetFileDir, index, dirName);
        if (!NamesStayInside(dirName, entry, line)) return;
        const std::string original = FindOriginal(dirName, entry);
        if (original.empty()) {
            const bool twoNames =
                !entry.Compressed && ScriptCompareNames(entry.SourceName, entry.DestName) != 0;
            Fail(line, std::string("no original of ") + entry.DestName +
                           (twoNames ? std::string(" or ") + entry.SourceName : "") + " in " +
                           JoinPath(inputs.originals, dirName) + " or " + inputs.originals);
            return;
        }
        MediaFile file{{}, {}, 0, line, 0, original};
        if (!Read(original, file)) return;
        file.originalSize = file.bytes.size();
        if (entry.Compressed) {
            std::vector<uint8_t> packed;
            SzddCompress(file.bytes.data(), file.bytes.size(), SzddLastNameChar(entry.DestName),
                         packed);
            file.bytes = std::move(packed);
        }
        DiskBuilder& disk = DiskOf(entry.DiskNumber);
        const std::string folder = disk.SpellFolder(PathParts(dirName));
        file.path =
            folder.empty() ? std::string(entry.SourceName) : folder + "/" + entry.SourceName;
        Place(disk, std::move(file));
    }
};

} // namespace

bool PlanMedia(const BuildInputs& inputs, const std::vector<uint32_t>& fileLines,
               std::vector<DiskLayout>& disks, std::vector<LayoutError>& errors) {
    Planner planner{inputs, fileLines, errors, {}};
    std::vector<uint16_t> numbers = DisksInUse();
    if (numbers.empty()) numbers.push_back(StartDisk());
    for (uint16_t number : numbers) {
        const std::string folder = numbers.size() == 1 ? "" : "DISK" + std::to_string(number);
        planner.disks.push_back({{number, folder, DiskName(number), {}}, {}, {}});
    }
    planner.PlaceOwnFile(inputs.setup, kInstallerName);
    planner.PlaceScript();
    planner.PlaceOwnFile(inputs.followOn, kFollowOnSetup);
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i)
        if (IsCopiedEntry(i)) planner.PlaceEntry(i);
    disks.clear();
    for (DiskBuilder& disk : planner.disks)
        disks.push_back(std::move(disk.layout));
    return errors.empty();
}

bool PlanCd(std::vector<DiskLayout>& disks, std::vector<LayoutError>& errors) {
    DiskBuilder cd{{StartDisk(), "", DiskName(StartDisk()), {}}, {}, {}};
    const size_t before = errors.size();
    for (DiskLayout& disk : disks) {
        for (MediaFile& file : disk.files) {
            const std::vector<std::string> parts = PathParts(file.path);
            const uint32_t line = file.line;
            if (parts.size() > kCdFolderDepth + 1)
                errors.push_back({line, file.path + " lies " + std::to_string(parts.size() - 1) +
                                            " folders deep; a CD holds " +
                                            std::to_string(kCdFolderDepth)});
            for (size_t i = 0; i < parts.size(); ++i) {
                if (IsLevelOneName(parts[i], i + 1 < parts.size())) continue;
                errors.push_back({line, "\"" + parts[i] + "\" of " + file.path +
                                            " is not a name a CD keeps as spelt (ISO 9660 "
                                            "level 1: A-Z, 0-9 and _, 8.3, folders without a "
                                            "dot)"});
                break;
            }
            std::vector<std::string> folders = parts;
            folders.pop_back();
            const std::string folder = cd.SpellFolder(folders);
            file.path = folder.empty() ? parts.back() : folder + "/" + parts.back();
            std::string clash;
            if (!cd.Add(std::move(file), clash))
                errors.push_back({line, "on the CD, where disk " + std::to_string(disk.number) +
                                            "'s files share one tree: " + clash});
        }
    }
    disks.clear();
    disks.push_back(std::move(cd.layout));
    return errors.size() == before;
}
