#include "cli/exit_codes.h"
#include "commands/commands.h"
#include "commands/written.h"
#include "formats/fat_names.h"
#include "formats/szdd.h"
#include "media/containers.h"
#include "media/disks.h"
#include "media/layout.h"
#include "media/media_writer.h"
#include "media/script_check.h"
#include "media/source_disk.h"
#include "platform/code_page.h"
#include "platform/files.h"

#include "catalogue.h"
#include "common/media_layout.h"
#include "inf_query.h"
#include "transfer/copy_rules.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

enum ImportOption { kOut, kForce, kStrict, kSystemCodePage, kOemCodePage };
constexpr Option kImportOptions[] = {
    {"out", "DIR", kRequired, "the folder to write: made whole or not at all"},
    {"force", nullptr, 0, "replaces a DIR that is not empty"},
    {"strict", nullptr, 0, "writes nothing when the disks draw a warning"},
    {"system-codepage", "N", 0, "the ANSI code page of the script's names (default 1252)"},
    {"oem-codepage", "N", 0,
     "the code page of short names on the disks (default: 850 for 1252, 932 for 932...)"},
};

constexpr uint32_t kDefaultSystemCodePage = 1252;

constexpr char kNothingWritten[] = "inftool import: nothing was written\n";
constexpr char kUnlistedFolder[] = "unlisted";

constexpr size_t kNone = SourceDisk::kNone;

// "1, 2 and 3".
std::string Listed(const std::set<uint16_t>& numbers) {
    std::string text;
    size_t left = numbers.size();
    for (uint16_t number : numbers)
        text += std::to_string(number) + (--left > 1 ? ", " : left == 1 ? " and " : "");
    return text;
}

// What import writes into DIR, laid out as one disk, and which file of which disk each
// came from.
struct Import {
    std::vector<SourceDisk> disks;
    std::vector<size_t> repeatOf;            // of each disk: the disk it repeats; kNone
    size_t scriptDisk = 0;                   // the disk that holds SETUP.INF
    std::map<uint16_t, size_t> diskOfNumber; // [Disks] number -> index in disks
    std::vector<std::vector<bool>> taken;    // of each file of each disk
    DiskBuilder out{{0, "", "", {}}, {}, {}};
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    std::string outName;  // DIR as given
    size_t outLength = 0; // of DIR's full path

    // "DISK1.IMG: SETUP.INF line N", as every message about an entry names it.
    std::string ScriptLine(uint32_t line) const {
        return disks[scriptDisk].name + ": " + kScriptName + " line " + std::to_string(line);
    }

    // The number a disk is placed as; 0 for none.
    uint16_t NumberOf(size_t disk) const {
        for (const auto& [number, at] : diskOfNumber)
            if (at == disk) return number;
        return 0;
    }

    // The disks in the order of their numbers, then the others by name: an order that does
    // not follow the order given.
    std::vector<size_t> Order() const {
        std::vector<size_t> order;
        for (const auto& [number, at] : diskOfNumber)
            order.push_back(at);
        std::vector<size_t> rest;
        for (size_t disk = 0; disk < disks.size(); ++disk)
            if (NumberOf(disk) == 0) rest.push_back(disk);
        std::stable_sort(rest.begin(), rest.end(),
                         [&](size_t a, size_t b) { return disks[a].name < disks[b].name; });
        order.insert(order.end(), rest.begin(), rest.end());
        return order;
    }

    // Puts bytes at path in DIR, unless another file or a folder takes it, or the path is more
    // than the file system of DIR takes. modified: the time of the file on its disk, which the
    // file in DIR takes; -1 for none. from: the disk and the path on it, for a message.
    void Put(const std::string& path, std::vector<uint8_t> bytes, uint32_t line, int64_t modified,
             const std::string& from) {
        const std::string tooLong = TooLongToWrite(outLength, path);
        if (!tooLong.empty()) {
            errors.push_back(from + ": cannot be written in " + outName + ": " + tooLong);
            return;
        }
        std::string clash;
        if (out.Add({path, std::move(bytes), 0, line, modified, {}}, clash)) return;
        errors.push_back((line == 0 ? from : ScriptLine(line)) +
                         ": cannot put it in place: " + clash);
    }

