#include "cli/exit_codes.h"
#include "commands/commands.h"
#include "commands/written.h"
#include "formats/fat_image.h"
#include "formats/fat_names.h"
#include "formats/floppy.h"
#include "formats/iso_image.h"
#include "media/layout.h"
#include "media/media_check.h"
#include "media/media_writer.h"
#include "formats/script_text.h"
#include "media/script_check.h"
#include "platform/code_page.h"
#include "platform/files.h"

#include "catalogue.h"
#include "common/media_layout.h"
#include "inf_query.h"
#include "parser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr char kNothingBuilt[] = "inftool build: nothing was built\n";

struct BuildOptions {
    BuildInputs inputs;
    std::string out;
    DiskFormat format = kUnlimitedDisk;
    bool replace = false;
    bool images = false;
    bool cd = false;
    std::string volume; // --volume, else the script's AppName cut to kCdVolumeChars
    bool strict = false;
    uint32_t codePage = 0;       // 0: the script is written in the code page it is in
    uint32_t systemCodePage = 0; // the installer's ANSI code page; 0: --codepage
    uint32_t oemCodePage = 0;    // of short names on the disks; 0: from the ANSI code page
};

enum BuildOption {
    kFrom,
    kSetup,
    kFollowOn,
    kOut,
    kDiskSize,
    kImages,
    kCd,
    kVolume,
    kForce,
    kStrict,
    kCodePage,
    kSystemCodePage,
    kOemCodePage
};
constexpr Option kBuildOptions[] = {
    {"from", "DIR", kRequired, "the originals, in DIR/<[Dirs] name> or in DIR itself"},
    {"setup", "FILE", kRequired, "the installer, setup.exe on the first disk"},
    {"follow-on", "FILE", kRequired, "the main setup, photo/setup.EXE on the first disk"},
    {"out", "OUT", kRequired, "the media: made whole or not at all"},
    {"disk-size", "SIZE", 0, kDiskSizeHelp},
    {"images", nullptr, 0, "also a FAT12 image of each floppy: OUT/DISK<n>.IMG or OUT.IMG"},
    {"cd", nullptr, 0, "one CD instead of floppies: every disk in the one tree OUT, and OUT.ISO"},
    {"volume", "NAME", 0, "the CD's volume name (default: the script's AppName, 16 characters)"},
    {"force", nullptr, 0, "replaces an OUT (and OUT.IMG or OUT.ISO) that is not empty"},
    {"strict", nullptr, 0, "builds nothing when the script or the media draw a warning"},
    {"codepage", "N", 0, "converts a UTF-8 script into the ANSI code page N (1252, 932...)"},
    {"system-codepage", "N", 0,
     "the installer's ANSI code page, in which names are walked and read (default: --codepage)"},
    {"oem-codepage", "N", 0,
     "the code page of short names on the disks (default: 850 for 1252, 866 for 1251...)"},
};

