// The command line: /S runs with no window and no question, /LOG keeps a log, "--" hands the
// rest to the follow-on setup, and what the installer does not know is refused.
#include "scenarios.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr const char* kOld = "old bytes";
constexpr const char* kPlainLine = "Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 1, N\r\n";
constexpr const char* kUsage = "setup [/S] [/LOG=file] [/?] [-- args]\n/S: no window, no "
                               "question\n/LOG: a log of the run\n--: args of the main setup";

std::string LogPath(const char* name) {
    return WorkDir() + "\\" + name + ".log";
}

void CheckOldBytes(const std::string& path) {
    std::string bytes;
    Check(ReadBytes(path, bytes) && bytes == kOld, "the old %s was not kept whole (\"%s\")",
          path.c_str(), bytes.c_str());
}

// Lays out media with the script and sources and an old file at the first destination, and
// starts the installer with args.
bool StartWith(Run& r, const char* name, const std::string& inf,
               std::initializer_list<const char*> sources, const std::string& args) {
    r.args = args;
    DeleteFileA(LogPath(name).c_str());
    return Prepare(r, WorkDir() + "\\" + name, inf.c_str()) && PutSources(r.media, sources) &&
           WriteBytes(WinFile("GUIPLAIN.INI"), kOld) && Start(r);
}

// A silent stop: no window, its exit code, the old file whole, nothing launched, and the log
// naming the failed call's error, the stop and the code.
void SilentStop(const char* name, const std::string& inf,
                std::initializer_list<const char*> sources, ExitCode want, const char* failure) {
    Run r;
    if (!StartWith(r, name, inf, sources, "/S /LOG=" + LogPath(name))) return;
    FinishWithoutLaunch(r, want);
    CheckNoWindow();
    CheckOldBytes(WinFile("GUIPLAIN.INI"));
    const std::string code = "exit code " + std::to_string(want);
    CheckLog(LogPath(name),
             {"file 1: ", failure, "stopped", "main setup not started", code.c_str()});
}

void ReadOnlyOld() {
    const std::string old = WinFile("GUIPLAIN.INI");
    SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
    Run r;
    if (!Prepare(r, WorkDir() + "\\silentro", Script(kPlainLine).c_str()) ||
        !PutSources(r.media, {"PLAIN.INI"}) || !WriteBytes(old, kOld) ||
        !SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY))
        return;
    r.args = "-s /log=" + LogPath("silentro");
    if (!Start(r)) return;
    FinishWithoutLaunch(r, kExitCannotWrite);
    CheckNoWindow();
    SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
    CheckOldBytes(old);
    CheckLog(LogPath("silentro"), {"file 1: ", "failed: old file read-only/hidden/system, error 5",
                                   "stopped at question 1011", "exit code 9"});
}

void DamagedSource() {
    SilentStop("silentdamaged", Script("Text driver, TRUNC.DL_, GUIPLAIN.INI, 1, 1, Y\r\n"),
               {"TRUNC.DL_"}, kExitDamagedSource, "failed: LZCopy");
}

// A question answered by the driver goes into the log, which a relative path puts in the
// folder the installer was started from (C:\), not the Windows directory.
void LogQuestion() {
    Run r;
    const std::string log = "C:\\guiquestion.log";
    DeleteFileA(log.c_str());
    if (!StartWith(r, "logquestion", Script(kPlainLine), {}, "/LOG=guiquestion.log")) return;
    if (!WaitMessageBox(r.inst)) return;
    PutSources(r.media, {"PLAIN.INI"});
    if (!Answer(r.inst, kMsg1011, kCaption, IDRETRY)) return;
    FinishWithLaunch(r);
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    const std::string file =
        "file 1: " + r.media + "DISK1\\PLAIN.INI -> " + WinFile("GUIPLAIN.INI") + ", plain";
    CheckLog(log, {"setup 1.0.0.1", "command line: ", "Windows ", "media ", "script ", file.c_str(),
                   "failed: CopyFileA, error 2", "question 1011: Retry", "installed, 33 bytes",
                   "main setup \"", "exit code 0"});
    Check(!FileExists(WinFile("guiquestion.log")), "the log went into the Windows directory");
    DeleteFileA(log.c_str());
}

