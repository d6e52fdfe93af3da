#include "cli/exit_codes.h"
#include "commands/commands.h"
#include "formats/fat_names.h"
#include "formats/szdd.h"
#include "media/disks.h"
#include "media/layout.h"
#include "media/media_writer.h"
#include "media/script_check.h"
#include "media/source_disk.h"
#include "platform/files.h"

#include "catalogue.h"
#include "common/media_layout.h"
#include "inf_query.h"
#include "transfer/copy_rules.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

enum ImportOption { kOut, kForce };
constexpr Option kImportOptions[] = {
    {"out", "DIR", kRequired, "the folder to write: made whole or not at all"},
    {"force", nullptr, 0, "replaces a DIR that is not empty"},
};

constexpr char kNothingWritten[] = "inftool import: nothing was written\n";
constexpr char kUnlistedFolder[] = "unlisted";

// "SETUP.INF line N", as every message about an entry names it.
std::string ScriptLine(uint32_t line) {
    return kScriptName + std::string(" line ") + std::to_string(line);
}

// What import writes into DIR, laid out as one disk, and which file of which disk each
// came from.
struct Import {
    std::vector<SourceDisk> disks;
    size_t scriptDisk = 0;                   // the disk that holds SETUP.INF
    std::map<uint16_t, size_t> diskOfNumber; // [Disks] number -> index in disks
    std::vector<std::vector<bool>> taken;    // of each file of each disk
    DiskBuilder out{{0, "", "", {}}, {}, {}};
    std::vector<std::string> errors;

    // Puts bytes at path in DIR, unless another file or a folder takes it. modified: the time
    // of the file on its disk, which the file in DIR takes; -1 for none.
    void Put(const std::string& path, std::vector<uint8_t> bytes, uint32_t line, int64_t modified) {
        std::string clash;
        if (out.Add({path, std::move(bytes), 0, line, modified, {}}, clash)) return;
        errors.push_back((line == 0 ? path : ScriptLine(line)) +
                         ": cannot put it in place: " + clash);
    }

    // Takes the file at path of disk, as found; false when it is not there.
    bool TakeAsFound(size_t disk, const std::string& path, const std::string& as) {
        const size_t file = disks[disk].Find(path);
        if (file == SourceDisk::kNone) return false;
        taken[disk][file] = true;
        Put(as, disks[disk].files[file].bytes, 0, disks[disk].files[file].modified);
        return true;
    }

    // The disks to look on for a file of disk number: its own first, then the others.
    std::vector<size_t> SearchOrder(uint16_t number) const {
        std::vector<size_t> order;
        const auto own = diskOfNumber.find(number);
        if (own != diskOfNumber.end()) order.push_back(own->second);
        for (size_t disk = 0; disk < disks.size(); ++disk)
            if (own == diskOfNumber.end() || disk != own->second) order.push_back(disk);
        return order;
    }

    void TakeEntry(uint16_t index, uint32_t line) {
        const FileEntry& entry = g_Catalogue.Files[index];
        char dirName[kDirNameWidth];
        InfQuery(GetFileDir, index, dirName);
        const std::string at = ScriptLine(line) + ": ";
        const std::vector<std::string> dirParts = PathParts(dirName);
        for (const std::string& part : dirParts) {
            if (IsPlainFileName(part.c_str())) continue;
            errors.push_back(at + "[Dirs] name \"" + dirName + "\" leads out of its folder");
            return;
        }
        for (const char* name : {entry.SourceName, entry.DestName}) {
            if (IsPlainFileName(name)) continue;
            errors.push_back(at + "\"" + name + "\" is not a plain file name");
            return;
        }
        const std::string source = JoinPath(dirName, entry.SourceName);
        for (size_t disk : SearchOrder(entry.DiskNumber)) {
            const size_t file = disks[disk].Find(source);
            if (file == SourceDisk::kNone) continue;
            taken[disk][file] = true;
            const SourceFile& found = disks[disk].files[file];
            std::vector<uint8_t> original = found.bytes;
            if (entry.Compressed) {
                const SzddStatus status =
                    SzddExpand(found.bytes.data(), found.bytes.size(), original);
                if (status != SzddStatus::Ok) {
                    errors.push_back(disks[disk].name + ": " + found.path + ": " +
                                     SzddStatusText(status) + " (" + ScriptLine(line) + ")");
                    return;
                }
            }
            const std::string folder = out.SpellFolder(dirParts);
            Put(folder.empty() ? entry.DestName : folder + "/" + entry.DestName,
                std::move(original), line, found.modified);
            return;
        }
        const std::string disk = std::to_string(entry.DiskNumber);
        const auto own = diskOfNumber.find(entry.DiskNumber);
        if (own == diskOfNumber.end())
            errors.push_back(source + " (" + ScriptLine(line) + ") is on disk " + disk +
                             ", which is not among the disks given");
        else
            errors.push_back(disks[own->second].name + ": " + source + " is missing (" +
                             ScriptLine(line) + ", disk " + disk + ")");
    }

