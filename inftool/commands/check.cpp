#include "commands/commands.h"
#include "media/disks.h"
#include "media/media_check.h"
#include "media/script_check.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int RunCheck(int argc, char** argv) {
    const char* path = nullptr;
    std::vector<std::string> media;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--media") == 0 && i + 1 < argc) {
            media.push_back(argv[++i]);
        } else if (argv[i][0] != '-' && path == nullptr) {
            path = argv[i];
        } else {
            return UsageError("check");
        }
    }
    if (path == nullptr) return UsageError("check");

    ScriptReport report;
    if (!CheckScript(path, report)) {
        std::fprintf(stderr, "inftool: cannot read %s\n", path);
        return kExitNotRead;
    }
    const size_t diskCount = DisksInUse().size();
    if (media.size() > 1 && media.size() != diskCount) {
        std::fprintf(stderr,
                     "inftool check: %zu --media folders for the %zu disks %s uses; give one "
                     "folder for all disks or one per disk in disk order\n",
                     media.size(), diskCount, path);
        return kExitUsage;
    }
    MediaReport checked;
    if (!media.empty()) {
        checked = CheckMedia(media, report);
        for (Warning& warning : checked.warnings)
            report.warnings.push_back(std::move(warning));
    }
    PrintWarnings(path, report.warnings);
    if (!checked.note.empty()) std::printf("%s\n", checked.note.c_str());
    return report.warnings.empty() ? kExitOk : kExitWarnings;
}
