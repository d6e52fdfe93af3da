#pragma once

#include "read_whole.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

struct ProgramRun {
    int status; // exit code, or -1 when the program did not start or did not exit normally
    std::string out;
    std::string err;
};

// Runs args[0] (looked up on PATH unless it holds a slash) with exactly these arguments: no
// shell, so any byte reaches it. In dir, and with stdin from the file in, when they are given.
inline ProgramRun RunProgram(std::vector<std::string> args, const std::string& dir = {},
                             const std::string& in = {}) {
    // Per process: CTest may run several of these tests at once.
    const std::string stem =
        (std::filesystem::temp_directory_path() / ("run_program_" + std::to_string(getpid())))
            .string();
    const std::string outPath = stem + ".out";
    const std::string errPath = stem + ".err";
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    if (!in.empty()) posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    ProgramRun run{-1, {}, {}};
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadWhole(outPath);
    run.err = ReadWhole(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}