bool IsCdVolumeName(const std::string& name) {
    return !name.empty() && name.size() <= kCdVolumeChars &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

// The script's AppName, cut to what a CD's volume name holds, bytes outside printable ASCII
// as "_" (a code page's letters have no one spelling there); "CD" for a blank one.
std::string DefaultVolume() {
    char name[kAppNameWidth] = {};
    InfQuery(GetAppName, 0, name);
    std::string volume = std::string(name).substr(0, kCdVolumeChars);
    for (char& c : volume)
        if (c < ' ' || c > '~') c = '_';
    while (!volume.empty() && volume.back() == ' ')
        volume.pop_back();
    return volume.empty() ? "CD" : volume;
}

// False, with why, when a value is not one the option takes.
bool ReadOptions(const Arguments& args, BuildOptions& options, std::string& why) {
    options.inputs = {
        args.operands[0], {}, args.Value(kFrom), args.Value(kSetup), args.Value(kFollowOn)};
    options.out = args.Value(kOut);
    options.replace = args.Has(kForce);
    options.images = args.Has(kImages);
    options.cd = args.Has(kCd);
    options.strict = args.Has(kStrict);
    if (const char* page = args.Value(kCodePage))
        if (!ParseAnsiCodePage("--codepage", page, options.codePage, why)) return false;
    options.systemCodePage = options.codePage;
    if (const char* page = args.Value(kSystemCodePage))
        if (!ParseAnsiCodePage("--system-codepage", page, options.systemCodePage, why))
            return false;
    if (const char* page = args.Value(kOemCodePage))
        if (!ParseOemCodePage("--oem-codepage", page, options.oemCodePage, why)) return false;
    const char* diskSize = args.Value(kDiskSize);
    if (diskSize != nullptr && !ParseDiskSize(diskSize, options.format)) {
        why = std::string("--disk-size ") + diskSize + ": not one of " + kDiskSizeHelp;
        return false;
    }
    if (options.cd && (diskSize != nullptr || options.images)) {
        why = "--cd lays out one CD; --disk-size and --images are for floppies";
        return false;
    }
    if (const char* volume = args.Value(kVolume)) {
        options.volume = volume;
        if (!options.cd) {
            why = "--volume names the CD of --cd";
            return false;
        }
        if (!IsCdVolumeName(options.volume)) {
            why = "--volume " + options.volume + ": not 1 to " + std::to_string(kCdVolumeChars) +
                  " printable ASCII characters";
            return false;
        }
    }
    return true;
}

void ReportErrors(const std::string& script, const std::vector<LayoutError>& errors) {
    for (const LayoutError& error : errors) {
        if (error.line == 0)
            std::fprintf(stderr, "inftool build: %s\n", error.text.c_str());
        else
            std::fprintf(stderr, "%s:%u: error: %s\n", script.c_str(), error.line,
                         error.text.c_str());
    }
}

// The table, one row per disk, in table; false when a disk exceeds the format, each such
// disk named on stderr with its largest file.
bool DiskTable(const std::vector<DiskLayout>& disks, const DiskFormat& format, std::string& table) {
    bool fits = true;
    char row[160];
    std::snprintf(row, sizeof row, "%-6s %-8s %6s %12s %12s %18s\n", "disk", "folder", "files",
                  "bytes used", "bytes free", "compression saved");
    table = row;
    for (const DiskLayout& disk : disks) {
        std::vector<SizedFile> sized;
        long long saved = 0;
        const MediaFile* largest = nullptr;
        for (const MediaFile& file : disk.files) {
            sized.push_back({file.path, file.bytes.size()});
            saved += static_cast<long long>(file.originalSize) -
                     static_cast<long long>(file.bytes.size());
            if (largest == nullptr || file.bytes.size() > largest->bytes.size()) largest = &file;
        }
        const DiskUsage usage = MeasureDisk(sized, format);
        const long long free =
            static_cast<long long>(format.capacity) - static_cast<long long>(usage.usedBytes);
        std::snprintf(row, sizeof row, "%-6u %-8s %6zu %12llu %12s %18lld\n", disk.number,
                      disk.folder.empty() ? "." : disk.folder.c_str(), disk.files.size(),
                      static_cast<unsigned long long>(usage.usedBytes),
                      format.capacity == 0 ? "-" : std::to_string(free).c_str(), saved);
        table += row;
        if (DiskHolds(usage, format)) continue;
        fits = false;
        if (free < 0) {
            const bool alone = largest != nullptr && largest->bytes.size() > format.capacity;
            std::fprintf(stderr,
                         "inftool build: disk %u is over capacity by %lld bytes; its largest file "
                         "is %s (%zu bytes%s): %s\n",
                         disk.number, -free, largest != nullptr ? largest->path.c_str() : "-",
                         largest != nullptr ? largest->bytes.size() : size_t{0},
                         largest != nullptr && largest->line != 0
                             ? (", line " + std::to_string(largest->line)).c_str()
                             : "",
                         alone ? "it fits no disk of this size; give a larger --disk-size"
                               : "move it or others to another disk of [Disks], or give a "
                                 "larger --disk-size");
        }
        if (format.rootEntries != 0 && usage.rootEntries > format.rootEntries)
            std::fprintf(stderr,
                         "inftool build: disk %u needs %u root directory entries, %u more than "
                         "the %u it holds\n",
                         disk.number, usage.rootEntries, usage.rootEntries - format.rootEntries,
                         format.rootEntries);
    }
    return fits;
}

// Every timestamp of the images is SOURCE_DATE_EPOCH where it is set, else the newest input's,
// so that the same inputs give the same images. False when it is set to no number of seconds.
bool ReadSourceDateEpoch(bool& set, int64_t& seconds) {
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    set = text != nullptr && *text != '\0';
    seconds = 0;
    for (const char* c = set ? text : ""; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || seconds > (INT64_MAX - 9) / 10) {
            std::fprintf(stderr,
                         "inftool build: SOURCE_DATE_EPOCH \"%s\" is not a number of seconds\n",
                         text);
            return false;
        }
        seconds = seconds * 10 + (*c - '0');
    }
    return true;
}

