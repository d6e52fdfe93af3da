#include "media/media_writer.h"

#include "platform/replace.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxTempTries = 100;
constexpr char kImageExtension[] = ".IMG";

// Made beside target under the first own name that nothing uses, not even a dangling symlink:
// a folder, or a file of bytes when bytes is given. Empty, with why, when none is made.
fs::path MakeBeside(const fs::path& target, const std::vector<uint8_t>* bytes, std::string& why) {
    for (int attempt = 0; attempt < kMaxTempTries; ++attempt) {
        fs::path candidate = target;
        candidate += kStagingTag + std::to_string(attempt);
        bool taken = false;
        if (bytes == nullptr ? CreateNewFolder(candidate, why, &taken)
                             : CreateNewFile(candidate, *bytes, why, &taken))
            return candidate;
        if (!taken) {
            why = target.string() + ": cannot create: " + why;
            return {};
        }
    }
    why = target.string() + ": no free temporary name beside it";
    return {};
}

bool WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes, std::string& why) {
    if (CreateNewFile(path, bytes, why)) return true;
    why = path.string() + ": cannot write: " + why;
    return false;
}

// A stop asked for while the media are written: what was written goes, then the process.
void EndIfStopped(const StagedMedia& staged) {
    if (StopRequested()) DiscardStagedMedia(staged);
}

// The images of disk folders go beside them; that of OUT itself is written once OUT is there.
// Each folder is flushed once its files are, so that the whole tree is on the disk before it
// takes OUT's name.
bool WriteDisks(const StagedMedia& staged, const std::vector<DiskLayout>& disks,
                const std::vector<std::vector<uint8_t>>& images, std::string& why) {
    const fs::path& root = staged.folder;
    std::error_code error;
    for (size_t i = 0; i < images.size(); ++i) {
        if (!disks[i].folder.empty() &&
            !WriteFile(root / (disks[i].folder + kImageExtension), images[i], why))
            return false;
        EndIfStopped(staged);
    }
    for (const DiskLayout& disk : disks) {
        for (const MediaFile& file : disk.files) {
            const fs::path path = root / disk.folder / file.path;
            fs::create_directories(path.parent_path(), error);
            if (error) {
                why = path.parent_path().string() + ": cannot create: " + error.message();
                return false;
            }
            if (!WriteFile(path, file.bytes, why)) return false;
            EndIfStopped(staged);
        }
    }
    std::vector<fs::path> folders = {root};
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root, error))
        if (entry.is_directory(error)) folders.push_back(entry.path());
    if (error) {
        why = root.string() + ": cannot list: " + error.message();
        return false;
    }
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        if (!SyncFolder(*folder, why)) return false;
    return true;
}

// Whether the build may put a folder, or a file, at path, shown as the user named it: what has
// content there goes only with --force.
bool MayTake(const fs::path& path, const std::string& shown, bool folder, bool replace, bool& taken,
             std::string& why) {
    std::error_code error;
    taken = false;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!fs::exists(status)) return true;
    if (folder ? !fs::is_directory(status) : !fs::is_regular_file(status)) {
        why = shown + (folder ? ": exists and is not a folder" : ": exists and is not a file");
        return false;
    }
    if (folder && fs::is_empty(path, error) && !error) return true;
    if (!replace) {
        why =
            shown + (folder ? ": exists and is not empty" : ": exists") + " (--force replaces it)";
        return false;
    }
    taken = true;
    return true;
}

bool JudgeOut(const std::string& out, bool replace, ImageBeside image,
              const std::vector<InputPath>& inputs, const char* command, OutFolder& folder,
              std::string& why) {
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::absolute(out, error), error);
    if (error || !path.has_filename()) {
        why = out + ": not a usable folder name";
        return false;
    }
    folder = {path, false, {}};
    if (!fs::is_directory(path.parent_path(), error)) {
        why = out + ": its parent folder does not exist";
        return false;
    }
    fs::path imagePath = path;
    imagePath += kImageExtension;
    const std::string imageShown = out + kImageExtension;
    if (!OutputSparesInputs(out, inputs, command, why) ||
        (image != ImageBeside::kIgnored && !OutputSparesInputs(imageShown, inputs, command, why)))
        return false;
    if (!ClaimBeside(path, why) || (image != ImageBeside::kIgnored && !ClaimBeside(imagePath, why)))
        return false;
    bool imageTaken = false;
    if (image == ImageBeside::kWritten) {
        folder.image = imagePath;
        if (!MayTake(imagePath, imageShown, false, replace, imageTaken, why)) return false;
    } else if (image == ImageBeside::kNone && fs::exists(fs::symlink_status(imagePath, error))) {
        // It may be the only copy of a disk: the user decides what becomes of it.
        why = imageShown + ": an image this build does not write would be left beside " + out +
              " (move or remove it)";
        return false;
    }
    return MayTake(path, out, true, replace, folder.replaced, why);
}

} // namespace

