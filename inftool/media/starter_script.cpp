#include "media/starter_script.h"

#include "formats/fat_names.h"
#include "formats/szdd.h"
#include "platform/files.h"

#include "catalogue.h"
#include "common/media_layout.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr char kWindowsFolder[] = "WINDOWS";
constexpr const char* kTwainFolders[] = {"TWAIN_32", "TWAIN"};

struct Kind {
    const char* extension;
    const char* what;
};

// What a description says of a file, by its extension.
constexpr Kind kKinds[] = {
    {"DLL", "library"},       {"EXE", "program"},
    {"HLP", "help"},          {"INI", "settings"},
    {"DS", "data source"},    {"DRV", "driver"},
    {"VXD", "driver"},        {"SYS", "driver"},
    {"TXT", "text"},          {"INF", "setup information"},
    {"CNT", "help contents"},
};

std::string Extension(const std::string& name) {
    const size_t dot = name.find('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

// "SCANDS.DS" becomes "SCANDS data source", "NOTES.XYZ" "NOTES file".
std::string Description(const std::string& name) {
    const std::string extension = FoldedName(Extension(name));
    const char* what = "file";
    for (const Kind& kind : kKinds)
        if (extension == kind.extension) what = kind.what;
    return name.substr(0, name.find('.')) + " " + what;
}

// An 8.3 name of characters that a short FAT name takes, none of which ends a script field.
bool IsScriptName(const std::string& name) {
    return IsShortName(FoldedName(name));
}

bool IsFolder(const fs::directory_entry& entry) {
    std::error_code error;
    return entry.is_directory(error);
}

// The files of one folder.
void AddFiles(const fs::path& folder, const std::string& shown, uint16_t dir,
              std::vector<StarterFile>& files, std::vector<std::string>& errors) {
    std::vector<StarterFile> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const std::string path = shown.empty() ? name : shown + "/" + name;
        if (IsFolder(entry)) {
            if (!shown.empty()) errors.push_back(path + ": a folder the script has no place for");
            continue;
        }
        if (!IsScriptName(name)) {
            errors.push_back(path + ": not an 8.3 name that a script and a FAT disk can hold");
            continue;
        }
        found.push_back({path, name, dir, 0, 0, false, 1});
    }
    if (error) errors.push_back((shown.empty() ? folder.string() : shown) + ": " + error.message());
    files.insert(files.end(), found.begin(), found.end());
}

// Reads each file for its size in both forms.
void Measure(const std::string& folder, std::vector<StarterFile>& files,
             std::vector<std::string>& errors) {
    for (StarterFile& file : files) {
        std::vector<uint8_t> bytes, packed;
        std::string why;
        if (!ReadWholeFile(JoinPath(folder, file.path.c_str()).c_str(), bytes, why,
                           kSzddMaxExpanded)) {
            errors.push_back(file.path + ": cannot read: " + why);
        } else if (!SzddCompress(bytes.data(), bytes.size(), SzddLastNameChar(file.name.c_str()),
                                 packed)) {
            errors.push_back(file.path + ": larger than " + std::to_string(kSzddMaxExpanded) +
                             " bytes");
        } else {
            file.size = bytes.size();
            file.packedSize = packed.size();
        }
    }
}

uint64_t Clusters(uint64_t bytes, const DiskFormat& format) {
    return (bytes + format.cluster - 1) / format.cluster;
}

std::string SourceName(const StarterFile& file) {
    return file.compressed ? CompressedName(file.name) : file.name;
}

std::string MediaPath(const StarterPlan& plan, const StarterFile& file) {
    return std::string(file.dir == kDestWindows ? kWindowsFolder : plan.twainFolder.c_str()) + "/" +
           SourceName(file);
}

bool Fits(const std::vector<SizedFile>& disk, const DiskFormat& format) {
    return DiskHolds(MeasureDisk(disk, format), format);
}

uint64_t StoredSize(const StarterFile& file) {
    return file.compressed ? file.packedSize : file.size;
}

// Fills disk with what still fits of left, the largest first, so that small files remain to
// open the later disks; what it places leaves left and is noted as on number.
void FillDisk(std::vector<SizedFile>& disk, const DiskFormat& format, const StarterPlan& plan,
              std::vector<StarterFile*>& left, uint16_t number, std::vector<StarterFile*>& placed,
              const std::set<const StarterFile*>& reserved) {
    std::vector<StarterFile*> bySize;
    for (StarterFile* file : left)
        if (reserved.count(file) == 0) bySize.push_back(file);
    std::stable_sort(bySize.begin(), bySize.end(), [](const StarterFile* a, const StarterFile* b) {
        return StoredSize(*a) > StoredSize(*b);
    });
    for (StarterFile* file : bySize) {
        disk.push_back({MediaPath(plan, *file), StoredSize(*file)});
        if (!Fits(disk, format)) {
            disk.pop_back();
            continue;
        }
        file->disk = number;
        placed.push_back(file);
        left.erase(std::find(left.begin(), left.end(), file));
    }
}

} // namespace

