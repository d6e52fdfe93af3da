#include "cli/exit_codes.h"
#include "commands/commands.h"
#include "media/disks.h"
#include "media/media_check.h"
#include "media/script_check.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/input_file.h"

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum CheckOption { kMedia, kSystemCodePage };
constexpr Option kCheckOptions[] = {
    {"media", "PATH", kRepeatable,
     "the media: one folder for all disks, or one folder or image per disk"},
    {"system-codepage", "N", 0, "walks names as a Windows of ANSI code page N does"},
};

int RunCheck(const Arguments& args) {
    const char* path = args.operands[0];
    std::vector<std::string> media(args.Values(kMedia).begin(), args.Values(kMedia).end());

    ScriptReport report;
    std::string why;
    uint32_t codePage = 0;
    if (const char* page = args.Value(kSystemCodePage)) {
        if (!ParseAnsiCodePage("--system-codepage", page, codePage, why))
            return WrongCall(kCheckCommand, why);
        UseCodePages(codePage);
    }
    if ((!IsStandardStream(path) && !CheckInputFile(path, why)) ||
        !CheckScript(path, report, why)) {
        std::fprintf(stderr, "inftool check: %s: cannot read: %s\n", path, why.c_str());
        return kExitRefused;
    }
    const size_t diskCount = DisksInUse().size();
    if (media.size() > 1 && media.size() != diskCount) {
        return WrongCall(kCheckCommand, std::to_string(media.size()) + " --media folders for the " +
                                            std::to_string(diskCount) + " disks " + path +
                                            " uses; give one folder for all disks or one per "
                                            "disk in disk order");
    }
    MediaReport checked;
    if (!media.empty()) {
        std::vector<MediaDisk> disks;
        if (!OpenMedia(media, disks, why)) {
            std::fprintf(stderr, "inftool check: %s\n", why.c_str());
            return kExitRefused;
        }
        checked = CheckMedia(disks, report);
        for (Warning& warning : checked.warnings)
            report.warnings.push_back(std::move(warning));
    }
    PrintWarnings(path, report.warnings);
    if (!checked.note.empty()) std::printf("%s\n", checked.note.c_str());
    PrintErrors(path, checked.errors);
    if (!checked.errors.empty()) return kExitRefused;
    return report.warnings.empty() ? kExitOk : kExitWarnings;
}

constexpr char kCheckSummary[] =
    "warns of what the installer would drop, change or get wrong in a script";
constexpr char kCheckDetails[] =
    "FILE: the script, judged as the installer reads it; - reads standard input\n"
    "With --media, also of what the installer would miss on the media, each compressed file\n"
    "expanded in memory; notes whether the first disk's setup.exe is signed (not verified).\n"
    "PATH: a folder, or an image read without a mount: raw FAT, IMD, TD0, CQM, or an ISO or\n"
    "  archive of one tree.\n"
    "With --system-codepage 932, 936, 949 or 950, a byte 0x5C that ends a two-byte character\n"
    "is no folder separator, as on such a Windows.\n";

} // namespace

const Command kCheckCommand = {
    "check", "FILE", 1, 1, kCheckSummary, kCheckDetails, kCheckOptions, std::size(kCheckOptions),
    RunCheck};
