#include "platform/folder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifndef O_BINARY
constexpr int O_BINARY = 0;
#endif

constexpr int kMostLinks = 40; // as the kernel's own limit on a path's symlinks

// The last name of path and what comes before it ("." when nothing does, "/" for the root).
void SplitLast(std::string path, std::string& parent, std::string& name, bool& slash) {
    slash = false;
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) {
        path.pop_back();
        slash = true;
    }
    const size_t cut = path.find_last_of("/\\");
    name = cut == std::string::npos ? path : path.substr(cut + 1);
    parent = cut == std::string::npos ? "." : cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

bool IsDots(const std::string& name) {
    return name == "." || name == "..";
}

#ifndef _WIN32

Found FromStat(const struct stat& info) {
    Found found;
    found.exists = true;
    found.folder = S_ISDIR(info.st_mode);
    found.file = S_ISREG(info.st_mode);
    found.link = S_ISLNK(info.st_mode);
    found.stream = S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode);
    found.device = static_cast<uint64_t>(info.st_dev);
    found.number = static_cast<uint64_t>(info.st_ino);
    return found;
}

// A folder opened for reading where it may be read, else only to name things in it (a
// write-only drop folder).
int OpenDirectoryAt(int at, const char* path, int extra) {
    int fd = openat(at, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | extra);
    if (fd < 0 && errno == EACCES) fd = openat(at, path, O_PATH | O_DIRECTORY | O_CLOEXEC | extra);
    return fd;
}

bool RemoveBelow(int fd);

bool RemoveAt(int at, const char* name) {
    if (unlinkat(at, name, 0) == 0 || errno == ENOENT) return true;
    if (errno != EISDIR && errno != EPERM) return false;
    const int fd = openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool emptied = RemoveBelow(fd);
    return emptied && (unlinkat(at, name, AT_REMOVEDIR) == 0 || errno == ENOENT);
}

// fd is taken over and closed.
bool RemoveBelow(int fd) {
    DIR* listing = fdopendir(fd);
    if (listing == nullptr) {
        close(fd);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing))
        if (!IsDots(entry->d_name)) names.push_back(entry->d_name);
    bool removed = true;
    for (const std::string& name : names)
        removed = RemoveAt(dirfd(listing), name.c_str()) && removed;
    closedir(listing);
    return removed;
}

#endif

} // namespace

#ifndef _WIN32

bool OpenFolder(const std::string& path, Folder& folder, std::string& why) {
    const int fd = OpenDirectoryAt(AT_FDCWD, path.c_str(), 0);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    folder = {path, fd};
    return true;
}

bool OpenFolderIn(const Folder& parent, const std::string& relative, Folder& folder,
                  std::string& why) {
    const int fd = OpenDirectoryAt(parent.fd, relative.c_str(), O_NOFOLLOW);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    folder = {ShownIn(parent, relative), fd};
    return true;
}