    // Takes the file at path of disk, as found; false when it is not there.
    bool TakeAsFound(size_t disk, const std::string& path, const std::string& as) {
        const size_t file = disks[disk].Find(path);
        if (file == SourceDisk::kNone) return false;
        taken[disk][file] = true;
        Put(as, disks[disk].files[file].bytes, 0, disks[disk].files[file].modified,
            disks[disk].name + ": " + path);
        return true;
    }

    // The disks to look on for a file of disk number: its own first, then the others.
    std::vector<size_t> SearchOrder(uint16_t number) const {
        std::vector<size_t> order;
        const auto own = diskOfNumber.find(number);
        if (own != diskOfNumber.end()) order.push_back(own->second);
        for (size_t disk : Order())
            if (repeatOf[disk] == kNone && (own == diskOfNumber.end() || disk != own->second))
                order.push_back(disk);
        return order;
    }

    void TakeEntry(uint16_t index, uint32_t line) {
        const FileEntry& entry = g_Catalogue.Files[index];
        char dirName[kDirNameWidth];
        InfQuery(GetFileDir, index, dirName);
        const std::string at = ScriptLine(line) + ": ";
        if (dirName[0] != '\0' && !IsSafeDestName(dirName)) {
            errors.push_back(at + "[Dirs] name \"" + ShownName(dirName) +
                             "\" leads out of its folder");
            return;
        }
        for (const char* name : {entry.SourceName, entry.DestName}) {
            if (IsPlainFileName(name)) continue;
            errors.push_back(at + "\"" + ShownName(name) + "\" is not a plain file name");
            return;
        }
        std::string source, dest;
        if (!HostSourcePath(dirName, entry.SourceName, source) ||
            !HostSourcePath(dirName, entry.DestName, dest)) {
            errors.push_back(at + "\"" + ShownName(entry.SourceName) + "\" or \"" +
                             ShownName(entry.DestName) + "\" in \"" + ShownName(dirName) +
                             "\" is not text of code page " + std::to_string(AnsiCodePage()) +
                             " (--system-codepage gives the one the script is in)");
            return;
        }
        std::vector<std::string> destParts = PathParts(dest);
        const std::string destName = destParts.back();
        destParts.pop_back();
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
            const std::string folder = out.SpellFolder(destParts);
            Put(folder.empty() ? destName : folder + "/" + destName, std::move(original), line,
                found.modified, disks[disk].name + ": " + ShownPath(found.path));
            return;
        }
        const std::string disk = std::to_string(entry.DiskNumber);
        const auto own = diskOfNumber.find(entry.DiskNumber);
        errors.push_back(at + source + ", of disk " + disk + ", is on none of the disks given" +
                         (own == diskOfNumber.end()
                              ? ", and none holds the files of disk " + disk
                              : " (disk " + disk + " is " + disks[own->second].name + ")"));
    }

    // Every file of the disks that nothing above took, in folder/disk<n>/, folder being a
    // name that nothing above takes; returns them, "disk<n>/PATH" each.
    std::vector<std::string> KeepTheRest(std::string& folder) {
        folder = kUnlistedFolder;
        for (int n = 2;
             out.folders.count(FoldedName(folder)) + out.files.count(FoldedName(folder)) != 0; ++n)
            folder = kUnlistedFolder + std::string("-") + std::to_string(n);
        std::vector<std::string> kept;
        uint32_t unplaced = diskOfNumber.empty() ? 0 : diskOfNumber.rbegin()->first;
        for (size_t disk : Order()) {
            if (repeatOf[disk] != kNone) continue;
            const uint32_t number = NumberOf(disk) != 0 ? NumberOf(disk) : ++unplaced;
            for (size_t file = 0; file < disks[disk].files.size(); ++file) {
                if (taken[disk][file]) continue;
                const std::string path =
                    "disk" + std::to_string(number) + "/" + disks[disk].files[file].path;
                kept.push_back(path);
                const std::vector<std::string>& unreadable = disks[disk].unreadable;
                if (std::find(unreadable.begin(), unreadable.end(), disks[disk].files[file].path) !=
                    unreadable.end())
                    warnings.push_back(disks[disk].name + ": " + disks[disk].files[file].path +
                                       ": a name that is no text of code page " +
                                       std::to_string(OemCodePage()) +
                                       " (--oem-codepage) or of UTF-16, kept as " + folder + "/" +
                                       path + " with \"_\" for what cannot be read");
                Put(folder + "/" + path, disks[disk].files[file].bytes, 0,
                    disks[disk].files[file].modified,
                    disks[disk].name + ": " + ShownPath(disks[disk].files[file].path));
            }
        }
        return kept;
    }
};