int64_t NewestInput(const std::vector<DiskLayout>& disks) {
    int64_t newest = 0;
    for (const DiskLayout& disk : disks)
        for (const MediaFile& file : disk.files)
            newest = std::max(newest, file.modified);
    return newest;
}

bool MakeImages(const std::vector<DiskLayout>& disks, const FloppyGeometry& floppy, int64_t seconds,
                std::vector<std::vector<uint8_t>>& images) {
    images.resize(disks.size());
    for (size_t i = 0; i < disks.size(); ++i) {
        std::vector<ImageFile> files;
        for (const MediaFile& file : disks[i].files)
            files.push_back({file.path, &file.bytes});
        std::string why;
        if (!MakeFatImage(floppy, files, VolumeLabel(disks[i].name, disks[i].number),
                          FatTimeOf(seconds), images[i], why)) {
            std::fprintf(stderr, "inftool build: disk %u: %s\n", disks[i].number, why.c_str());
            return false;
        }
    }
    return true;
}

// The CD's line goes before what is held, where it stood when it was printed at once, so that
// it reaches standard output only with the media made.
bool MakeCdImage(const DiskLayout& cd, const std::string& volume, int64_t seconds,
                 std::vector<std::vector<uint8_t>>& images, std::string& held) {
    std::vector<ImageFile> files;
    for (const MediaFile& file : cd.files)
        files.push_back({file.path, &file.bytes});
    images.resize(1);
    std::string why;
    if (!MakeIsoImage(files, volume, seconds, images.front(), why)) {
        std::fprintf(stderr, "inftool build: %s\n", why.c_str());
        return false;
    }
    char line[160];
    std::snprintf(line, sizeof line, "CD \"%s\": %zu sectors of %u bytes, %zu free\n",
                  volume.c_str(), images.front().size() / kCdSectorBytes, kCdSectorBytes,
                  kCdSectors - images.front().size() / kCdSectorBytes);
    held.insert(0, line);
    return true;
}

int Refuse(const std::string& held = {}) {
    std::fputs(held.c_str(), stderr);
    std::fputs(kNothingBuilt, stderr);
    return kExitRefused;
}

