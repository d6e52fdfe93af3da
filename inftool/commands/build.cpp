#include "cli/exit_codes.h"
#include "commands/commands.h"
#include "formats/fat_image.h"
#include "formats/fat_names.h"
#include "formats/floppy.h"
#include "media/layout.h"
#include "media/media_check.h"
#include "media/media_writer.h"
#include "media/script_check.h"
#include "platform/files.h"

#include "common/media_layout.h"

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
};

enum BuildOption { kFrom, kSetup, kFollowOn, kOut, kDiskSize, kImages, kForce };
constexpr Option kBuildOptions[] = {
    {"from", "DIR", kRequired, "the originals, in DIR/<[Dirs] name> or in DIR itself"},
    {"setup", "FILE", kRequired, "the installer, setup.exe on the first disk"},
    {"follow-on", "FILE", kRequired, "the main setup, photo/setup.EXE on the first disk"},
    {"out", "OUT", kRequired, "the media: made whole or not at all"},
    {"disk-size", "SIZE", 0, "1.44M, 1.2M, 720K, 360K (floppies) or a byte count"},
    {"images", nullptr, 0, "also a FAT12 image of each floppy: OUT/DISK<n>.IMG or OUT.IMG"},
    {"force", nullptr, 0, "replaces an OUT (and OUT.IMG) that is not empty"},
};

// False, with why, when a value is not one the option takes.
bool ReadOptions(const Arguments& args, BuildOptions& options, std::string& why) {
    options.inputs = {args.operands[0], args.Value(kFrom), args.Value(kSetup),
                      args.Value(kFollowOn)};
    options.out = args.Value(kOut);
    options.replace = args.Has(kForce);
    options.images = args.Has(kImages);
    const char* diskSize = args.Value(kDiskSize);
    if (diskSize != nullptr && !ParseDiskSize(diskSize, options.format)) {
        why = std::string("--disk-size ") + diskSize + ": neither a floppy size nor a byte count";
        return false;
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

// Prints one row per disk; false when a disk exceeds the format.
bool PrintDiskTable(const std::vector<DiskLayout>& disks, const DiskFormat& format) {
    bool fits = true;
    std::printf("%-6s %-8s %6s %12s %12s %18s\n", "disk", "folder", "files", "bytes used",
                "bytes free", "compression saved");
    for (const DiskLayout& disk : disks) {
        std::vector<SizedFile> sized;
        long long saved = 0;
        for (const MediaFile& file : disk.files) {
            sized.push_back({file.path, file.bytes.size()});
            saved += static_cast<long long>(file.originalSize) -
                     static_cast<long long>(file.bytes.size());
        }
        const DiskUsage usage = MeasureDisk(sized, format);
        const long long free =
            static_cast<long long>(format.capacity) - static_cast<long long>(usage.usedBytes);
        std::printf("%-6u %-8s %6zu %12llu %12s %18lld\n", disk.number,
                    disk.folder.empty() ? "." : disk.folder.c_str(), disk.files.size(),
                    static_cast<unsigned long long>(usage.usedBytes),
                    format.capacity == 0 ? "-" : std::to_string(free).c_str(), saved);
        if (format.capacity != 0 && free < 0) {
            std::fprintf(stderr, "inftool build: disk %u is over capacity by %lld bytes\n",
                         disk.number, -free);
            fits = false;
        }
        if (format.rootEntries != 0 && usage.rootEntries > format.rootEntries) {
            std::fprintf(stderr,
                         "inftool build: disk %u needs %u root directory entries, %u more than "
                         "the %u it holds\n",
                         disk.number, usage.rootEntries, usage.rootEntries - format.rootEntries,
                         format.rootEntries);
            fits = false;
        }
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

// The check of the media as written, named as out was given; check --media would print the
// same, and what the script alone draws was printed before the build.
int CheckResult(const std::string& out, const std::vector<DiskLayout>& disks) {
    std::vector<std::string> folders;
    std::string script;
    for (const DiskLayout& disk : disks) {
        folders.push_back((std::filesystem::path(out) / disk.folder).lexically_normal().string());
        if (folders.back().back() == '/') folders.back().pop_back();
        for (const MediaFile& file : disk.files)
            if (file.line == 0 && file.path == kScriptName) script = folders.back();
    }
    script = JoinPath(script, kScriptName);
    ScriptReport report;
    if (!CheckScript(script.c_str(), report)) {
        std::fprintf(stderr, "inftool build: cannot read back %s\n", script.c_str());
        return kExitNotBuilt;
    }
    const MediaReport media = CheckMedia(folders, report);
    PrintWarnings(script.c_str(), media.warnings);
    if (!media.note.empty()) std::printf("%s\n", media.note.c_str());
    return report.warnings.empty() && media.warnings.empty() ? kExitOk : kExitWarnings;
}

int RunBuild(const Arguments& args) {
    BuildOptions options;
    std::string why;
    if (!ReadOptions(args, options, why)) return WrongCall(kBuildCommand, why);
    const BuildInputs& inputs = options.inputs;
    bool epochSet = false;
    int64_t imageTime = 0;
    if (options.images && options.format.floppy == nullptr) {
        std::fputs("inftool build: --images needs the --disk-size of a floppy\n", stderr);
        std::fputs(kNothingBuilt, stderr);
        return kExitNotBuilt;
    }
    if (options.images && !ReadSourceDateEpoch(epochSet, imageTime)) {
        std::fputs(kNothingBuilt, stderr);
        return kExitNotBuilt;
    }

    ScriptReport report;
    if (!CheckScript(inputs.script.c_str(), report)) {
        std::fprintf(stderr, "inftool build: cannot read %s\n", inputs.script.c_str());
        std::fputs(kNothingBuilt, stderr);
        return kExitNotBuilt;
    }
    PrintWarnings(inputs.script.c_str(), report.warnings);

    std::vector<DiskLayout> disks;
    std::vector<LayoutError> errors;
    bool buildable = PlanMedia(inputs, report.fileLines, disks, errors);
    ReportErrors(inputs.script, errors);
    if (buildable) buildable = PrintDiskTable(disks, options.format);

    OutFolder out;
    if (!PrepareOut(options.out, options.replace, options.images && disks.size() == 1,
                    {inputs.script, inputs.originals, inputs.setup, inputs.followOn}, out, why)) {
        std::fprintf(stderr, "inftool build: %s\n", why.c_str());
        buildable = false;
    }
    std::vector<std::vector<uint8_t>> images;
    if (buildable && options.images)
        buildable = MakeImages(disks, *options.format.floppy,
                               epochSet ? imageTime : NewestInput(disks), images);
    if (!buildable) {
        std::fputs(kNothingBuilt, stderr);
        return kExitNotBuilt;
    }
    if (!WriteMedia(out, disks, images, why)) {
        std::fprintf(stderr, "inftool build: %s\n", why.c_str());
        std::fputs(kNothingBuilt, stderr);
        return kExitNotBuilt;
    }
    return CheckResult(options.out, disks);
}

} // namespace

const Command kBuildCommand = {
    "build",
    "SCRIPT",
    1,
    1,
    "lays out finished media from a script and the original files",
    "SCRIPT: the setup script, which says which disk each file goes on\n"
    "Compresses what the script marks compressed, copies the rest, puts the installer, the\n"
    "script and the main setup on the first disk, counts every disk as a FAT12 floppy of\n"
    "SIZE, and ends with the check of what it wrote.\n",
    kBuildOptions,
    std::size(kBuildOptions),
    RunBuild};
