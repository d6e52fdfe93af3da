#include "media/media_writer.h"

#include <algorithm>
#include <set>

namespace {

constexpr char kImageExtension[] = ".IMG";
// Beside OUT: OUT.IMG, then OUT.ISO, in the order of OutFolder::imageNames.
constexpr const char* kImagesBeside[] = {kImageExtension, ".ISO"};

// The folders of path below the staged root, made where they are missing; each is added to
// made, to be flushed.
bool MakeFolders(const Folder& root, const std::string& path, std::set<std::string>& made,
                 std::string& why) {
    for (size_t cut = path.find('/'); cut != std::string::npos; cut = path.find('/', cut + 1)) {
        const std::string folder = path.substr(0, cut);
        bool taken = false;
        if (made.count(folder) == 0 && !CreateNewFolder(root, folder, why, &taken) && !taken) {
            why = ShownIn(root, folder) + ": cannot create: " + why;
            return false;
        }
        made.insert(folder);
    }
    return true;
}

bool WriteFile(const Folder& root, const std::string& path, const std::vector<uint8_t>& bytes,
               std::set<std::string>& made, std::string& why) {
    if (!MakeFolders(root, path, made, why)) return false;
    if (CreateNewFile(root, path, bytes, why)) return true;
    why = ShownIn(root, path) + ": cannot write: " + why;
    return false;
}

// The images of disk folders go beside them; that of OUT itself is written once OUT is there.
// Each folder is flushed once its files are, so that the whole tree is on the disk before it
// takes OUT's name.
bool WriteDisks(const Folder& root, const std::vector<DiskLayout>& disks,
                const std::vector<std::vector<uint8_t>>& images, std::string& why) {
    std::set<std::string> made;
    for (size_t i = 0; i < images.size(); ++i) {
        if (!disks[i].folder.empty() &&
            !WriteFile(root, disks[i].folder + kImageExtension, images[i], made, why))
            return false;
        EndIfStopped();
    }
    for (const DiskLayout& disk : disks) {
        for (const MediaFile& file : disk.files) {
            std::string path = disk.folder.empty() ? file.path : disk.folder + "/" + file.path;
            std::replace(path.begin(), path.end(), '\\', '/');
            if (!WriteFile(root, path, file.bytes, made, why)) return false;
            EndIfStopped();
        }
    }
    std::vector<std::string> folders(made.begin(), made.end());
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    folders.push_back(".");
    for (const std::string& folder : folders)
        if (FlushFolder(root, folder, why) == Flush::kFailed) return false;
    return true;
}

// Whether the build may put a folder, or a file, at name: what has content there goes only
// with --force. Anything else (a device, a FIFO, a symlink left dangling) is refused.
bool MayTake(const OutPath& out, const std::string& name, bool folder, bool replace, bool& taken,
             std::string& why) {
    const std::string shown = name == out.name ? out.shown : ShownIn(out.at, name);
    taken = false;
    const Found found = Look(out.at, name, false);
    if (!found.exists) return true;
    if (folder ? !found.folder : !found.file) {
        why = shown + (folder ? ": exists and is not a folder" : ": exists and is not a file");
        return false;
    }
    std::vector<std::string> names;
    std::string ignored;
    if (folder && ListFolder(out.at, name, names, ignored) && names.empty()) return true;
    if (!replace) {
        why =
            shown + (folder ? ": exists and is not empty" : ": exists") + " (--force replaces it)";
        return false;
    }
    taken = true;
    return true;
}

// Whether old content a stopped run moved aside waits beside OUT or its images, to be put back
// by the claim before OUT is judged.
bool RepairPending(const OutFolder& folder) {
    for (int i = 0; i < kMaxTempTries; ++i)
        for (const std::string& name :
             {folder.out.name, folder.imageNames[0], folder.imageNames[1]})
            if (Look(folder.out.at, name + kOldTag + std::to_string(i), false).exists) return true;
    return false;
}

// The index in OutFolder::imageNames of the image the build writes; -1 for none.
int WrittenImage(ImageBeside image) {
    return image == ImageBeside::kWritten ? 0 : image == ImageBeside::kWrittenIso ? 1 : -1;
}

} // namespace

