#pragma once

#include "platform/replace.h"

#include <string>

// The exit status of a command whose outputs were put in place as placed says, said on stderr
// as what it is: nothingLine (the command's "nothing was written") after why when nothing was
// replaced, a warning where the folder cannot be flushed at all, and what failed after the
// outputs took their names otherwise.
int WrittenStatus(const char* command, Placed placed, const std::string& why,
                  const char* nothingLine);