// Whether two disks are one: the same file or folder, or the same files, byte for byte.
bool SameDisk(const SourceDisk& a, const SourceDisk& b, bool& given) {
    std::error_code error;
    given = a.name == b.name || std::filesystem::equivalent(a.name, b.name, error);
    if (given) return true;
    if (a.files.size() != b.files.size()) return false;
    for (const SourceFile& file : a.files) {
        const size_t other = b.Find(file.path);
        if (other == kNone || b.files[other].path != file.path ||
            b.files[other].bytes != file.bytes)
            return false;
    }
    return true;
}

// A disk given twice is read once: the first of its copies by name, whatever the order given.
void FindRepeats(Import& import) {
    import.repeatOf.assign(import.disks.size(), kNone);
    const std::vector<size_t> order = import.Order();
    for (size_t disk : order) {
        for (size_t kept : order) {
            if (kept == disk) break;
            bool given = false;
            if (import.repeatOf[kept] != kNone ||
                !SameDisk(import.disks[kept], import.disks[disk], given))
                continue;
            import.repeatOf[disk] = kept;
            const std::string& name = import.disks[disk].name;
            const std::string& first = import.disks[kept].name;
            import.warnings.push_back(
                name +
                (given ? name == first ? ": given twice" : ": given twice, as " + first
                       : ": the same disk as " + first + ", file for file") +
                "; read once");
            break;
        }
    }
}

// The start disk holds the installer's script at its top; of several, the first by name.
bool FindScriptDisk(Import& import) {
    import.scriptDisk = kNone;
    for (size_t disk : import.Order()) {
        if (import.repeatOf[disk] != kNone || import.disks[disk].Find(kScriptName) == kNone)
            continue;
        if (import.scriptDisk == kNone)
            import.scriptDisk = disk;
        else
            import.warnings.push_back(import.disks[disk].name + ": holds " + kScriptName +
                                      " too; the start disk is " +
                                      import.disks[import.scriptDisk].name);
    }
    return import.scriptDisk != kNone;
}

// Each disk is placed as the number whose files it holds most of, a file counting for the
// number of every entry that lists it; the start disk as the start number. A disk that holds
// files of two numbers draws a warning, unless it is the only disk given or a tree that holds the
// whole set.
void PlaceDisks(Import& import) {
    const uint16_t start = StartDisk();
    std::map<std::string, std::set<uint16_t>> numbersOfPath;
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i) {
        if (!IsCopiedEntry(i)) continue;
        char dirName[kDirNameWidth];
        InfQuery(GetFileDir, i, dirName);
        std::string path;
        if (HostSourcePath(dirName, g_Catalogue.Files[i].SourceName, path))
            numbersOfPath[path].insert(g_Catalogue.Files[i].DiskNumber);
    }
    struct Claim {
        size_t count;
        uint16_t number;
        size_t disk;
    };
    std::vector<Claim> claims;
    const size_t read =
        static_cast<size_t>(std::count(import.repeatOf.begin(), import.repeatOf.end(), kNone));
    for (size_t disk : import.Order()) {
        if (import.repeatOf[disk] != kNone) continue;
        std::map<uint16_t, size_t> held;
        for (const auto& [path, numbers] : numbersOfPath)
            if (import.disks[disk].Find(path) != kNone)
                for (uint16_t number : numbers)
                    ++held[number];
        std::set<uint16_t> numbers;
        for (const auto& [number, count] : held) {
            numbers.insert(number);
            claims.push_back({count, number, disk});
        }
        if (numbers.size() > 1 && read > 1 && !import.disks[disk].wholeSet)
            import.warnings.push_back(import.disks[disk].name + ": holds files of disks " +
                                      Listed(numbers));
    }
    std::stable_sort(claims.begin(), claims.end(), [](const Claim& a, const Claim& b) {
        return a.count != b.count ? a.count > b.count : a.number < b.number;
    });
    import.diskOfNumber[start] = import.scriptDisk;
    for (const Claim& claim : claims) {
        if (import.diskOfNumber.count(claim.number) != 0 || import.NumberOf(claim.disk) != 0 ||
            claim.disk == import.scriptDisk)
            continue;
        import.diskOfNumber[claim.number] = claim.disk;
    }
}