Found Look(const Folder& folder, const std::string& relative, bool follow) {
    struct stat info {};
    if (fstatat(folder.fd, relative.c_str(), &info, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    return FromStat(info);
}

Found LookAtFolder(const Folder& folder) {
    struct stat info {};
    if (fstat(folder.fd, &info) != 0) return {};
    return FromStat(info);
}

bool ParentOf(const Folder& folder, Folder& parent) {
    const int fd = openat(folder.fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    parent = {folder.shown + "/..", fd};
    if (LookAtFolder(parent).SameAs(LookAtFolder(folder))) {
        close(fd);
        return false;
    }
    return true;
}

std::string PathIn(const Folder& folder, const std::string& relative) {
    // The folder as the descriptor holds it, wherever it has been moved meanwhile.
    return "/proc/self/fd/" + std::to_string(folder.fd) + "/" + relative;
}

#else

namespace {

Found FoundAt(const fs::path& path, bool follow) {
    Found found;
    std::error_code error;
    const fs::file_status status =
        follow ? fs::status(path, error) : fs::symlink_status(path, error);
    if (!fs::exists(status)) return found;
    found.exists = true;
    found.folder = fs::is_directory(status);
    found.file = fs::is_regular_file(status);
    found.link = fs::is_symlink(status);
    const HANDLE handle = CreateFileW(
        path.wstring().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
        nullptr);
    if (handle == INVALID_HANDLE_VALUE) return found;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info)) {
        found.device = info.dwVolumeSerialNumber;
        found.number = (uint64_t{info.nFileIndexHigh} << 32) | uint64_t{info.nFileIndexLow};
    }
    found.stream = GetFileType(handle) == FILE_TYPE_CHAR || GetFileType(handle) == FILE_TYPE_PIPE;
    CloseHandle(handle);
    return found;
}

} // namespace

bool OpenFolder(const std::string& path, Folder& folder, std::string& why) {
    std::error_code error;
    const fs::path full = fs::absolute(fs::path(path), error);
    const HANDLE handle = error ? INVALID_HANDLE_VALUE
                                : CreateFileW(full.wstring().c_str(), FILE_LIST_DIRECTORY,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE || !fs::is_directory(full, error)) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        why = std::strerror(ENOENT);
        return false;
    }
    folder.shown = path;
    folder.path = full;
    folder.handle = handle;
    return true;
}

bool OpenFolderIn(const Folder& parent, const std::string& relative, Folder& folder,
                  std::string& why) {
    if (!OpenFolder((parent.path / relative).string(), folder, why)) return false;
    folder.shown = ShownIn(parent, relative);
    return true;
}

Found Look(const Folder& folder, const std::string& relative, bool follow) {
    return FoundAt(folder.path / relative, follow);
}

Found LookAtFolder(const Folder& folder) {
    return FoundAt(folder.path, true);
}

bool ParentOf(const Folder& folder, Folder& parent) {
    if (!folder.path.has_relative_path()) return false;
    parent.path = folder.path.parent_path();
    parent.shown = folder.shown + "/..";
    return true;
}

std::string PathIn(const Folder& folder, const std::string& relative) {
    return (folder.path / relative).string();
}

#endif

void CloseFolder(Folder& folder) {
#ifdef _WIN32
    if (folder.handle != nullptr) CloseHandle(folder.handle);
    folder.handle = nullptr;
#else
    if (folder.fd >= 0) close(folder.fd);
    folder.fd = -1;
#endif
}

bool ResolvePath(const std::string& path, OutPath& out, std::string& why) {
    if (path.empty()) {
        why = "an empty name";
        return false;
    }
    std::string parent, name;
    bool slash = false;
    SplitLast(path, parent, name, slash);
    out = {path, {}, {}, slash};
    if (!OpenFolder(parent, out.at, why)) return false;
    for (int hops = 0;; ++hops) {
        if (name.empty() || name == "/" || name == "\\") {
            why = "names the root, which cannot be replaced";
            return false;
        }
        if (IsDots(name)) {
            // The folder itself: its name in the folder above, found by who it is.
            Folder self, above;
            if (!OpenFolderIn(out.at, name, self, why)) return false;
            const Found me = LookAtFolder(self);
            std::vector<std::string> names;
            const bool listed = ParentOf(self, above) && ListFolder(above, ".", names, why);
            name.clear();
            for (const std::string& candidate : names)
                if (Look(above, candidate, false).SameAs(me)) name = candidate;
            CloseFolder(self);
            CloseFolder(out.at);
            out.at = above;
            out.at.shown = ShownIn(self, "..");
            if (!listed || name.empty()) {
                why = "names a folder that cannot be replaced";
                return false;
            }
            continue;
        }
        const Found found = Look(out.at, name, false);
        if (!found.link) {
            if (out.folderOnly && found.exists && !found.folder) {
                why = std::strerror(ENOTDIR);
                return false;
            }
            out.name = name;
            return true;
        }
        if (hops == kMostLinks) {
            why = std::strerror(ELOOP);
            return false;
        }
        std::string target;
#ifdef _WIN32
        std::error_code error;
        target = fs::read_symlink(out.at.path / name, error).string();
#else
        char buffer[4096];
        const ssize_t length = readlinkat(out.at.fd, name.c_str(), buffer, sizeof buffer);
        if (length > 0) target.assign(buffer, static_cast<size_t>(length));
#endif
        if (target.empty()) {
            why = "a symlink that cannot be read";
            return false;
        }
        bool targetSlash = false;
        SplitLast(target, parent, name, targetSlash);
        out.folderOnly = out.folderOnly || targetSlash;
        Folder next;
        const bool absolute = target[0] == '/' || fs::path(target).is_absolute();
        if (!(absolute ? OpenFolder(parent, next, why) : OpenFolderIn(out.at, parent, next, why)))
            return false;
        CloseFolder(out.at);
        out.at = next;
    }
}

