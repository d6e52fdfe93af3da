#include "media/layout.h"

#include "formats/fat_names.h"
#include "formats/iso_image.h"
#include "formats/szdd.h"
#include "media/disks.h"
#include "platform/code_page.h"
#include "platform/files.h"

#include "catalogue.h"
#include "common/media_layout.h"
#include "inf_query.h"
#include "script_platform.h"
#include "transfer/copy_rules.h"

#include <algorithm>
#include <cstring>
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

// An entry's names as the host spells them.
struct HostNames {
    std::vector<std::string> folders; // of its [Dirs] name
    std::string source, dest;
};

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

    // The original below the originals' folder, each part matched ignoring case; "" when
    // none is there. parts: host names.
    std::string FindHost(const std::vector<std::string>& parts) const {
        std::string path = inputs.originals;
        for (const std::string& part : parts) {
            path = FindIgnoringCase(path, part.c_str());
            if (path.empty()) return {};
        }
        return IsRegularFile(path) ? path : std::string();
    }

    std::string FindOriginal(const HostNames& names, const FileEntry& entry) const {
        std::vector<std::string> candidates = {names.dest};
        if (!entry.Compressed) candidates.push_back(names.source);
        for (const bool inFolder : {true, false}) {
            for (const std::string& name : candidates) {
                std::vector<std::string> parts =
                    inFolder ? names.folders : std::vector<std::string>();
                parts.push_back(name);
                const std::string found = FindHost(parts);
                if (!found.empty()) return found;
            }
        }
        return {};
    }

    // The names reach the disk as they are: each must stay inside it, walked as the installer
    // walks it in the ANSI code page, and be one that FAT holds; host gets them as the host
    // spells them.
    bool NamesStayInside(const char* dirName, const FileEntry& entry, uint32_t line,
                         HostNames& host) {
        bool inside = true;
        if (dirName[0] != '\0' && !IsSafeDestName(dirName)) {
            Fail(line, "[Dirs] name \"" + ShownName(dirName) + "\" leads out of its disk");
            inside = false;
        }
        for (const char* name : {entry.SourceName, entry.DestName}) {
            if (IsPlainFileName(name)) continue;
            Fail(line,
                 "\"" + ShownName(name) + "\" is not a plain file name" + SeparatorHint(name));
            inside = false;
        }
        if (!inside) return false;
        for (const std::string& part : ScriptPathParts(dirName)) {
            host.folders.emplace_back();
            if (!ToHost(line, part, host.folders.back())) return false;
        }
        return ToHost(line, entry.SourceName, host.source) &&
               ToHost(line, entry.DestName, host.dest);
    }

    // A "\\" after a byte beyond ASCII, which a double-byte code page would read as its
    // trail byte, is a folder separator in this one.
    static std::string SeparatorHint(const char* name) {
        const char* slash = std::strchr(name, '\\');
        if (!HasFolder(name) || slash == nullptr || slash == name ||
            static_cast<uint8_t>(slash[-1]) < 0x80)
            return "";
        return ": \"\\\" is a folder separator in " +
               (AnsiCodePage() == 0 ? std::string("ASCII")
                                    : "code page " + std::to_string(AnsiCodePage()));
    }

    bool ToHost(uint32_t line, const std::string& name, std::string& host) {
        bool beyondAscii = false;
        for (char c : name)
            beyondAscii = beyondAscii || static_cast<uint8_t>(c) >= 0x80;
        if (beyondAscii && AnsiCodePage() == 0) {
            Fail(line, "\"" + ShownName(name) +
                           "\" goes beyond ASCII: give --codepage or --system-codepage, the ANSI "
                           "code page the installer reads the script in");
            return false;
        }
        if (!HostName(name, host)) {
            Fail(line, "\"" + ShownName(name) + "\" is not text of code page " +
                           std::to_string(AnsiCodePage()));
            return false;
        }
        if (!IsFatName(host)) return NotOnFat(line, name);
        return true;
    }

    bool NotOnFat(uint32_t line, const std::string& name) {
        Fail(line, "\"" + ShownName(name) + "\" is not a name a FAT disk can hold");
        return false;
    }

    void PlaceEntry(uint16_t index) {
        const FileEntry& entry = g_Catalogue.Files[index];
        const uint32_t line = fileLines[index];
        char dirName[kDirNameWidth];
        InfQuery(GetFileDir, index, dirName);
        HostNames host;
        if (!NamesStayInside(dirName, entry, line, host)) return;
        const std::string original = FindOriginal(host, entry);
        if (original.empty()) {
            const bool twoNames =
                !entry.Compressed && ScriptCompareNames(entry.SourceName, entry.DestName) != 0;
            std::string folder;
            for (const std::string& part : host.folders)
                folder += (folder.empty() ? "" : "/") + part;
            Fail(line, "no original of " + host.dest + (twoNames ? " or " + host.source : "") +
                           " in " + JoinPath(inputs.originals, folder.c_str()) + " or " +
                           inputs.originals);
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
        const std::string folder = disk.SpellFolder(host.folders);
        file.path = folder.empty() ? host.source : folder + "/" + host.source;
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
