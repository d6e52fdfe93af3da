#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Putting new content at a name so that a stop at any point (a signal, a kill, a power cut)
// leaves the old content or the new, whole: it is written beside the name under an own name of
// inftool's, flushed to the disk, then renamed into place. The next run that writes beside the
// name repairs and removes what a stopped one left there.

// Own names beside a target: its content being written, and its old content moved aside.
constexpr char kStagingTag[] = ".~inftool";
constexpr char kOldTag[] = ".~inftool-old";

// Whether name is one of inftool's own names beside a target named stem, which ClaimBeside
// repairs or removes.
bool IsOwnNameBeside(const std::string& name, const std::string& stem);

// Takes the lock of target's folder for the rest of the process, so that no other inftool
// writes beside a name there meanwhile (waiting for it as long as another holds it), holds
// stops (HoldStops), then repairs beside target: puts target + kOldTag<N> back when target is
// missing, and removes the other own names beside it. False, with why, when the folder cannot
// be locked or a leftover cannot be repaired.
bool ClaimBeside(const std::filesystem::path& target, std::string& why);

// Creates path, which must not exist yet (not even as a dangling symlink), with data, flushed
// to the disk. False, with why and nothing left, when it cannot; taken is then set when the
// name was in use.
bool CreateNewFile(const std::filesystem::path& path, const std::vector<uint8_t>& data,
                   std::string& why, bool* taken = nullptr);

// Creates the folder path, which must not exist yet. taken as for CreateNewFile.
bool CreateNewFolder(const std::filesystem::path& path, std::string& why, bool* taken = nullptr);

// Flushes a folder's entries to the disk (what was renamed into it, or created there).
bool SyncFolder(const std::filesystem::path& folder, std::string& why);

// Swaps what two names hold in one step. False where the system or file system cannot.
bool ExchangePaths(const std::filesystem::path& a, const std::filesystem::path& b);

// From HoldStops on, SIGINT and SIGTERM wait until the writer has cleaned up: it asks
// StopRequested between steps, and ReleaseStops ends the process if one came meanwhile.
void HoldStops();
bool StopRequested();
void ReleaseStops();
