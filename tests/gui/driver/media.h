// Files of a scenario: the programs under test, test data, media folders and the records
// that the stand-in follow-on setup and the message spy leave behind.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Paths handed in by the test registration; Unix paths are reached through drive Z:.
std::string SetupExePath();
std::string FollowOnExePath();
std::string SpyDllPath();
std::string DataPath(const char* name);
std::string PlantedDllPath(const char* name); // a stand-in system DLL that marks its loading

std::string WorkDir();    // C:\gui, scratch space of every scenario
std::string WindowsDir(); // as the installer sees it
std::string TwainDir();   // the Windows directory's TWAIN_32

// The installer's own string id and dialog id in one language, read out of its resources;
// empty or null where that language lacks it.
std::wstring SetupString(LANGID language, UINT id);
const DLGTEMPLATE* SetupDialog(LANGID language, UINT id);

// The path with a trailing backslash, added unless it ends in one; a double-byte character whose
// second byte is that of "\" is no backslash.
std::string WithBackslash(const std::string& path);

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
bool MakeDirs(const std::string& path);
void RemoveTree(const std::string& path); // the folder's content and, unless a root, itself
bool WriteBytes(const std::string& path, const std::string& bytes);
bool ReadBytes(const std::string& path, std::string& bytes);
bool PutData(const char* name, const std::string& dest);
// Checks that a destination holds exactly the bytes of a data file.
bool CheckSameAsData(const std::string& path, const char* name);
bool CheckAbsent(const std::string& path);
// Files at any depth below dir whose names start with prefix and end with suffix, any case.
std::vector<std::string> FindBelow(const std::string& dir, const char* prefix, const char* suffix);

// Empties dir and lays out the installer, SETUP.INF (unless null) and the follow-on setup.
bool LayOutMedia(const std::string& dir, const char* inf, bool followOn);

// Forgets the launch record and the spy log of an earlier run.
void ResetRecords();

struct Launch {
    bool present;
    std::string module;
    std::string cmdline;
    std::string cwd;
    std::string background; // "1" when an installer background window was still there
};
Launch WaitLaunch(unsigned long ms);

// Lines that the spy wrote, in order, each "kind detail".
std::vector<std::string> SpyLines();
std::vector<std::string> SpyLinesOf(const char* kind);
