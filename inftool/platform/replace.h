#pragma once

#include "platform/folder.h"

#include <cstdint>
#include <string>
#include <vector>

// Putting new content at a set of names in one folder (OUT, and OUT.IMG beside it) so that a
// stop at any point (a signal, a kill, a power cut) leaves each old or new, whole, and a
// failure leaves them all old: each is written beside its name under an own name of inftool's,
// flushed to the disk, then renamed into place. The next run that writes beside the names
// repairs and removes what a stopped one left there.

// Own names beside a target: its content being written, its old content moved aside, and the
// lock of the run that writes it.
constexpr char kStagingTag[] = ".~inftool";
constexpr char kOldTag[] = ".~inftool-old";
constexpr char kLockTag[] = ".~inftool-lock";
constexpr int kMaxTempTries = 100;

// Every name a run leaves beside a target named stem: those ClaimBeside repairs or removes,
// and the lock.
std::vector<std::string> OwnNamesBeside(const std::string& stem);

// Takes the lock of the set (a file beside its first name, which only needs the right to write
// in the folder), waiting as long as another inftool holds it; holds stops (HoldStops); then
// repairs beside each name: puts name + kOldTag<N> back when name is missing, and removes the
// other own names. False, with why, when the lock cannot be taken or a leftover repaired.
bool ClaimBeside(const Folder& folder, const std::vector<std::string>& names, std::string& why);

// One output of a set, staged under its own name beside it.
struct StagedName {
    std::string name;
    std::string staged;
    bool replaces; // name holds content (not an empty folder) that the staged content replaces
};

// Writes each of a set beside its name under the first own name that nothing uses, not even a
// dangling symlink: a folder, or a file of bytes when bytes is given. Empty, with why, when
// none is made. What is staged goes when the run is stopped before it is in place.
std::string StageBeside(const Folder& folder, const std::string& name,
                        const std::vector<uint8_t>* bytes, std::string& why);
void DiscardStaged(const Folder& folder, const std::vector<StagedName>& set);

// What became of a set put in place.
enum class Placed {
    kNothing,     // nothing was replaced: every name holds what it held, the staged are gone
    kAll,         // every name holds its new content, flushed to the disk
    kUnflushable, // every name holds its new content; the file system cannot flush a folder
    kUnflushed,   // every name holds its new content; the folder's flush failed
    kPartly,      // some names could not be put back after a failure (why says where)
};
Placed PlaceSet(const Folder& folder, const std::vector<StagedName>& set, std::string& why);

// From HoldStops on, SIGINT and SIGTERM wait until the writer has cleaned up: EndIfStopped,
// between steps, removes what is staged and ends the process, whatever the signals'
// disposition; so does ReleaseStops when one came meanwhile.
void HoldStops();
void EndIfStopped();
void ReleaseStops();

// Whether some output took its new content in this run (standard output aside).
bool AnythingReplaced();
