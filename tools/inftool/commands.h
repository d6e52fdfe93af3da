#pragma once

// Each command takes the arguments after its name and returns the process exit code.
constexpr int kExitUsage = 64;

int RunDump(int argc, char** argv);
int RunQuery(int argc, char** argv);
int RunCheck(int argc, char** argv);
int RunCompress(int argc, char** argv);
int RunExpand(int argc, char** argv);
