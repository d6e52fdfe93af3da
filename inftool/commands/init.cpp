#include "cli/exit_codes.h"
#include "commands/commands.h"
#include "commands/written.h"
#include "formats/floppy.h"
#include "media/starter_script.h"
#include "platform/files.h"
#include "platform/identity.h"

#include "common/media_layout.h"
#include "parser.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace {

// What the first disk keeps for an installer that --setup does not name: more than the
// shipped setup.exe may take (its budget is 28,672 bytes and 2,560 a translation).
constexpr uint64_t kInstallerAllowance = 65536;
constexpr size_t kAppNameLength = 29; // it is also GroupName's title, of width 30

enum InitOption { kOut, kDiskSize, kSetup, kFollowOn, kForce };
constexpr Option kInitOptions[] = {
    {"out", "FILE", kRequired, "the script to write; - writes it to standard output"},
    {"disk-size", "SIZE", 0, kDiskSizeHelp},
    {"setup", "FILE", 0, "the installer, to count its size on the first disk"},
    {"follow-on", "FILE", 0, "the main setup, to count its size on the first disk"},
    {"force", nullptr, 0, "replaces a FILE that exists"},
};

int Refuse(const std::string& why) {
    std::fprintf(stderr, "inftool init: %s\n", why.c_str());
    std::fputs("inftool init: nothing was written\n", stderr);
    return kExitRefused;
}

// The placeholder of the application's name: the folder's own name, as far as a script
// holds it.
std::string AppNameOf(const std::string& folder) {
    std::string name;
    for (char c : std::filesystem::absolute(folder).lexically_normal().filename().string())
        if (c >= ' ' && c <= '~' && c != ',' && name.size() < kAppNameLength) name += c;
    if (name.empty() || name == ".") name = "Application";
    return name;
}

// The installer's own files on the first disk, as large as given, or as allowed for.
bool OwnFiles(const Arguments& args, std::vector<SizedFile>& files, std::string& why) {
    files = {{kInstallerName, kInstallerAllowance},
             {kScriptName, kScriptReadSize},
             {"photo/setup.EXE", 0}};
    const InitOption options[] = {kSetup, kFollowOn};
    for (size_t i = 0; i < 2; ++i) {
        const char* path = args.Value(options[i]);
        if (path == nullptr) continue;
        if (!IsRegularFile(path, &files[i == 0 ? 0 : 2].size)) {
            why = std::string(path) + ": not a file";
            return false;
        }
    }
    return true;
}

int RunInit(const Arguments& args) {
    const char* folder = args.operands[0];
    const char* out = args.Value(kOut);
    DiskFormat format = kUnlimitedDisk;
    const char* diskSize = args.Value(kDiskSize);
    if (diskSize != nullptr && !ParseDiskSize(diskSize, format))
        return WrongCall(kInitCommand,
                         std::string("--disk-size ") + diskSize + ": not one of " + kDiskSizeHelp);
    const bool toStdout = IsStandardStream(out);
    OutPath outPath;
    std::string why;
    if (!ResolveOutputFile(out, outPath, why)) return Refuse(std::string(out) + ": " + why);
    if (!toStdout && !args.Has(kForce) && Look(outPath.at, outPath.name, false).exists)
        return Refuse(std::string(out) + ": exists (--force replaces it)");

    StarterPlan plan;
    std::vector<std::string> errors;
    if (!FindOriginals(folder, plan, errors)) {
        for (const std::string& fault : errors)
            std::fprintf(stderr, "inftool init: %s\n", fault.c_str());
        return Refuse(std::to_string(errors.size()) + " file" + (errors.size() == 1 ? "" : "s") +
                      " or folder" + (errors.size() == 1 ? "" : "s") + " the script cannot take");
    }
    if (plan.files.empty())
        return Refuse(std::string(folder) +
                      ": no originals, in it or in its WINDOWS, TWAIN_32 or TWAIN folder");
    std::vector<SizedFile> own;
    if (!OwnFiles(args, own, why) || !PlanDisks(format, own, plan, why)) return Refuse(why);
    // DIR is read whole: a script written inside it would be listed by the next init.
    std::vector<InputPath> read = {{folder, true}};
    for (const char* given : {args.Value(kSetup), args.Value(kFollowOn)})
        if (given != nullptr) read.push_back({given, false});
    for (const StarterFile& file : plan.files)
        read.push_back({JoinPath(folder, file.path.c_str()), false});
    if (!toStdout && !OutputSparesInputs(outPath, read, "init", why)) return Refuse(why);
    if (!TakesAFile(outPath, why)) return Refuse(std::string(out) + ": " + why);
    const std::string text = StarterScriptText(AppNameOf(folder), plan);
    if (text.size() > kScriptReadSize)
        return Refuse("the script would be " + std::to_string(text.size()) +
                      " bytes, more than the installer reads (" + std::to_string(kScriptReadSize) +
                      ")");
    const Placed placed =
        WriteOutputFile(outPath, std::vector<uint8_t>(text.begin(), text.end()), why);
    const int status =
        WrittenStatus("init", placed,
                      placed == Placed::kNothing ? std::string(toStdout ? "standard output" : out) +
                                                       ": cannot write: " + why
                                                 : why,
                      "");
    if (placed == Placed::kNothing || placed == Placed::kPartly) return status;
    // The script on standard output is kept clean of the report, which goes to stderr.
    std::FILE* report = toStdout ? stderr : stdout;
    const char* shown = toStdout ? "standard output" : out;
    size_t compressed = 0;
    for (const StarterFile& file : plan.files)
        compressed += file.compressed ? 1 : 0;
    std::fprintf(report, "%s: %zu files, %zu of them compressed, on %u disk%s\n", shown,
                 plan.files.size(), compressed, plan.disks, plan.disks == 1 ? "" : "s");
    if (format.capacity != 0 && !args.Has(kSetup))
        std::fprintf(report,
                     "%s: note: disk 1 keeps %llu bytes for setup.exe (--setup counts its size)\n",
                     shown, static_cast<unsigned long long>(kInstallerAllowance));
    if (format.capacity != 0 && !args.Has(kFollowOn))
        std::fprintf(report,
                     "%s: note: disk 1 keeps no room for photo/setup.EXE (--follow-on counts it)\n",
                     shown);
    return status;
}

constexpr char kInitSummary[] = "writes a starter script for a folder of original files";
constexpr char kInitDetails[] =
    "DIR: the originals; its own files and those of DIR/WINDOWS go to the Windows directory,\n"
    "those of DIR/TWAIN_32 or DIR/TWAIN to TWAIN_32; any other folder is refused.\n"
    "Each file gets an entry with a description made from its name, compressed where that\n"
    "saves room, on the disks SIZE needs; the [Application] values are placeholders.\n";

} // namespace

const Command kInitCommand = {
    "init", "DIR", 1, 1, kInitSummary, kInitDetails, kInitOptions, std::size(kInitOptions),
    RunInit};
