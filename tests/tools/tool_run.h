#pragma once

#include "read_whole.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern char** environ;

struct ToolRun {
    int status; // exit code, or -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs inftool with exactly these arguments (no shell, so any byte reaches it).
inline ToolRun Inftool(std::vector<std::string> args) {
    // Per process: CTest may run several of these tests at once.
    const std::string stem = testing::TempDir() + "inftool_" + std::to_string(getpid());
    const std::string out_path = stem + ".out";
    const std::string err_path = stem + ".err";
    args.insert(args.begin(), INFTOOL_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    ToolRun run{-1, {}, {}};
    if (posix_spawn(&pid, INFTOOL_PATH, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadWhole(out_path);
    run.err = ReadWhole(err_path);
    return run;
}