    // Every file of the disks that nothing above took, in folder/disk<n>/, folder being a
    // name that nothing above takes; returns them, "disk<n>/PATH" each.
    std::vector<std::string> KeepTheRest(std::string& folder) {
        folder = kUnlistedFolder;
        for (int n = 2;
             out.folders.count(FoldedName(folder)) + out.files.count(FoldedName(folder)) != 0; ++n)
            folder = kUnlistedFolder + std::string("-") + std::to_string(n);
        std::vector<std::string> kept;
        for (size_t disk = 0; disk < disks.size(); ++disk) {
            for (size_t file = 0; file < disks[disk].files.size(); ++file) {
                if (taken[disk][file]) continue;
                const std::string path =
                    "disk" + std::to_string(disk + 1) + "/" + disks[disk].files[file].path;
                kept.push_back(path);
                Put(folder + "/" + path, disks[disk].files[file].bytes, 0,
                    disks[disk].files[file].modified);
            }
        }
        return kept;
    }
};

// The disk that holds the installer's script at its top: the first of them.
bool FindScriptDisk(Import& import) {
    import.scriptDisk = SourceDisk::kNone;
    for (size_t disk = 0; disk < import.disks.size(); ++disk) {
        if (import.disks[disk].Find(kScriptName) != SourceDisk::kNone) {
            import.scriptDisk = disk;
            break;
        }
    }
    return import.scriptDisk != SourceDisk::kNone;
}

// The script's disk is the start disk; the others are the rest of the disks in use, in the
// order of their numbers.
void NumberDisks(Import& import) {
    const uint16_t start = StartDisk();
    std::vector<uint16_t> numbers = DisksInUse();
    import.diskOfNumber[start] = import.scriptDisk;
    size_t next = 0;
    for (uint16_t number : numbers) {
        if (number == start) continue;
        if (next == import.scriptDisk) ++next;
        if (next >= import.disks.size()) break;
        import.diskOfNumber[number] = next++;
    }
}

void PrintTable(const Import& import) {
    std::printf("%-6s %-24s %6s %8s %9s\n", "disk", "from", "files", "listed", "unlisted");
    for (size_t disk = 0; disk < import.disks.size(); ++disk) {
        std::string number = "-";
        for (const auto& [n, at] : import.diskOfNumber)
            if (at == disk) number = std::to_string(n);
        size_t listed = 0;
        for (bool taken : import.taken[disk])
            listed += taken ? 1 : 0;
        std::printf("%-6s %-24s %6zu %8zu %9zu\n", number.c_str(), import.disks[disk].name.c_str(),
                    import.taken[disk].size(), listed, import.taken[disk].size() - listed);
    }
}

// Each file written takes the time its disk gave it, so that build, which dates images by
// their newest input, makes the same images of them again.
bool KeepTimes(const DiskLayout& layout, const StagedMedia& staged, std::string& why) {
    for (const MediaFile& file : layout.files) {
        const std::string path = (staged.folder / file.path).string();
        if (file.modified >= 0 && !SetModifiedTime(path.c_str(), file.modified, why)) {
            why = path + ": cannot set its time: " + why;
            return false;
        }
    }
    return true;
}

