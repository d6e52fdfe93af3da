#pragma once

#include "run_program.h"

#include <string>
#include <utility>
#include <vector>

// The inftool under test, run as its own process with exactly these arguments.
inline ProgramRun RunInftool(std::vector<std::string> args, const std::string& dir = {}) {
    args.insert(args.begin(), INFTOOL_PATH);
    return RunProgram(std::move(args), dir);
}