// Everything after "-- " reaches the follow-on setup as typed.
void FollowOnArgs() {
    Run r;
    r.launchArgs = "-s -f1\"C:\\a b\\setup.iss\"";
    if (!StartWith(r, "silentargs", Script(kPlainLine), {"PLAIN.INI"}, "/S -- " + r.launchArgs))
        return;
    FinishWithLaunch(r);
    CheckNoWindow();
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
}

// An unknown switch does nothing: a message names it, or under /S the log does.
void UnknownSwitch() {
    Run r;
    if (!StartWith(r, "badswitch", Script(kPlainLine), {"PLAIN.INI"}, "/X")) return;
    if (!Answer(r.inst, "Unknown switch /X.\nNothing was installed.", kCaption, IDOK)) return;
    FinishWithoutLaunch(r, kExitBadSwitch);
    CheckOldBytes(WinFile("GUIPLAIN.INI"));

    Run quiet;
    if (!StartWith(quiet, "badswitch", Script(kPlainLine), {"PLAIN.INI"},
                   "/S /LOG=" + LogPath("badswitch") + " -install"))
        return;
    FinishWithoutLaunch(quiet, kExitBadSwitch);
    CheckNoWindow();
    CheckOldBytes(WinFile("GUIPLAIN.INI"));
    CheckLog(LogPath("badswitch"), {"unknown switch -install", "exit code 11"});
}

// A log that cannot be made, or that would take a destination's or a temporary file's name, is
// refused before anything is done.
void LogRefused() {
    Run r;
    const std::string missing = "C:\\no such folder\\x.log";
    if (!StartWith(r, "logrefused", Script(kPlainLine), {"PLAIN.INI"}, "/LOG=\"" + missing + "\""))
        return;
    if (!Answer(r.inst, ("Cannot create the log " + missing + ".\nNothing was installed.").c_str(),
                kCaption, IDOK))
        return;
    FinishWithoutLaunch(r, kExitNoLog);
    CheckOldBytes(WinFile("GUIPLAIN.INI"));

    for (const std::string& path : {WinFile("guiplain.ini"), WinFile("~setup0001.tmp")}) {
        Run quiet;
        if (!StartWith(quiet, "logrefused", Script(kPlainLine), {"PLAIN.INI"}, "/S /LOG=" + path))
            return;
        FinishWithoutLaunch(quiet, kExitNoLog);
        CheckNoWindow();
        CheckOldBytes(WinFile("GUIPLAIN.INI"));
        CheckAbsent(WinFile("~setup0001.tmp"));
    }
}

// /? shows the usage, under /S too, and does nothing else.
void Usage() {
    Run r;
    if (!StartWith(r, "usage", Script(kPlainLine), {"PLAIN.INI"}, "/S /?") ||
        !Answer(r.inst, kUsage, kCaption, IDOK))
        return;
    FinishWithoutLaunch(r, kExitUsage);
    CheckOldBytes(WinFile("GUIPLAIN.INI"));
}

} // namespace

std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string bytes;
    if (!Check(ReadBytes(path, bytes), "no log at %s", path.c_str())) return lines;
    size_t at = 0;
    for (size_t end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(bytes.substr(at, end - at));
    Check(at == bytes.size(), "the log %s ends in a part line \"%s\"", path.c_str(),
          bytes.substr(at).c_str());
    return lines;
}

void CheckLog(const std::string& path, std::initializer_list<const char*> texts) {
    const std::vector<std::string> lines = LogLines(path);
    size_t at = 0;
    for (const char* text : texts) {
        while (at < lines.size() && lines[at].find(text) == std::string::npos)
            ++at;
        if (!Check(at < lines.size(), "the log %s has no line \"%s\" where it should", path.c_str(),
                   text)) {
            for (const std::string& line : lines)
                Note("log: %s", line.c_str());
            return;
        }
    }
}

void CheckNoWindow() {
    CheckText(SpyJoined("create"), "", "windows the installer created");
}

const Scenario kSilentScenarios[] = {
    {"silent_read_only", ReadOnlyOld}, {"silent_damaged", DamagedSource},
    {"log_question", LogQuestion},     {"silent_args", FollowOnArgs},
    {"switch_unknown", UnknownSwitch}, {"log_refused", LogRefused},
    {"switch_usage", Usage},           {nullptr, nullptr},
};