bool PrepareOut(const std::string& out, bool replace, ImageBeside image,
                const std::vector<InputPath>& inputs, const char* command, OutFolder& folder,
                std::string& why) {
    if (JudgeOut(out, replace, image, inputs, command, folder, why)) return true;
    ReleaseStops();
    return false;
}

bool StageMedia(const OutFolder& out, const std::vector<DiskLayout>& disks,
                const std::vector<std::vector<uint8_t>>& images, StagedMedia& staged,
                std::string& why) {
    staged = {MakeBeside(out.path, nullptr, why), {}};
    if (staged.folder.empty()) {
        ReleaseStops();
        return false;
    }
    // OUT.IMG is written beside it as well, and renamed over the old one only once OUT is in
    // place, so that a failed write never costs the image that was there.
    if (!out.image.empty()) {
        staged.image = MakeBeside(out.image, &images.front(), why);
        if (staged.image.empty()) {
            DiscardStagedMedia(staged);
            return false;
        }
    }
    if (!WriteDisks(staged, disks, images, why)) {
        DiscardStagedMedia(staged);
        return false;
    }
    return true;
}

std::filesystem::path MakeFolderBeside(const std::filesystem::path& target, std::string& why) {
    return MakeBeside(target, nullptr, why);
}

void DiscardStagedMedia(const StagedMedia& staged) {
    std::error_code error;
    fs::remove_all(staged.folder, error);
    if (!staged.image.empty()) fs::remove(staged.image, error);
    ReleaseStops();
}

namespace {

// OUT's new content in its place; aside is where the old went, to be removed; empty when
// there was none.
bool TakeOutsPlace(const OutFolder& out, const StagedMedia& staged, fs::path& aside,
                   std::string& why) {
    std::error_code error;
    aside.clear();
    // Only what --force replaces is exchanged: an OUT that was empty is renamed over, which fails
    // rather than take away what someone put into it meanwhile.
    if (out.replaced && ExchangePaths(staged.folder, out.path)) {
        aside = staged.folder;
        return true;
    }
    if (out.replaced) {
        for (int attempt = 0; attempt < kMaxTempTries && aside.empty(); ++attempt) {
            aside = out.path;
            aside += kOldTag + std::to_string(attempt);
            if (fs::exists(fs::symlink_status(aside, error))) aside.clear();
        }
        if (aside.empty() || (fs::rename(out.path, aside, error), error)) {
            why = out.path.string() + ": cannot move the old content aside: " + error.message();
            aside.clear();
            return false;
        }
    } else {
#ifdef _WIN32
        fs::remove(out.path, error); // an empty folder, which Windows renames nothing over
#endif
    }
    fs::rename(staged.folder, out.path, error);
    if (!error) return true;
    why = out.path.string() + ": cannot put the build in place: " + error.message();
    if (!aside.empty()) fs::rename(aside, out.path, error);
    aside.clear();
    return false;
}

// Back as it was after OUT.IMG could not follow OUT, one rename at a time, so that a stop on
// the way leaves only what the next run repairs: the new content goes back under its staging
// name and is removed from there, the old takes OUT again. Where the exchange back fails, OUT
// stays new.
void PutOldBack(const OutFolder& out, const StagedMedia& staged, const fs::path& aside) {
    std::error_code error;
    if (!staged.image.empty()) fs::remove(staged.image, error);
    if (aside == staged.folder) {
        if (ExchangePaths(staged.folder, out.path)) fs::remove_all(staged.folder, error);
        return;
    }
    fs::rename(out.path, staged.folder, error);
    if (error) return;
    if (!aside.empty()) fs::rename(aside, out.path, error);
    fs::remove_all(staged.folder, error);
}

} // namespace

bool PutMediaInPlace(const OutFolder& out, const StagedMedia& staged, std::string& why) {
    EndIfStopped(staged);
    fs::path aside;
    if (!TakeOutsPlace(out, staged, aside, why)) {
        DiscardStagedMedia(staged);
        return false;
    }
    std::error_code error;
    bool placed = SyncFolder(out.path.parent_path(), why);
    if (placed && !staged.image.empty()) {
        fs::rename(staged.image, out.image, error);
        placed = !error && SyncFolder(out.path.parent_path(), why);
        if (error) why = out.image.string() + ": cannot put the image in place: " + error.message();
    }
    if (!placed) {
        PutOldBack(out, staged, aside);
        ReleaseStops();
        return false;
    }
    if (!aside.empty()) fs::remove_all(aside, error);
    ReleaseStops();
    return true;
}