// A label without its digits: "SCANNER 1" and "SCANNER 2" are of one set.
std::string LabelStem(const std::string& label) {
    std::string stem;
    for (char c : label)
        if (c < '0' || c > '9') stem += c;
    return stem;
}

// Disks of two versions of a set: labels that differ beyond their disk numbers, unless each
// is the one build gives its [Disks] name, and one path with other bytes on two disks.
void CheckVersions(Import& import) {
    std::vector<size_t> read;
    for (size_t disk : import.Order())
        if (import.repeatOf[disk] == kNone) read.push_back(disk);
    const auto asBuilt = [&import](size_t disk) {
        const uint16_t number = import.NumberOf(disk);
        std::string label = VolumeLabel(DiskName(number), number), shown;
        label.erase(label.find_last_not_of(' ') + 1);
        Utf8OfOem(label, shown);
        return number != 0 && shown == import.disks[disk].label;
    };
    for (size_t a = 0; a < read.size(); ++a) {
        for (size_t b = a + 1; b < read.size(); ++b) {
            const SourceDisk& first = import.disks[read[a]];
            const SourceDisk& second = import.disks[read[b]];
            if (!first.label.empty() && !second.label.empty() &&
                LabelStem(first.label) != LabelStem(second.label) &&
                !(asBuilt(read[a]) && asBuilt(read[b])))
                import.warnings.push_back(first.name + " is labelled \"" + first.label + "\" and " +
                                          second.name + " \"" + second.label +
                                          "\": disks of two versions? (--strict refuses them)");
            for (const SourceFile& file : first.files) {
                const size_t other = second.Find(file.path);
                if (other == kNone || second.files[other].bytes == file.bytes) continue;
                import.warnings.push_back(
                    first.name + ": " + ShownPath(file.path) + " and " + second.name + ": " +
                    ShownPath(second.files[other].path) +
                    " differ: disks of two versions? (--strict refuses them)");
                break;
            }
        }
    }
}

// Where no disk holds the script at its top, a folder that holds disks in folders of its own
// is named, with the folders to give instead.
std::string ScriptHint(const Import& import) {
    for (const SourceDisk& disk : import.disks) {
        std::string folders;
        for (const SourceFile& file : disk.files) {
            const std::vector<std::string> parts = PathParts(file.path);
            if (parts.size() == 2 && FoldedName(parts[1]) == kScriptName)
                folders += " " + JoinPath(disk.name, parts[0].c_str());
        }
        if (!folders.empty())
            return "inftool import: hint: " + disk.name +
                   " holds disks in folders: give those, as in import" + folders + " --out ...";
    }
    return "inftool import: hint: give the start disk, the one with " + std::string(kScriptName) +
           " at its top, and the others of its set";
}

// One row a disk, in the order of their numbers: "-" for a disk placed as none, whose files
// go to unlisted/ but for a repeat's, of which nothing is taken.
void PrintTable(const Import& import) {
    std::printf("%-6s %-24s %6s %8s %9s\n", "disk", "from", "files", "listed", "unlisted");
    for (size_t disk : import.Order()) {
        const uint16_t number = import.NumberOf(disk);
        size_t listed = 0;
        for (bool taken : import.taken[disk])
            listed += taken ? 1 : 0;
        const size_t files = import.taken[disk].size();
        const bool repeat = import.repeatOf[disk] != kNone;
        std::printf("%-6s %-24s %6zu %8zu %9zu\n",
                    number == 0 ? "-" : std::to_string(number).c_str(),
                    import.disks[disk].name.c_str(), files, listed, repeat ? 0 : files - listed);
    }
}