std::string CompressedName(const std::string& name) {
    const size_t dot = name.find('.');
    if (dot == std::string::npos) return name + "._";
    if (name.size() - dot - 1 < 3) return name + "_";
    return name.substr(0, name.size() - 1) + "_";
}

bool FindOriginals(const std::string& folder, StarterPlan& plan, std::vector<std::string>& errors) {
    plan = {};
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        errors.push_back(folder + ": not a folder");
        return false;
    }
    std::vector<StarterFile> windows, twain;
    AddFiles(folder, "", kDestWindows, windows, errors);
    std::vector<std::string> folders;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (IsFolder(entry)) folders.push_back(entry.path().filename().string());
    std::sort(folders.begin(), folders.end());
    // A FAT disk holds one folder of a name, whatever its case.
    std::string windowsFolder, twainFolder;
    for (const std::string& name : folders) {
        const std::string folded = FoldedName(name);
        const bool isWindows = folded == kWindowsFolder;
        const auto twainName =
            std::find(std::begin(kTwainFolders), std::end(kTwainFolders), folded);
        std::string& found = isWindows ? windowsFolder : twainFolder;
        if (!isWindows && twainName == std::end(kTwainFolders)) {
            errors.push_back(name + ": a folder the script has no place for (WINDOWS, TWAIN_32 "
                                    "and TWAIN are)");
        } else if (!found.empty()) {
            errors.push_back(name + ": a second folder for its destination beside " + found);
        } else {
            found = name;
            if (!isWindows) plan.twainFolder = *twainName;
            AddFiles(fs::path(folder) / name, name, isWindows ? kDestWindows : kDestTwain,
                     isWindows ? windows : twain, errors);
        }
    }
    for (std::vector<StarterFile>* files : {&windows, &twain})
        std::sort(files->begin(), files->end(), [](const StarterFile& a, const StarterFile& b) {
            return FoldedName(a.name) < FoldedName(b.name);
        });
    // One destination folder takes a name once.
    for (const std::vector<StarterFile>* files : {&windows, &twain}) {
        std::set<std::string> names;
        for (const StarterFile& file : *files)
            if (!names.insert(FoldedName(file.name)).second)
                errors.push_back(file.path + ": a second file of this name for its destination");
    }
    plan.files = std::move(windows);
    plan.files.insert(plan.files.end(), twain.begin(), twain.end());
    if (plan.files.size() > kMaxFiles)
        errors.push_back(folder + ": " + std::to_string(plan.files.size()) +
                         " files, more than the " + std::to_string(kMaxFiles) + " a script lists");
    if (errors.empty()) Measure(folder, plan.files, errors);
    return errors.empty();
}

