#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A folder held open for the whole run, and names in it. The system resolves a path once, when
// its folder is opened, with its own meaning of "..", ".", "//", a trailing slash and symlinks;
// every later look, write, rename and removal names a file relative to that folder, so that
// what is judged is what is written. No path is normalised by its text.

struct Folder {
    std::string shown; // the folder as the user's path named it, for messages
#ifdef _WIN32
    // Windows resolves a path by its text; the handle, held without FILE_SHARE_DELETE, keeps
    // the folder from being moved or removed while names under it are used.
    std::filesystem::path path;
    void* handle = nullptr;
#else
    int fd = -1;
#endif
};

// What a name in a folder is, and who it is (device and file number, or volume and file index).
struct Found {
    bool exists = false;
    bool folder = false;
    bool file = false;   // a regular file
    bool link = false;   // a symlink (only when it is not followed)
    bool stream = false; // a character device or a FIFO, written as a stream
    uint64_t device = 0;
    uint64_t number = 0;
    bool SameAs(const Found& other) const {
        return exists && other.exists && device == other.device && number == other.number;
    }
};

// An output, or an input judged against one, resolved once: the folder it lies in and its
// name there. Symlinks are followed to their end, as opening the path would follow them.
struct OutPath {
    std::string shown; // as the user gave it
    Folder at;
    std::string name;
    bool folderOnly = false; // given with a trailing slash: it is, or will be, a folder
};

// False, with the system's reason, when path cannot be opened as a folder.
bool OpenFolder(const std::string& path, Folder& folder, std::string& why);
// A folder below parent, not through a symlink of its last name.
bool OpenFolderIn(const Folder& parent, const std::string& relative, Folder& folder,
                  std::string& why);
// False, with why, when the folder path names does not exist (as mkdir would say), it names
// the root or a symlink loop, or a trailing slash follows what is not a folder.
bool ResolvePath(const std::string& path, OutPath& out, std::string& why);

void CloseFolder(Folder& folder);

Found Look(const Folder& folder, const std::string& relative, bool follow);
Found LookAtFolder(const Folder& folder);
// The folder above; false at the top.
bool ParentOf(const Folder& folder, Folder& parent);

// relative below folder for messages, and a path that reaches it for readers that take one.
std::string ShownIn(const Folder& folder, const std::string& relative);
std::string PathIn(const Folder& folder, const std::string& relative);

// Creates relative, which must not exist yet (not even as a dangling symlink), with data,
// flushed to the disk. False, with why and nothing left, when it cannot; taken is then set
// when the name was in use.
bool CreateNewFile(const Folder& folder, const std::string& relative,
                   const std::vector<uint8_t>& data, std::string& why, bool* taken = nullptr);
// Creates the folder relative, which must not exist yet. taken as for CreateNewFile.
bool CreateNewFolder(const Folder& folder, const std::string& relative, std::string& why,
                     bool* taken = nullptr);
// Writes data into an existing device or FIFO as a stream.
bool WriteStream(const Folder& folder, const std::string& name, const std::vector<uint8_t>& data,
                 std::string& why);
bool RenameIn(const Folder& folder, const std::string& from, const std::string& to,
              std::string& why);
// Swaps what two names hold in one step. False where the system or file system cannot.
bool ExchangeIn(const Folder& folder, const std::string& a, const std::string& b);
// Removes name and all below it, never following a symlink; true when nothing is left.
bool RemoveTree(const Folder& folder, const std::string& name);
bool SetTimeIn(const Folder& folder, const std::string& relative, int64_t seconds,
               std::string& why);

// Flushes the entries of relative (a folder below folder, or "." for folder itself) to the
// disk. kUnsupported where the file system cannot flush a folder at all.
enum class Flush { kDone, kUnsupported, kFailed };
Flush FlushFolder(const Folder& folder, const std::string& relative, std::string& why);

// The names in relative below folder, without "." and ".."; false, with why, when it cannot
// be read whole.
bool ListFolder(const Folder& folder, const std::string& relative, std::vector<std::string>& names,
                std::string& why);