// Each file written takes the time its disk gave it, so that build, which dates images by
// their newest input, makes the same images of them again.
bool KeepTimes(const DiskLayout& layout, const StagedMedia& staged, const std::string& out,
               std::string& why) {
    for (const MediaFile& file : layout.files) {
        if (file.modified >= 0 && !SetTimeIn(staged.root, file.path, file.modified, why)) {
            why = JoinPath(out, file.path.c_str()) + ": cannot set its time: " + why;
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
    uint32_t systemCodePage = kDefaultSystemCodePage, oemCodePage = 0;
    if (const char* page = args.Value(kSystemCodePage))
        if (!ParseAnsiCodePage("--system-codepage", page, systemCodePage, why))
            return WrongCall(kImportCommand, why);
    if (const char* page = args.Value(kOemCodePage))
        if (!ParseOemCodePage("--oem-codepage", page, oemCodePage, why))
            return WrongCall(kImportCommand, why);
    UseCodePages(systemCodePage, oemCodePage);
    if (!PrepareOut(out, args.Has(kForce), ImageBeside::kIgnored, read, "import", folder, why))
        return Refuse({why});

    Import import;
    import.outName = out;
    // A length to measure names against, not a path that is written.
    import.outLength = std::filesystem::absolute(out).string().size();
    Scratch scratch;
    scratch.beside = &folder.out;
    for (const std::string& input : inputs) {
        std::vector<SourceDisk> held;
        if (!ReadDisksOf(input, scratch, held, why)) import.errors.push_back(input + ": " + why);
        for (SourceDisk& disk : held) {
            import.taken.emplace_back(disk.files.size(), false);
            import.disks.push_back(std::move(disk));
        }
    }
    DropScratch(scratch);
    if (!import.errors.empty()) return Refuse(import.errors);
    FindRepeats(import);
    if (!FindScriptDisk(import))
        return Refuse({std::string("none of the disks holds ") + kScriptName + " at its top\n" +
                       ScriptHint(import)});

    const SourceDisk& scriptDisk = import.disks[import.scriptDisk];
    ScriptReport report;
    CheckScriptText(scriptDisk.files[scriptDisk.Find(kScriptName)].bytes, report);
    PlaceDisks(import);
    CheckVersions(import);
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

    for (const std::string& warning : import.warnings)
        std::fprintf(stderr, "inftool import: warning: %s\n", warning.c_str());
    if (args.Has(kStrict) && !import.warnings.empty())
        return Refuse({"--strict: the disks draw " + std::to_string(import.warnings.size()) +
                       " warning" + (import.warnings.size() == 1 ? "" : "s")});
    if (!ClaimOut(folder, why)) return Refuse({why}, kExitWrite);
    if (!MayTakeOut(folder, why)) return Refuse({why});
    StagedMedia staged;
    if (!StageMedia(folder, {import.out.layout}, {}, staged, why)) return Refuse({why}, kExitWrite);
    if (!KeepTimes(import.out.layout, staged, out, why)) {
        DiscardStagedMedia(folder, staged);
        return Refuse({why}, kExitWrite);
    }
    const Placed placed = PutMediaInPlace(folder, staged, why);
    const int status = WrittenStatus("import", placed, why, kNothingWritten);
    if (placed == Placed::kNothing || placed == Placed::kPartly) return status;
    PrintTable(import);
    for (const std::string& note : notes)
        std::printf("%s\n", note.c_str());
    if (!kept.empty()) {
        std::string list;
        for (const std::string& path : kept)
            list += (list.empty() ? "" : ", ") + path;
        std::printf("%s: note: %zu files the script does not list, kept in %s: %s\n", out.c_str(),
                    kept.size(), JoinPath(out, unlisted.c_str()).c_str(), list.c_str());
    }
    const size_t warnings = import.warnings.size();
    if (warnings != 0)
        std::printf("inftool import: imported, with %zu warning%s\n", warnings,
                    warnings == 1 ? "" : "s");
    return status;
}

} // namespace

const Command kImportCommand = {
    "import",
    "IMAGE|FOLDER...",
    1,
    kAnyCount,
    "brings a finished set of disks back to what build takes",
    "IMAGE|FOLDER: each disk of the set, as a raw FAT12 or FAT16 image or a folder of its\n"
    "  files, in any order: each is placed by the files it holds, the one with SETUP.INF\n"
    "  as the start disk; an image may be IMD, TD0 or CQM, and a zip, 7z, tar or ISO may\n"
    "  hold the images, the disks' folders or one tree of the whole set\n"
    "Writes DIR/SETUP.INF, DIR/setup.exe and DIR/photo/setup.EXE as found, and every file the\n"
    "script lists as its original in DIR/<[Dirs] name>/<destination name>, expanded and\n"
    "checked against the length its header gives; every other file of the disks goes to\n"
    "DIR/unlisted/disk<n>/, so that nothing on the disks is lost.\n",
    kImportOptions,
    std::size(kImportOptions),
    RunImport};
