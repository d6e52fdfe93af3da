#pragma once

#include <string>
#include <vector>

// Whether an output would touch what a command reads, judged by the files' identities (device
// and file number, or volume and file index on Windows), not by how their paths are spelt.

struct InputPath {
    std::string path;
    bool readWhole; // a folder whose every file is read, as import reads a disk's folder
};

// False, with why naming both paths, when out is one of the inputs (the same file by any name,
// a hard link or a symlink included), when out holds one (is one of its real parent folders),
// or when out lies inside an input read whole. An out that does not exist yet is judged by
// its deepest existing folder; inputs that do not exist are passed over. command names the
// reader in the message.
bool OutputSparesInputs(const std::string& out, const std::vector<InputPath>& inputs,
                        const char* command, std::string& why);
