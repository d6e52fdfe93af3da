#pragma once

#include "platform/folder.h"

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
// or when out lies inside an input read whole; and the same for each own name of inftool's
// beside out that exists, which a run repairs or removes. Inputs that do not exist are passed
// over. command names the reader in the message.
bool OutputSparesInputs(const OutPath& out, const std::vector<InputPath>& inputs,
                        const char* command, std::string& why);
