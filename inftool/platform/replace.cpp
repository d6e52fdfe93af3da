#include "platform/replace.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifndef O_BINARY
constexpr int O_BINARY = 0;
#endif
#ifndef O_CLOEXEC
constexpr int O_CLOEXEC = 0;
#endif

std::vector<std::string> g_heldFolders;

// Held until the process ends, by the system's doing even when it is killed.
bool LockFolder(const fs::path& folder, std::string& why) {
    std::error_code error;
    const std::string key = fs::canonical(folder, error).string();
    if (error) {
        why = folder.string() + ": " + error.message();
        return false;
    }
    if (std::find(g_heldFolders.begin(), g_heldFolders.end(), key) != g_heldFolders.end())
        return true;
#ifdef _WIN32
    // A folder cannot be locked on Windows; a mutex named after it can.
    uint64_t hash = 1469598103934665603ull;
    for (char c : key) {
        hash ^= static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        hash *= 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Local\\inftool-%016llx",
                  static_cast<unsigned long long>(hash));
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (mutex == nullptr || WaitForSingleObject(mutex, INFINITE) == WAIT_FAILED) {
        why = folder.string() + ": cannot lock: error " + std::to_string(GetLastError());
        return false;
    }
#else
    const int fd = open(key.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) {
        why = folder.string() + ": cannot lock: " + std::strerror(errno);
        if (fd >= 0) close(fd);
        return false;
    }
#endif
    g_heldFolders.push_back(key);
    return true;
}

// The N of name when it is stem + tag + N, N decimal digits; -1 otherwise.
long OwnNumber(const std::string& name, const std::string& stem, const char* tag) {
    const std::string prefix = stem + tag;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.size() - prefix.size() > 6)
        return -1;
    long number = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

} // namespace

bool IsOwnNameBeside(const std::string& name, const std::string& stem) {
    return OwnNumber(name, stem, kOldTag) >= 0 || OwnNumber(name, stem, kStagingTag) >= 0;
}

bool ClaimBeside(const fs::path& target, std::string& why) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!LockFolder(folder, why)) return false;
    HoldStops();
    const std::string stem = target.filename().string();
    std::vector<fs::path> staged, old;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        // Only what inftool itself made: a symlink of such a name is someone else's.
        const fs::file_status status = entry.symlink_status(error);
        if (!fs::is_directory(status) && !fs::is_regular_file(status)) continue;
        if (OwnNumber(name, stem, kOldTag) >= 0 && fs::is_directory(status))
            old.push_back(entry.path());
        else if (OwnNumber(name, stem, kStagingTag) >= 0)
            staged.push_back(entry.path());
    }
    if (error) {
        why = folder.string() + ": cannot list: " + error.message();
        return false;
    }
    // A run stopped between moving the old content aside and putting the new in its place.
    if (!old.empty() && !fs::exists(fs::symlink_status(target, error))) {
        std::sort(old.begin(), old.end());
        fs::rename(old.back(), target, error);
        if (error) {
            why = old.back().string() + ": cannot put it back as " + target.string() + ": " +
                  error.message();
            return false;
        }
        old.pop_back();
        if (!SyncFolder(folder, why)) return false;
    }
    for (const std::vector<fs::path>* leftovers : {&old, &staged}) {
        for (const fs::path& path : *leftovers) {
            fs::remove_all(path, error);
            if (error) {
                why = path.string() + ": cannot remove: " + error.message();
                return false;
            }
        }
    }
    return true;
}

bool CreateNewFile(const fs::path& path, const std::vector<uint8_t>& data, std::string& why,
                   bool* taken) {
    if (taken != nullptr) *taken = false;
#ifdef _WIN32
    const int fd = _wopen(path.wstring().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0666);
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY | O_CLOEXEC, 0666);
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
    std::error_code error;
    if (!ok) fs::remove(path, error);
    return ok;
}

bool CreateNewFolder(const fs::path& path, std::string& why, bool* taken) {
    if (taken != nullptr) *taken = false;
#ifdef _WIN32
    const bool made = _wmkdir(path.wstring().c_str()) == 0;
#else
    const bool made = mkdir(path.c_str(), 0777) == 0;
#endif
    if (made) return true;
    if (taken != nullptr) *taken = errno == EEXIST;
    why = std::strerror(errno);
    return false;
}

bool SyncFolder(const fs::path& folder, std::string& why) {
#ifdef _WIN32
    (void)folder;
    (void)why;
    return true;
#else
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && fsync(fd) == 0) {
        close(fd);
        return true;
    }
    why = folder.string() + ": cannot flush: " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return false;
#endif
}

bool ExchangePaths(const fs::path& a, const fs::path& b) {
#if defined(_WIN32) || !defined(RENAME_EXCHANGE)
    (void)a;
    (void)b;
    return false;
#else
    return renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
#endif
}

#ifdef _WIN32
void HoldStops() {}
bool StopRequested() {
    return false;
}
void ReleaseStops() {}
#else
namespace {
sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}
} // namespace

void HoldStops() {
    const sigset_t set = StopSignals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

bool StopRequested() {
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 &&
           (sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1);
}

void ReleaseStops() {
    const sigset_t set = StopSignals();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}
#endif