bool PrepareOut(const std::string& out, bool replace, ImageBeside image,
                const std::vector<InputPath>& inputs, const char* command, OutFolder& folder,
                std::string& why) {
    folder = {};
    folder.replace = replace;
    folder.image = image;
    if (!ResolvePath(out, folder.out, why)) {
        why = out + ": " + why;
        return false;
    }
    for (int i = 0; i < 2; ++i)
        folder.imageNames[i] = folder.out.name + kImagesBeside[i];
    if (!OutputSparesInputs(folder.out, inputs, command, why)) return false;
    if (image == ImageBeside::kIgnored) return RepairPending(folder) || MayTakeOut(folder, why);
    for (const std::string& name : folder.imageNames) {
        OutPath imagePath = folder.out;
        imagePath.name = name;
        imagePath.shown = ShownIn(folder.out.at, name);
        if (!OutputSparesInputs(imagePath, inputs, command, why)) return false;
    }
    // Judged again once claimed, after what a stopped run left is put back.
    return RepairPending(folder) || MayTakeOut(folder, why);
}

bool ClaimOut(const OutFolder& folder, std::string& why) {
    std::vector<std::string> names = {folder.out.name};
    if (folder.image != ImageBeside::kIgnored)
        names.insert(names.end(), std::begin(folder.imageNames), std::end(folder.imageNames));
    return ClaimBeside(folder.out.at, names, why);
}

bool MayTakeOut(OutFolder& folder, std::string& why) {
    for (int i = 0; folder.image != ImageBeside::kIgnored && i < 2; ++i) {
        const std::string& name = folder.imageNames[i];
        if (i == WrittenImage(folder.image)) {
            if (!MayTake(folder.out, name, false, folder.replace, folder.imageReplaced, why))
                return false;
        } else if (Look(folder.out.at, name, false).exists) {
            // It may be the only copy of a disk: the user decides what becomes of it.
            why = ShownIn(folder.out.at, name) +
                  ": an image this build does not write would be left beside " + folder.out.shown +
                  " (move or remove it)";
            return false;
        }
    }
    return MayTake(folder.out, folder.out.name, true, folder.replace, folder.replaced, why);
}

bool StageMedia(const OutFolder& out, const std::vector<DiskLayout>& disks,
                const std::vector<std::vector<uint8_t>>& images, StagedMedia& staged,
                std::string& why) {
    staged = {};
    const std::string folder = StageBeside(out.out.at, out.out.name, nullptr, why);
    if (folder.empty()) {
        ReleaseStops();
        return false;
    }
    staged.set.push_back({out.out.name, folder, out.replaced});
    staged.path = PathIn(out.out.at, folder);
    if (!OpenFolderIn(out.out.at, folder, staged.root, why)) {
        why = ShownIn(out.out.at, folder) + ": " + why;
        DiscardStagedMedia(out, staged);
        return false;
    }
    staged.root.shown = out.out.shown;
    // OUT.IMG or OUT.ISO is written beside it as well, and takes its name with OUT, so that a
    // failed write never costs the image that was there.
    if (const int written = WrittenImage(out.image); written >= 0) {
        const std::string& name = out.imageNames[written];
        staged.set.push_back(
            {name, StageBeside(out.out.at, name, &images.front(), why), out.imageReplaced});
        if (staged.set.back().staged.empty()) {
            DiscardStagedMedia(out, staged);
            return false;
        }
    }
    if (!WriteDisks(staged.root, disks, images, why)) {
        DiscardStagedMedia(out, staged);
        return false;
    }
    return true;
}

void DiscardStagedMedia(const OutFolder& out, StagedMedia& staged) {
    CloseFolder(staged.root);
    DiscardStaged(out.out.at, staged.set);
    ReleaseStops();
}

Placed PutMediaInPlace(const OutFolder& out, StagedMedia& staged, std::string& why) {
    CloseFolder(staged.root);
    const Placed placed = PlaceSet(out.out.at, staged.set, why);
    ReleaseStops();
    return placed;
}
