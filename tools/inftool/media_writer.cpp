#include "media_writer.h"

#include "files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxTempTries = 100;

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

bool WriteDisks(const fs::path& root, const std::vector<DiskLayout>& disks, std::string& why) {
    std::error_code error;
    if (!fs::create_directory(root, error)) {
        why = root.string() + ": cannot create: " + error.message();
        return false;
    }
    for (const DiskLayout& disk : disks) {
        for (const MediaFile& file : disk.files) {
            const fs::path path = root / disk.folder / file.path;
            fs::create_directories(path.parent_path(), error);
            if (error) {
                why = path.parent_path().string() + ": cannot create: " + error.message();
                return false;
            }
            if (!WriteWholeFile(path.string().c_str(), file.bytes, why)) {
                why = path.string() + ": cannot write: " + why;
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool PrepareOut(const std::string& out, bool replace, const std::vector<std::string>& inputs,
                OutFolder& folder, std::string& why) {
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::absolute(out, error), error);
    if (error || !path.has_filename()) {
        why = out + ": not a usable folder name";
        return false;
    }
    folder = {path, false};
    if (!fs::is_directory(path.parent_path(), error)) {
        why = out + ": its parent folder does not exist";
        return false;
    }
    const fs::file_status status = fs::symlink_status(path, error);
    if (!fs::exists(status)) return true;
    if (!fs::is_directory(status)) {
        why = out + ": exists and is not a folder";
        return false;
    }
    if (fs::is_empty(path, error) && !error) return true;
    if (!replace) {
        why = out + ": exists and is not empty (--force replaces it)";
        return false;
    }
    for (const std::string& input : inputs) {
        if (IsInside(input, path)) {
            why = out + ": holds " + input + ", an input of the build";
            return false;
        }
    }
    folder.replaced = true;
    return true;
}

bool WriteMedia(const OutFolder& out, const std::vector<DiskLayout>& disks, std::string& why) {
    std::error_code error;
    const fs::path temp = FreeNameBeside(out.path, ".~inftool");
    if (temp.empty()) {
        why = out.path.string() + ": no free temporary name beside it";
        return false;
    }
    if (!WriteDisks(temp, disks, why)) {
        fs::remove_all(temp, error);
        return false;
    }
    fs::path old;
    bool removedEmpty = false;
    if (out.replaced) {
        old = FreeNameBeside(out.path, ".~inftool-old");
        if (old.empty() || (fs::rename(out.path, old, error), error)) {
            why = out.path.string() + ": cannot move the old content aside: " + error.message();
            fs::remove_all(temp, error);
            return false;
        }
    } else {
        removedEmpty = fs::remove(out.path, error); // an empty folder, or nothing
    }
    fs::rename(temp, out.path, error);
    if (error) {
        why = out.path.string() + ": cannot put the build in place: " + error.message();
        fs::remove_all(temp, error);
        if (!old.empty()) fs::rename(old, out.path, error);
        if (removedEmpty) fs::create_directory(out.path, error);
        return false;
    }
    if (!old.empty()) fs::remove_all(old, error);
    return true;
}
