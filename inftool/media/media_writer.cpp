#include "media/media_writer.h"

#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxTempTries = 100;
constexpr char kImageExtension[] = ".IMG";

// A name beside target that nothing uses yet.
fs::path FreeNameBeside(const fs::path& target, const char* tag) {
    for (int attempt = 0; attempt < kMaxTempTries; ++attempt) {
        fs::path candidate = target;
        candidate += tag + std::to_string(attempt);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
    }
    return {};
}

bool IsInside(const fs::path& path, const fs::path& folder) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(fs::absolute(path, error), error);
    auto inner = resolved.begin();
    for (auto outer = folder.begin(); outer != folder.end(); ++outer, ++inner)
        if (inner == resolved.end() || *inner != *outer) return false;
    return true;
}

bool WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes, std::string& why) {
    if (WriteWholeFile(path.string().c_str(), bytes, why)) return true;
    why = path.string() + ": cannot write: " + why;
    return false;
}

// The images of disk folders go beside them; that of OUT itself is written once OUT is there.
bool WriteDisks(const fs::path& root, const std::vector<DiskLayout>& disks,
                const std::vector<std::vector<uint8_t>>& images, std::string& why) {
    std::error_code error;
    if (!fs::create_directory(root, error)) {
        why = root.string() + ": cannot create: " + error.message();
        return false;
    }
    for (size_t i = 0; i < images.size(); ++i)
        if (!disks[i].folder.empty() &&
            !WriteFile(root / (disks[i].folder + kImageExtension), images[i], why))
            return false;
    for (const DiskLayout& disk : disks) {
        for (const MediaFile& file : disk.files) {
            const fs::path path = root / disk.folder / file.path;
            fs::create_directories(path.parent_path(), error);
            if (error) {
                why = path.parent_path().string() + ": cannot create: " + error.message();
                return false;
            }
            if (!WriteFile(path, file.bytes, why)) return false;
        }
    }
    return true;
}

// Whether the build may put a folder, or a file, at path, shown as the user named it: what has
// content there goes only with --force, and never when it holds an input of the build.
bool MayTake(const fs::path& path, const std::string& shown, bool folder, bool replace,
             const std::vector<std::string>& inputs, bool& taken, std::string& why) {
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
    for (const std::string& input : inputs) {
        if (IsInside(input, path)) {
            why = shown + (folder ? ": holds " : ": is ") + input + ", an input of the build";
            return false;
        }
    }
    taken = true;
    return true;
}

} // namespace

bool PrepareOut(const std::string& out, bool replace, bool imageBeside,
                const std::vector<std::string>& inputs, OutFolder& folder, std::string& why) {
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
    bool imageTaken = false;
    if (imageBeside) {
        folder.image = path;
        folder.image += kImageExtension;
        if (!MayTake(folder.image, out + kImageExtension, false, replace, inputs, imageTaken, why))
            return false;
    }
    return MayTake(path, out, true, replace, inputs, folder.replaced, why);
}

bool StageMedia(const OutFolder& out, const std::vector<DiskLayout>& disks,
                const std::vector<std::vector<uint8_t>>& images, StagedMedia& staged,
                std::string& why) {
    staged = {FreeNameBeside(out.path, ".~inftool"), {}};
    if (staged.folder.empty()) {
        why = out.path.string() + ": no free temporary name beside it";
        return false;
    }
    // OUT.IMG is written beside it as well, and renamed over the old one only once OUT is in
    // place, so that a failed write never costs the image that was there.
    if (!out.image.empty()) {
        staged.image = FreeNameBeside(out.image, ".~inftool");
        if (staged.image.empty()) {
            why = out.image.string() + ": no free temporary name beside it";
            return false;
        }
    }
    if (!WriteDisks(staged.folder, disks, images, why) ||
        (!staged.image.empty() && !WriteFile(staged.image, images.front(), why))) {
        DiscardStagedMedia(staged);
        return false;
    }
    return true;
}

void DiscardStagedMedia(const StagedMedia& staged) {
    std::error_code error;
    fs::remove_all(staged.folder, error);
    if (!staged.image.empty()) fs::remove(staged.image, error);
}

bool PutMediaInPlace(const OutFolder& out, const StagedMedia& staged, std::string& why) {
    std::error_code error;
    fs::path old;
    bool removedEmpty = false;
    if (out.replaced) {
        old = FreeNameBeside(out.path, ".~inftool-old");
        if (old.empty() || (fs::rename(out.path, old, error), error)) {
            why = out.path.string() + ": cannot move the old content aside: " + error.message();
            DiscardStagedMedia(staged);
            return false;
        }
    } else {
        removedEmpty = fs::remove(out.path, error); // an empty folder, or nothing
    }
    const auto restore = [&] {
        if (!old.empty()) fs::rename(old, out.path, error);
        if (removedEmpty) fs::create_directory(out.path, error);
    };
    fs::rename(staged.folder, out.path, error);
    if (error) {
        why = out.path.string() + ": cannot put the build in place: " + error.message();
        DiscardStagedMedia(staged);
        restore();
        return false;
    }
    if (!staged.image.empty() && (fs::rename(staged.image, out.image, error), error)) {
        why = out.image.string() + ": cannot put the image in place: " + error.message();
        fs::remove(staged.image, error);
        fs::remove_all(out.path, error);
        restore();
        return false;
    }
    if (!old.empty()) fs::remove_all(old, error);
    return true;
}
