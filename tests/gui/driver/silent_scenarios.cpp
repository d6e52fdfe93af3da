// The command line: /S runs with no window and no question, /LOG keeps a log, and what the
// installer does not know is refused. ("--" is in build_silent_two_disks.)
#include "scenarios.h"

#include <windows.h>

namespace {

constexpr const char* kOld = "old bytes";
constexpr const char* kPlainLine = "Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 1, N\r\n";
constexpr const char* kLog = "C:\\gui\\silent.log";

// One run over an old GUIPLAIN.INI (read-only when asked): a message box answered with OK, or
// no window at all; the exit code, nothing launched, the old file whole, the log's lines.
struct Row {
    const char* args;
    const char* entry; // the [Files] line
    bool readOnly;
    const char* message; // null: no window
    ExitCode code;
    const char* log; // null: none
};

void RunRows(std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        const std::string old = WinFile("GUIPLAIN.INI");
        SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(kLog);
        Run r;
        r.args = row.args;
        if (!Prepare(r, WorkDir() + "\\switches", Script(row.entry).c_str()) ||
            !PutSources(r.media, {"PLAIN.INI", "TRUNC.DL_"}) || !WriteBytes(old, kOld) ||
            (row.readOnly && !SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY)) ||
            !Start(r) || (row.message && !Answer(r.inst, row.message, kCaption, IDOK)))
            return;
        FinishWithoutLaunch(r, row.code);
        if (!row.message) CheckNoWindow();
        SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::string bytes;
        Check(ReadBytes(old, bytes) && bytes == kOld, "%s: the old file was lost", row.args);
        CheckAbsent(WinFile("~setup0001.tmp"));
        if (row.log) CheckLog(kLog, row.log);
    }
}

// Each stop of a silent run where a person would be asked (disk 2 missing: a build scenario),
// then what it does not know, a log it cannot or must not write, and /?: nothing done.
void Switches() {
    RunRows({
        {"-s /log=C:\\gui\\silent.log", kPlainLine, true, nullptr, kExitCannotWrite,
         "file 1: |failed: old file read-only/hidden/system, error 5|stopped at question 1011|"
         "main setup not started|exit code 9"},
        {"/S /LOG=C:\\gui\\silent.log", "Text, TRUNC.DL_, GUIPLAIN.INI, 1, 1, Y\r\n", false,
         nullptr, kExitDamagedSource,
         "failed: LZCopy, error |stopped at question 2012|exit code 10"},
        {"/X", kPlainLine, false, "Unknown switch /X.\nNothing was installed.", kExitBadSwitch,
         nullptr},
        {"/S /LOG=C:\\gui\\silent.log -install", kPlainLine, false, nullptr, kExitBadSwitch,
         "setup 1.0.0.1|unknown switch -install|exit code 11"},
        {"/LOG=\"C:\\no such\\x.log\"", kPlainLine, false,
         "Cannot create the log C:\\no such\\x.log.\nNothing was installed.", kExitNoLog, nullptr},
        {"/S /LOG=C:\\windows\\guiplain.ini", kPlainLine, false, nullptr, kExitNoLog, nullptr},
        {"/S /LOG=C:\\windows\\~setup0001.tmp", kPlainLine, false, nullptr, kExitNoLog, nullptr},
        {"/S /?", kPlainLine, false,
         "setup [/S] [/LOG=file] [/?] [-- args]\n/S: no window, no question\n/LOG: a log of the "
         "run\n--: args of the main setup",
         kExitUsage, nullptr},
    });
}

// A question answered by the driver goes into the log, which a relative path puts in the
// folder the installer was started from (C:\), not the Windows directory.
void LogQuestion() {
    Run r;
    r.args = "/LOG=guiquestion.log";
    const std::string log = "C:\\guiquestion.log";
    DeleteFileA(log.c_str());
    if (!Prepare(r, WorkDir() + "\\logquestion", Script(kPlainLine).c_str()) ||
        !PutSources(r.media, {}) || !Start(r) || !WaitMessageBox(r.inst))
        return;
    PutSources(r.media, {"PLAIN.INI"});
    if (!Answer(r.inst, kMsg1011, kCaption, IDRETRY)) return;
    FinishWithLaunch(r);
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckLog(log, "setup 1.0.0.1|command line: |Windows |media |script |file 1: " + r.media +
                      "DISK1\\PLAIN.INI -> " + WinFile("GUIPLAIN.INI") +
                      ", plain|failed: CopyFileA, error 2|question 1011: Retry|installed, 33 "
                      "bytes|main setup \"|exit code 0");
    Check(!FileExists(WinFile("guiquestion.log")), "the log went into the Windows directory");
}

} // namespace

void CheckLog(const std::string& path, const std::string& texts) {
    std::string bytes;
    if (!Check(ReadBytes(path, bytes), "no log at %s", path.c_str())) return;
    Check(bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0 &&
              bytes.find('\0') == std::string::npos,
          "the log %s does not end in a whole line", path.c_str());
    size_t at = 0;
    for (size_t from = 0, to; from <= texts.size(); from = to + 1) {
        to = std::min(texts.find('|', from), texts.size());
        const size_t found = bytes.find(texts.substr(from, to - from), at);
        if (!Check(found != std::string::npos, "the log has no \"%s\" where it should:\n%s",
                   texts.substr(from, to - from).c_str(), bytes.c_str()))
            return;
        at = bytes.find("\r\n", found);
    }
}

void CheckNoWindow() {
    CheckText(SpyJoined("create"), "", "windows the installer created");
}

const Scenario kSilentScenarios[] = {
    {"switches", Switches},
    {"log_question", LogQuestion},
    {nullptr, nullptr},
};