std::string ShownIn(const Folder& folder, const std::string& relative) {
    if (relative == "." || relative.empty()) return folder.shown;
    if (folder.shown == ".") return relative;
    const char last = folder.shown.empty() ? '/' : folder.shown.back();
    return folder.shown + (last == '/' || last == '\\' ? "" : "/") + relative;
}

bool CreateNewFile(const Folder& folder, const std::string& relative,
                   const std::vector<uint8_t>& data, std::string& why, bool* taken) {
    if (taken != nullptr) *taken = false;
#ifdef _WIN32
    const int fd = _wopen((folder.path / relative).wstring().c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0666);
#else
    const int fd = openat(folder.fd, relative.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
#endif
    if (fd < 0) {
        if (taken != nullptr) *taken = errno == EEXIST;
        why = std::strerror(errno);
        return false;
    }
    size_t done = 0;
    bool ok = true;
    while (ok && done < data.size()) {
        const size_t chunk = std::min<size_t>(data.size() - done, size_t{1} << 30);
#ifdef _WIN32
        const int wrote = _write(fd, data.data() + done, static_cast<unsigned>(chunk));
#else
        const ssize_t wrote = write(fd, data.data() + done, chunk);
#endif
        if (wrote < 0 && errno == EINTR) continue;
        ok = wrote > 0;
        if (ok) done += static_cast<size_t>(wrote);
    }
#ifdef _WIN32
    ok = ok && _commit(fd) == 0;
#else
    ok = ok && fsync(fd) == 0;
#endif
    if (!ok) why = std::strerror(errno != 0 ? errno : EIO);
    if (close(fd) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
    }
    if (!ok) RemoveTree(folder, relative);
    return ok;
}

bool CreateNewFolder(const Folder& folder, const std::string& relative, std::string& why,
                     bool* taken) {
    if (taken != nullptr) *taken = false;
#ifdef _WIN32
    const bool made = _wmkdir((folder.path / relative).wstring().c_str()) == 0;
#else
    const bool made = mkdirat(folder.fd, relative.c_str(), 0777) == 0;
#endif
    if (made) return true;
    if (taken != nullptr) *taken = errno == EEXIST;
    why = std::strerror(errno);
    return false;
}

bool WriteStream(const Folder& folder, const std::string& name, const std::vector<uint8_t>& data,
                 std::string& why) {
#ifdef _WIN32
    const int fd = _wopen((folder.path / name).wstring().c_str(), O_WRONLY | O_BINARY);
#else
    const int fd = openat(folder.fd, name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
#endif
    bool ok = fd >= 0;
    for (size_t done = 0; ok && done < data.size();) {
        const size_t chunk = std::min<size_t>(data.size() - done, size_t{1} << 20);
#ifdef _WIN32
        const int wrote = _write(fd, data.data() + done, static_cast<unsigned>(chunk));
#else
        const ssize_t wrote = write(fd, data.data() + done, chunk);
        if (wrote < 0 && errno == EINTR) continue;
#endif
        ok = wrote > 0;
        if (ok) done += static_cast<size_t>(wrote);
    }
    if (!ok) why = std::strerror(errno != 0 ? errno : EIO);
    if (fd >= 0 && close(fd) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
    }
    return ok;
}

bool RenameIn(const Folder& folder, const std::string& from, const std::string& to,
              std::string& why) {
#ifdef _WIN32
    const bool moved =
        MoveFileExW((folder.path / from).wstring().c_str(), (folder.path / to).wstring().c_str(),
                    MOVEFILE_REPLACE_EXISTING) != 0;
    if (!moved) why = "error " + std::to_string(GetLastError());
#else
    const bool moved = renameat(folder.fd, from.c_str(), folder.fd, to.c_str()) == 0;
    if (!moved) why = std::strerror(errno);
#endif
    return moved;
}

bool ExchangeIn(const Folder& folder, const std::string& a, const std::string& b) {
#if defined(_WIN32) || !defined(RENAME_EXCHANGE)
    (void)folder;
    (void)a;
    (void)b;
    return false;
#else
    return renameat2(folder.fd, a.c_str(), folder.fd, b.c_str(), RENAME_EXCHANGE) == 0;
#endif
}

bool RemoveTree(const Folder& folder, const std::string& name) {
#ifdef _WIN32
    std::error_code error;
    fs::remove_all(folder.path / name, error);
    return !error;
#else
    return RemoveAt(folder.fd, name.c_str());
#endif
}

bool SetTimeIn(const Folder& folder, const std::string& relative, int64_t seconds,
               std::string& why) {
#ifdef _WIN32
    std::error_code error;
    const auto since =
        std::chrono::seconds(seconds) - std::chrono::duration_cast<std::chrono::seconds>(
                                            fs::file_time_type::clock::now().time_since_epoch() -
                                            std::chrono::system_clock::now().time_since_epoch());
    fs::last_write_time(folder.path / relative, fs::file_time_type(since), error);
    if (error) why = error.message();
    return !error;
#else
    const struct timespec times[2] = {{static_cast<time_t>(seconds), 0},
                                      {static_cast<time_t>(seconds), 0}};
    if (utimensat(folder.fd, relative.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0) return true;
    why = std::strerror(errno);
    return false;
#endif
}

Flush FlushFolder(const Folder& folder, const std::string& relative, std::string& why) {
#ifdef _WIN32
    // Windows keeps a folder's entries by the file system's own journal: no call flushes them.
    (void)folder;
    (void)relative;
    (void)why;
    return Flush::kDone;
#else
    const int fd = openat(folder.fd, relative.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = fd >= 0 && fsync(fd) == 0;
    const int code = errno;
    if (fd >= 0) close(fd);
    if (flushed) return Flush::kDone;
    why = ShownIn(folder, relative) + ": cannot flush: " + std::strerror(code);
    // A folder that cannot be opened to read (a write-only drop folder), or whose file
    // system has no flush of folders (CIFS before Linux 4.17, WSL's DrvFs).
    return code == EINVAL || code == ENOTSUP || code == EACCES ? Flush::kUnsupported
                                                               : Flush::kFailed;
#endif
}

bool ListFolder(const Folder& folder, const std::string& relative, std::vector<std::string>& names,
                std::string& why) {
    names.clear();
#ifdef _WIN32
    std::error_code error;
    fs::directory_iterator entry(folder.path / relative, error), end;
    for (; !error && entry != end; entry.increment(error))
        names.push_back(entry->path().filename().string());
    if (error) why = ShownIn(folder, relative) + ": cannot list: " + error.message();
    return !error;
#else
    const int fd = openat(folder.fd, relative.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = fd >= 0 ? fdopendir(fd) : nullptr;
    if (listing == nullptr) {
        why = ShownIn(folder, relative) + ": cannot list: " + std::strerror(errno);
        if (fd >= 0) close(fd);
        return false;
    }
    errno = 0;
    while (const dirent* entry = readdir(listing)) {
        if (!IsDots(entry->d_name)) names.push_back(entry->d_name);
        errno = 0;
    }
    const int code = errno;
    closedir(listing);
    if (code != 0) why = ShownIn(folder, relative) + ": cannot list: " + std::strerror(code);
    return code == 0;
#endif
}
