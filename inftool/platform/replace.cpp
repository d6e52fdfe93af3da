#include "platform/replace.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

struct Named {
    Folder folder;
    std::string name;
};

std::vector<Named> g_staged; // removed when a stop ends the process
bool g_replaced = false;

#ifndef _WIN32
std::vector<Named> g_locks; // removed, while still held, as the process ends
bool g_held = false;

void RemoveLocks() {
    for (const Named& lock : g_locks)
        unlinkat(lock.folder.fd, lock.name.c_str(), 0);
    g_locks.clear();
}
#endif

// Held until the process ends, by the system's doing even when it is killed. A lock file that
// another run removed while this one waited is taken again, under its name as it now is.
bool TakeLock(const Folder& folder, const std::string& name, std::string& why) {
#ifdef _WIN32
    const std::wstring path = (folder.path / name).wstring();
    for (;;) {
        const HANDLE lock = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (lock != INVALID_HANDLE_VALUE) return true;
        if (GetLastError() != ERROR_SHARING_VIOLATION) {
            why = ShownIn(folder, name) + ": cannot lock: error " + std::to_string(GetLastError());
            return false;
        }
        Sleep(100);
    }
#else
    for (;;) {
        const int fd =
            openat(folder.fd, name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 || flock(fd, LOCK_EX) != 0) {
            why = ShownIn(folder, name) + ": cannot lock: " + std::strerror(errno);
            if (fd >= 0) close(fd);
            return false;
        }
        struct stat held {};
        if (fstat(fd, &held) == 0) {
            const Found now = Look(folder, name, false);
            if (now.exists && now.device == static_cast<uint64_t>(held.st_dev) &&
                now.number == static_cast<uint64_t>(held.st_ino)) {
                if (g_locks.empty()) std::atexit(RemoveLocks);
                g_locks.push_back({folder, name});
                return true;
            }
        }
        close(fd);
    }
#endif
}

bool IsOwnLeftover(const Found& found) {
    // Only what inftool itself made: a symlink of such a name is someone else's.
    return found.folder || found.file;
}

#ifndef _WIN32
int PendingStop() {
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) != 0) return 0;
    for (int signal : {SIGINT, SIGTERM})
        if (sigismember(&pending, signal) == 1) return signal;
    return 0;
}

// Ends the run without counting on the signal's own action, which an inherited SIG_IGN
// would turn into nothing once it is let through.
[[noreturn]] void EndStopped(int signal) {
    for (const Named& staged : g_staged)
        RemoveTree(staged.folder, staged.name);
    RemoveLocks();
    std::fprintf(stderr, "inftool: stopped by %s%s\n", signal == SIGINT ? "SIGINT" : "SIGTERM",
                 g_replaced ? ", after the output was written" : "; nothing was replaced");
    _exit(128 + signal);
}
#endif

} // namespace

std::vector<std::string> OwnNamesBeside(const std::string& stem) {
    std::vector<std::string> names = {stem + kLockTag};
    for (int i = 0; i < kMaxTempTries; ++i) {
        names.push_back(stem + kStagingTag + std::to_string(i));
        names.push_back(stem + kOldTag + std::to_string(i));
    }
    return names;
}

bool ClaimBeside(const Folder& folder, const std::vector<std::string>& names, std::string& why) {
    if (!TakeLock(folder, names.front() + kLockTag, why)) return false;
    HoldStops();
    for (const std::string& name : names) {
        std::vector<std::string> staged, old;
        for (int i = 0; i < kMaxTempTries; ++i) {
            const std::string stage = name + kStagingTag + std::to_string(i);
            const std::string aside = name + kOldTag + std::to_string(i);
            if (IsOwnLeftover(Look(folder, stage, false))) staged.push_back(stage);
            if (IsOwnLeftover(Look(folder, aside, false))) old.push_back(aside);
        }
        // A run stopped between moving the old content aside and putting the new in its place.
        if (!old.empty() && !Look(folder, name, false).exists) {
            if (!RenameIn(folder, old.back(), name, why)) {
                why = ShownIn(folder, old.back()) + ": cannot put it back as " +
                      ShownIn(folder, name) + ": " + why;
                return false;
            }
            old.pop_back();
            if (FlushFolder(folder, ".", why) == Flush::kFailed) return false;
        }
        for (const std::vector<std::string>* leftovers : {&old, &staged}) {
            for (const std::string& leftover : *leftovers) {
                if (!RemoveTree(folder, leftover)) {
                    why = ShownIn(folder, leftover) + ": cannot remove: " + std::strerror(errno);
                    return false;
                }
            }
        }
    }
    return true;
}