// Damaged or unreadable input is kExitRefused; an output that cannot be written kExitWrite.
int Refuse(const std::vector<std::string>& errors, int status = kExitRefused) {
    for (const std::string& error : errors)
        std::fprintf(stderr, "inftool import: %s\n", error.c_str());
    std::fputs(kNothingWritten, stderr);
    return status;
}

int RunImport(const Arguments& args) {
    const std::string out = args.Value(kOut);
    std::vector<std::string> inputs(args.operands.begin(), args.operands.end());
    std::vector<InputPath> read;
    for (const std::string& input : inputs)
        read.push_back({input, true});
    OutFolder folder;
    std::string why;
    if (!PrepareOut(out, args.Has(kForce), ImageBeside::kIgnored, read, "import", folder, why))
        return Refuse({why});

    Import import;
    for (const std::string& input : inputs) {
        import.disks.emplace_back();
        if (!ReadSourceDisk(input, import.disks.back(), why))
            import.errors.push_back(input + ": " + why);
        import.taken.emplace_back(import.disks.back().files.size(), false);
    }
    if (!import.errors.empty()) return Refuse(import.errors);
    if (!FindScriptDisk(import))
        return Refuse({std::string("none of the disks holds ") + kScriptName + " at its top"});

    const SourceDisk& scriptDisk = import.disks[import.scriptDisk];
    ScriptReport report;
    CheckScriptText(scriptDisk.files[scriptDisk.Find(kScriptName)].bytes, report);
    NumberDisks(import);
    import.TakeAsFound(import.scriptDisk, kScriptName, kScriptName);
    std::vector<std::string> notes;
    for (const char* own : {kInstallerName, kFollowOnSetup}) {
        if (!import.TakeAsFound(import.scriptDisk, own, JoinPath("", own)))
            notes.push_back(scriptDisk.name + ": note: no " + JoinPath("", own) + " beside " +
                            kScriptName);
    }
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i)
        if (IsCopiedEntry(i)) import.TakeEntry(i, report.fileLines[i]);
    if (!import.errors.empty()) return Refuse(import.errors);
    std::string unlisted;
    const std::vector<std::string> kept = import.KeepTheRest(unlisted);
    if (!import.errors.empty()) return Refuse(import.errors);

    PrintTable(import);
    StagedMedia staged;
    if (!StageMedia(folder, {import.out.layout}, {}, staged, why)) return Refuse({why}, kExitWrite);
    if (!KeepTimes(import.out.layout, staged, why)) {
        DiscardStagedMedia(staged);
        return Refuse({why}, kExitWrite);
    }
    if (!PutMediaInPlace(folder, staged, why)) return Refuse({why}, kExitWrite);
    for (const std::string& note : notes)
        std::printf("%s\n", note.c_str());
    if (!kept.empty()) {
        std::string list;
        for (const std::string& path : kept)
            list += (list.empty() ? "" : ", ") + path;
        std::printf("%s: note: %zu files the script does not list, kept in %s: %s\n", out.c_str(),
                    kept.size(), JoinPath(out, unlisted.c_str()).c_str(), list.c_str());
    }
    return kExitOk;
}

} // namespace

const Command kImportCommand = {
    "import",
    "IMAGE|FOLDER...",
    1,
    kAnyCount,
    "brings a finished set of disks back to what build takes",
    "IMAGE|FOLDER: each disk of the set, as a raw FAT12 image or a folder of its files, in\n"
    "  the order of their numbers; the first that holds SETUP.INF is the start disk\n"
    "Writes DIR/SETUP.INF, DIR/setup.exe and DIR/photo/setup.EXE as found, and every file the\n"
    "script lists as its original in DIR/<[Dirs] name>/<destination name>, expanded and\n"
    "checked against the length its header gives; every other file of the disks goes to\n"
    "DIR/unlisted/disk<n>/, so that nothing on the disks is lost.\n",
    kImportOptions,
    std::size(kImportOptions),
    RunImport};