namespace {

struct DiskPlanner {
    const DiskFormat& format;
    const std::vector<SizedFile>& ownFiles;
    StarterPlan& plan;
    std::set<std::string> taken[3]; // by directory number: every name its folder may hold
    // Kept off the fills, to open a later disk: a small file the fills would otherwise take.
    std::set<size_t> reserved;         // indices in plan.files
    std::set<const StarterFile*> here; // the reserved files of the plan being tried

    bool Compress(StarterFile& file) {
        if (file.compressed) return true;
        if (!taken[file.dir].insert(FoldedName(CompressedName(file.name))).second) return false;
        file.compressed = true;
        return true;
    }

    bool CanOpen(const StarterFile& file) const {
        return Fits({{MediaPath(plan, file), file.packedSize}}, format) &&
               (file.compressed ||
                taken[file.dir].count(FoldedName(CompressedName(file.name))) == 0);
    }

    // The opener of a later disk: a reserved file, else one compressed already, else the
    // first that can be.
    StarterFile* Opener(const std::vector<StarterFile*>& left) {
        for (int pass = 0; pass < 3; ++pass)
            for (StarterFile* file : left)
                if ((pass != 0 || here.count(file) != 0) && (pass != 1 || file->compressed) &&
                    CanOpen(*file) && Compress(*file))
                    return file;
        return nullptr;
    }

    std::string NoOpener(const StarterFile& file) const {
        if (file.size > format.capacity)
            return file.path + ": " + std::to_string(file.size) +
                   " bytes, more than a disk holds (" + std::to_string(format.capacity) +
                   " bytes of files)";
        if (file.packedSize > format.capacity)
            return file.path + ": " + std::to_string(file.packedSize) +
                   " bytes compressed, more than a disk holds; it fits no disk after the first, "
                   "which opens only with a compressed entry, nor beside the installer's own "
                   "files on the first";
        return file.path + ": its compressed name " + CompressedName(file.name) +
               " is another file's, and no disk after the first opens with a plain entry";
    }

    // One plan with the reserved files; false, with why, when it fails. stuck: it failed for
    // want of a file to open a disk, which another reservation may mend.
    bool Attempt(std::vector<StarterFile>& files, bool& stuck, std::string& why) {
        stuck = false;
        std::vector<StarterFile*> left;
        here.clear();
        for (StarterFile& file : files) {
            left.push_back(&file);
            if (reserved.count(left.size() - 1) != 0) here.insert(&file);
        }
        const auto inOrder = [](const StarterFile* a, const StarterFile* b) { return a < b; };
        // The start disk: the installer's own files and what fits beside them; build takes
        // the disk of the first entry for it.
        std::vector<SizedFile> disk = ownFiles;
        std::vector<StarterFile*> order;
        FillDisk(disk, format, plan, left, 1, order, {});
        // Put back what the reservations keep off the start disk, which may hold no entry.
        std::vector<StarterFile*> first;
        for (StarterFile* file : order) {
            if (here.count(file) == 0) {
                first.push_back(file);
            } else {
                file->disk = 1;
                left.push_back(file);
            }
        }
        std::sort(left.begin(), left.end(), inOrder);
        order = first;
        std::sort(order.begin(), order.end(), inOrder);
        uint16_t disks = 1;
        // Each later disk opens with a compressed entry, since the installer asks for a disk
        // only when a compressed source is missing; then what fits beside it.
        while (!left.empty()) {
            StarterFile* opener = Opener(left);
            if (opener == nullptr) {
                stuck = true;
                why = NoOpener(*left.front());
                return false;
            }
            if (++disks > kMaxDisks) {
                why = "the files need more than the " + std::to_string(kMaxDisks) +
                      " disks a script lists (" + std::to_string(left.size()) +
                      (left.size() == 1 ? " file is" : " files are") + " left after disk " +
                      std::to_string(kMaxDisks) + ")";
                return false;
            }
            opener->disk = disks;
            left.erase(std::find(left.begin(), left.end(), opener));
            disk = {{MediaPath(plan, *opener), opener->packedSize}};
            std::vector<StarterFile*> rest;
            FillDisk(disk, format, plan, left, disks, rest, here);
            std::sort(rest.begin(), rest.end(), inOrder);
            order.push_back(opener);
            order.insert(order.end(), rest.begin(), rest.end());
        }
        std::vector<StarterFile> planned;
        for (const StarterFile* file : order)
            planned.push_back(*file);
        files = std::move(planned);
        plan.disks = disks;
        return true;
    }
};

} // namespace