// The script as it goes onto the first disk, judged as the installer will read it there; its
// note and warnings are added to held under the source's name, whose line numbers they keep.
// False when it cannot be made.
bool MakeScript(const BuildOptions& options, BuildInputs& inputs, ScriptReport& report,
                std::string& held) {
    const char* path = inputs.script.c_str();
    std::vector<uint8_t> source;
    std::string why;
    if (!ReadWholeFile(path, source, why)) {
        std::fprintf(stderr, "inftool build: %s: cannot read: %s\n", path, why.c_str());
        return false;
    }
    MediaScriptChanges changes;
    std::vector<ScriptTextFault> faults;
    if (!MakeMediaScript(source, options.codePage, inputs.scriptText, changes, faults)) {
        for (const ScriptTextFault& fault : faults) {
            if (fault.line == 0)
                std::fprintf(stderr, "inftool build: %s\n", fault.text.c_str());
            else
                std::fprintf(stderr, "%s:%u: error: %s\n", path, fault.line, fault.text.c_str());
        }
        return false;
    }
    CheckScriptText(inputs.scriptText, report);
    const std::string note = DescribeChanges(changes);
    if (!note.empty()) held += std::string(path) + ": note: " + note + "\n";
    if (inputs.scriptText.size() > kScriptReadSize && !report.readsToEnd) {
        std::fprintf(stderr,
                     "%s: error: %zu bytes as written; the installer reads the first %u, and "
                     "they end before the line of [End]\n",
                     path, inputs.scriptText.size(), kScriptReadSize);
        return false;
    }
    held += WarningLines(path, report.warnings);
    return true;
}

// The check of the staged media, named as out was given, as check --media would print it
// once they are in place, its warnings added to held; what the script alone draws was before.
MediaReport CheckStaged(const std::string& out, const StagedMedia& staged,
                        const std::vector<DiskLayout>& disks, const ScriptReport& script,
                        std::string& held) {
    std::vector<std::string> folders;
    std::string start;
    for (const DiskLayout& disk : disks) {
        folders.push_back(disk.folder.empty() ? staged.path : staged.path + "/" + disk.folder);
        for (const MediaFile& file : disk.files)
            if (file.line == 0 && file.path == kScriptName) start = disk.folder;
    }
    MediaReport media = CheckMedia(folders, script);
    std::string shown = std::filesystem::path(out).lexically_normal().string();
    if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
    for (std::vector<Warning>* list : {&media.warnings, &media.errors})
        for (Warning& warning : *list)
            warning.text = Renamed(warning.text, staged.path, shown);
    media.note = Renamed(media.note, staged.path, shown);
    const std::string written = JoinPath(JoinPath(shown, start.c_str()), kScriptName);
    held += WarningLines(written.c_str(), media.warnings);
    PrintErrors(written.c_str(), media.errors);
    return media;
}

