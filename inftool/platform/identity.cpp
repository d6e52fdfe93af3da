#include "platform/identity.h"

#include "platform/replace.h"

#include <cstdint>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

struct FileId {
    uint64_t device;
    uint64_t file;
    bool operator==(const FileId& other) const {
        return device == other.device && file == other.file;
    }
};

// MinGW's stat gives every file the number 0, so Windows asks the file system itself.
bool IdOf(const fs::path& path, FileId& id) {
#ifdef _WIN32
    const HANDLE handle = CreateFileW(path.wstring().c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    id = {info.dwVolumeSerialNumber,
          (uint64_t{info.nFileIndexHigh} << 32) | uint64_t{info.nFileIndexLow}};
    return known;
#else
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return false;
    id = {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
    return true;
#endif
}

// The deepest part of path that exists, with symlinks resolved.
fs::path DeepestExisting(const std::string& path) {
    std::error_code error;
    fs::path part = fs::absolute(path, error);
    while (!fs::exists(part, error) && part.has_relative_path())
        part = part.parent_path();
    fs::path real = fs::canonical(part, error);
    return error ? part : real;
}

// The identities of path's deepest existing part and of each real folder above it, in
// that order.
std::vector<FileId> RealChain(const std::string& path) {
    std::vector<FileId> chain;
    fs::path part = DeepestExisting(path);
    for (;;) {
        FileId id{};
        if (IdOf(part, id)) chain.push_back(id);
        if (!part.has_relative_path()) break;
        part = part.parent_path();
    }
    return chain;
}

bool Contains(const std::vector<FileId>& chain, size_t from, const FileId& id) {
    for (size_t i = from; i < chain.size(); ++i)
        if (chain[i] == id) return true;
    return false;
}

bool OneOutputSparesInputs(const std::string& out, const std::vector<InputPath>& inputs,
                           const char* command, std::string& why) {
    std::error_code error;
    FileId outId{};
    const bool outExists = fs::exists(out, error) && IdOf(out, outId);
    const bool outFolder = outExists && fs::is_directory(out, error);
    const std::vector<FileId> outChain = RealChain(out);
    const std::string reader = std::string(", which ") + command + " reads";
    for (const InputPath& input : inputs) {
        FileId inId{};
        if (input.path.empty() || !IdOf(input.path, inId)) continue;
        if (outExists && outId == inId) {
            why = out + ": is " + input.path + reader;
            return false;
        }
        if (outFolder && Contains(RealChain(input.path), 1, outId)) {
            why = out + ": holds " + input.path + reader;
            return false;
        }
        if (input.readWhole && Contains(outChain, 0, inId)) {
            why = out + ": lies inside " + input.path + reader;
            return false;
        }
    }
    return true;
}

} // namespace

bool OutputSparesInputs(const std::string& out, const std::vector<InputPath>& inputs,
                        const char* command, std::string& why) {
    if (!OneOutputSparesInputs(out, inputs, command, why)) return false;
    // What a stopped run left beside out is repaired or removed before out is written, so each
    // such name is an output as well; a symlink of such a name is left alone.
    std::error_code error;
    const fs::path path = fs::absolute(out, error);
    const std::string stem = path.filename().string();
    for (const fs::directory_entry& entry : fs::directory_iterator(path.parent_path(), error)) {
        const fs::path name = entry.path().filename();
        if (!IsOwnNameBeside(name.string(), stem) || entry.is_symlink(error)) continue;
        const std::string leftover = (fs::path(out).parent_path() / name).string();
        if (!OneOutputSparesInputs(leftover, inputs, command, why)) {
            why += " (named as what a stopped run leaves beside " + out + ", which is removed)";
            return false;
        }
    }
    return true;
}