bool PlanDisks(const DiskFormat& format, const std::vector<SizedFile>& ownFiles, StarterPlan& plan,
               std::string& why) {
    DiskPlanner planner{format, ownFiles, plan, {}, {}, {}};
    for (const StarterFile& file : plan.files)
        planner.taken[file.dir].insert(FoldedName(file.name));
    for (StarterFile& file : plan.files)
        if (Clusters(file.packedSize, format) < Clusters(file.size, format)) planner.Compress(file);
    plan.disks = 1;
    if (format.capacity == 0) return true;
    if (!Fits(ownFiles, format)) {
        why = "the installer's own files alone fill a disk";
        return false;
    }
    // A plan that runs out of files to open its disks tries again with one more small file
    // kept to open one: the smallest that can that is not kept yet.
    for (;;) {
        std::vector<StarterFile> files = plan.files;
        const std::set<std::string> taken[3] = {planner.taken[0], planner.taken[1],
                                                planner.taken[2]};
        bool stuck = false;
        if (planner.Attempt(files, stuck, why)) {
            plan.files = std::move(files);
            return true;
        }
        for (int i = 0; i < 3; ++i)
            planner.taken[i] = taken[i];
        size_t next = plan.files.size();
        for (size_t i = 0; i < plan.files.size(); ++i)
            if (planner.reserved.count(i) == 0 && planner.CanOpen(plan.files[i]) &&
                (next == plan.files.size() ||
                 plan.files[i].packedSize < plan.files[next].packedSize))
                next = i;
        if (!stuck || next == plan.files.size()) return false;
        planner.reserved.insert(next);
    }
}

std::string StarterScriptText(const std::string& appName, const StarterPlan& plan) {
    std::string stem;
    for (char c : FoldedName(appName))
        if (stem.size() < 8 && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) stem += c;
    if (stem.empty()) stem = "SETUP";
    uint64_t bytes = 0;
    bool hasDir[3] = {};
    for (const StarterFile& file : plan.files) {
        bytes += file.size;
        hasDir[file.dir] = true;
    }
    const uint64_t kilobytes = std::min<uint64_t>((bytes + 1023) / 1024, UINT16_MAX);
    std::string text =
        "; Made by inftool init: edit the [Application] values and the descriptions\r\n"
        "[Application]\r\n";
    text += "AppName = " + appName + "\r\nDfltDir = C:\\" + stem + "\r\n";
    text += "MinHDSpace = " + std::to_string(kilobytes) + "\r\n";
    text += "GroupName = " + stem + ".GRP, " + appName + "\r\n\r\n[Disks]\r\n";
    for (uint16_t disk = 1; disk <= plan.disks; ++disk)
        text += std::to_string(disk) + " = Setup Disk " + std::to_string(disk) + "\r\n";
    text += "\r\n[Dirs]\r\n";
    if (hasDir[kDestWindows]) text += std::string("1 = ") + kWindowsFolder + "\r\n";
    if (hasDir[kDestTwain]) text += "2 = " + plan.twainFolder + "\r\n";
    text += "\r\n[Files]\r\n";
    for (const StarterFile& file : plan.files)
        text += Description(file.name) + ", " + SourceName(file) + ", " + file.name + ", " +
                std::to_string(file.dir) + ", " + std::to_string(file.disk) + ", " +
                (file.compressed ? "Y" : "N") + "\r\n";
    text += "\r\n[PM Info]\r\n\r\n[End]\r\n";
    return text;
}