int RunBuild(const Arguments& args) {
    BuildOptions options;
    std::string why;
    if (!ReadOptions(args, options, why)) return WrongCall(kBuildCommand, why);
    UseCodePages(options.systemCodePage, options.oemCodePage);
    BuildInputs& inputs = options.inputs;
    bool epochSet = false;
    int64_t imageTime = 0;
    if (options.images && options.format.floppy == nullptr) {
        std::fputs("inftool build: --images needs the --disk-size of a floppy\n", stderr);
        return Refuse();
    }
    if (options.cd && !CanWriteIso()) {
        std::fprintf(stderr, "inftool build: --cd: %s\n", kIsoWriterMissing);
        return Refuse();
    }
    if ((options.images || options.cd) && !ReadSourceDateEpoch(epochSet, imageTime))
        return Refuse();
    std::error_code error;
    if (!std::filesystem::is_directory(inputs.originals, error)) {
        std::fprintf(stderr, "inftool build: %s: not a folder\n", inputs.originals.c_str());
        return Refuse();
    }

    // Notes and warnings wait for the media: a refusal prints them on stderr, before its last
    // line, and nothing on stdout, so that a log of a refusal never reads as a success.
    std::string held;
    ScriptReport report;
    if (!MakeScript(options, inputs, report, held)) return Refuse(held);
    size_t warnings = report.warnings.size();
    if (options.strict && warnings != 0) {
        std::fprintf(stderr, "inftool build: --strict: the script draws %zu warning%s\n", warnings,
                     warnings == 1 ? "" : "s");
        return Refuse(held);
    }

    std::vector<DiskLayout> disks;
    std::vector<LayoutError> errors;
    bool buildable = PlanMedia(inputs, report.fileLines, disks, errors);
    if (buildable && options.cd) buildable = PlanCd(disks, errors);
    ReportErrors(inputs.script, errors);
    // The table goes to standard output only with media made: a refusal prints nothing there.
    std::string table;
    if (buildable) buildable = DiskTable(disks, options.format, table);

    std::vector<InputPath> read = {{inputs.script, false}, {inputs.originals, false}};
    for (const DiskLayout& disk : disks)
        for (const MediaFile& file : disk.files)
            read.push_back({file.from, false});
    OutFolder out;
    const ImageBeside image = options.cd                            ? ImageBeside::kWrittenIso
                              : options.images && disks.size() == 1 ? ImageBeside::kWritten
                                                                    : ImageBeside::kNone;
    if (!PrepareOut(options.out, options.replace, image, read, "build", out, why)) {
        std::fprintf(stderr, "inftool build: %s\n", why.c_str());
        buildable = false;
    }
    std::vector<std::vector<uint8_t>> images;
    if (buildable && options.images)
        buildable = MakeImages(disks, *options.format.floppy,
                               epochSet ? imageTime : NewestInput(disks), images);
    if (buildable && options.cd)
        buildable =
            MakeCdImage(disks.front(), options.volume.empty() ? DefaultVolume() : options.volume,
                        epochSet ? imageTime : NewestInput(disks), images, held);
    if (!buildable) return Refuse(held);
    if (!ClaimOut(out, why)) {
        std::fprintf(stderr, "inftool build: %s\n%s%s", why.c_str(), held.c_str(), kNothingBuilt);
        return kExitWrite;
    }
    if (!MayTakeOut(out, why)) {
        std::fprintf(stderr, "inftool build: %s\n", why.c_str());
        return Refuse(held);
    }

    StagedMedia staged;
    if (!StageMedia(out, disks, images, staged, why)) {
        std::fprintf(stderr, "inftool build: %s\n%s", why.c_str(), held.c_str());
        std::fputs(kNothingBuilt, stderr);
        return kExitWrite;
    }
    const MediaReport media = CheckStaged(options.out, staged, disks, report, held);
    warnings += media.warnings.size();
    if (!media.errors.empty()) {
        DiscardStagedMedia(out, staged);
        std::fprintf(stderr, "%s%s", held.c_str(), kNothingBuilt);
        return kExitWrite;
    }
    if (options.strict && warnings != 0) {
        DiscardStagedMedia(out, staged);
        std::fprintf(stderr, "inftool build: --strict: the media draw %zu warning%s\n", warnings,
                     warnings == 1 ? "" : "s");
        return Refuse(held);
    }
    const Placed placed = PutMediaInPlace(out, staged, why);
    if (placed == Placed::kNothing || placed == Placed::kPartly) std::fputs(held.c_str(), stderr);
    const int status = WrittenStatus("build", placed, why, kNothingBuilt);
    if (placed == Placed::kNothing || placed == Placed::kPartly) return status;
    std::fputs(held.c_str(), stdout);
    std::fputs(table.c_str(), stdout);
    if (!media.note.empty()) std::printf("%s\n", media.note.c_str());
    if (warnings != 0)
        std::printf("inftool build: built, with %zu warning%s\n", warnings,
                    warnings == 1 ? "" : "s");
    return status;
}

constexpr char kBuildSummary[] = "lays out finished media from a script and the original files";
constexpr char kBuildDetails[] =
    "SCRIPT: the setup script, which says which disk each file goes on\n"
    "Compresses what the script marks compressed, copies the rest, puts the installer, the\n"
    "script and the main setup on the first disk, counts every disk as a FAT12 floppy of\n"
    "SIZE, and ends with the check of what it wrote. With --cd, every disk goes into the\n"
    "one tree OUT, written as the CD image OUT.ISO too.\n";

} // namespace

const Command kBuildCommand = {
    "build", "SCRIPT", 1, 1, kBuildSummary, kBuildDetails, kBuildOptions, std::size(kBuildOptions),
    RunBuild};