std::string StageBeside(const Folder& folder, const std::string& name,
                        const std::vector<uint8_t>* bytes, std::string& why) {
    for (int attempt = 0; attempt < kMaxTempTries; ++attempt) {
        const std::string candidate = name + kStagingTag + std::to_string(attempt);
        bool taken = false;
        if (bytes == nullptr ? CreateNewFolder(folder, candidate, why, &taken)
                             : CreateNewFile(folder, candidate, *bytes, why, &taken)) {
            g_staged.push_back({folder, candidate});
            return candidate;
        }
        if (!taken) {
            why = ShownIn(folder, name) + ": cannot create: " + why;
            return {};
        }
    }
    why = ShownIn(folder, name) + ": no free temporary name beside it";
    return {};
}

void DiscardStaged(const Folder& folder, const std::vector<StagedName>& set) {
    for (const StagedName& staged : set)
        if (!staged.staged.empty()) RemoveTree(folder, staged.staged);
    g_staged.clear();
}

Placed PlaceSet(const Folder& folder, const std::vector<StagedName>& set, std::string& why) {
    EndIfStopped();
    struct Moved {
        const StagedName* output;
        std::string aside; // where the old content went; the staged name when exchanged
    };
    std::vector<Moved> moved;
    std::string failure;
    for (const StagedName& output : set) {
        std::string aside;
        if (output.replaces && ExchangeIn(folder, output.staged, output.name)) {
            moved.push_back({&output, output.staged});
            continue;
        }
        if (output.replaces) {
            for (int attempt = 0; attempt < kMaxTempTries && aside.empty(); ++attempt) {
                aside = output.name + kOldTag + std::to_string(attempt);
                if (Look(folder, aside, false).exists) aside.clear();
            }
            if (aside.empty() || !RenameIn(folder, output.name, aside, failure)) {
                failure = ShownIn(folder, output.name) +
                          ": cannot move the old content aside: " + failure;
                break;
            }
        }
#ifdef _WIN32
        // An empty folder, which Windows renames nothing over.
        if (!output.replaces) _wrmdir((folder.path / output.name).wstring().c_str());
#endif
        if (!RenameIn(folder, output.staged, output.name, failure)) {
            failure =
                ShownIn(folder, output.name) + ": cannot put the new content in place: " + failure;
            std::string ignored;
            if (!aside.empty()) RenameIn(folder, aside, output.name, ignored);
            break;
        }
        moved.push_back({&output, aside});
    }
    if (moved.size() < set.size()) {
        // Back as it was, one rename at a time, so that a stop on the way leaves only what the
        // next run repairs: the new content goes back under its staging name, the old takes
        // the name again.
        why = failure;
        bool whole = true;
        for (auto back = moved.rbegin(); back != moved.rend(); ++back) {
            const StagedName& output = *back->output;
            std::string ignored;
            const bool undone = back->aside == output.staged
                                    ? ExchangeIn(folder, output.staged, output.name)
                                    : RenameIn(folder, output.name, output.staged, ignored) &&
                                          (back->aside.empty() ||
                                           RenameIn(folder, back->aside, output.name, ignored));
            if (!undone) {
                whole = false;
                why += "; " + ShownIn(folder, output.name) +
                       " keeps its new content; the old one waits in " +
                       ShownIn(folder, back->aside);
                // What holds the old content must stay.
                for (Named& staged : g_staged)
                    if (staged.name == back->aside) staged.name.clear();
            }
        }
        for (const Named& staged : g_staged)
            if (!staged.name.empty()) RemoveTree(folder, staged.name);
        g_staged.clear();
        g_replaced = g_replaced || !whole;
        return whole ? Placed::kNothing : Placed::kPartly;
    }
    g_staged.clear();
    g_replaced = true;
    const Flush flush = FlushFolder(folder, ".", why);
    for (const Moved& done : moved)
        if (!done.aside.empty()) RemoveTree(folder, done.aside);
    return flush == Flush::kDone          ? Placed::kAll
           : flush == Flush::kUnsupported ? Placed::kUnflushable
                                          : Placed::kUnflushed;
}

bool AnythingReplaced() {
    return g_replaced;
}

#ifdef _WIN32
// Ctrl-C ends a Windows console program at once; what it leaves is repaired by the next run.
void HoldStops() {}
void EndIfStopped() {}
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
    g_held = true;
}

void EndIfStopped() {
    if (const int signal = g_held ? PendingStop() : 0) EndStopped(signal);
}

void ReleaseStops() {
    EndIfStopped();
    const sigset_t set = StopSignals();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    g_held = false;
}
#endif
