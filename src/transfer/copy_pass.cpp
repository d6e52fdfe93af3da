#include "transfer.h"

#include <commctrl.h>

#include "catalogue.h"
#include "common/install_log.h"
#include "common/media_layout.h"
#include "common/media_paths.h"
#include "common/message.h"
#include "common/setup_state.h"
#include "common/system_dlls.h"
#include "common/ui_text.h"
#include "copy_rules.h"
#include "dialog_figures.h"
#include "inf_query.h"
#include "replace_file.h"
#include "resources/resource.h"

namespace {

constexpr int kStatusWidth = 50;
constexpr int kPercentWidth = 8;
constexpr UINT kRetryStyle = MB_RETRYCANCEL | MB_ICONINFORMATION;
constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION;
static_assert(kRetryStyle == 69 && kQuestionStyle == 36, "message box styles");

// One [Files] entry as the pass sees it; each text buffer holds the whole catalogue field.
struct FileJob {
    uint16_t index;
    char description[kDescriptionWidth];
    char sourceName[kFileNameWidth];
    char destName[kFileNameWidth];
    char dirName[kDirNameWidth];
    char diskName[kDiskNameWidth];
    int32_t dirNumber;
    int32_t diskNumber;
    bool destUsable; // the path was built and the name stays inside the destination
    char destDir[MAX_PATH];
    char destPath[MAX_PATH];
};

enum class EntryEnd { Finished, PassedOver, Stopped };

enum class Attempt {
    Finished,    // the entry is in place
    PassedOver,  // the entry failed and the user chose to go on
    Stopped,     // the pass ends now
    Again,       // failed; try the entry again
    CancelAsked, // failed and the user chose Cancel: confirm before trying again
};

char s_statusText[kStatusWidth];
OFSTRUCT s_sourceOf;

// The call that failed the last attempt, and its error, for the log; set only where one fails.
const char* s_failedCall;
LONG s_failedError;

void NoteFailure(const char* call, LONG error = static_cast<LONG>(GetLastError())) {
    s_failedCall = call;
    s_failedError = error;
}

void LogFailure() {
    LogLine("  failed: %s, error %ld", s_failedCall, s_failedError);
}

// A silent run's stop, and the installer's own folder, beside which build lays out DISK<n>.
PassOutcome s_silentStop;
char s_mediaDir[MAX_PATH];

// The progress dialog's controls, looked up once for the pass: under Wine every GetDlgItem
// (also inside SetDlgItemTextA) asks the server for the dialog's children.
struct ProgressItems {
    HWND statusLine;
    HWND fileLine;
    HWND percent;
    HWND bar;
    HWND cancel;
};
ProgressItems s_items;

void FindProgressItems(HWND progress) {
    s_items.statusLine = GetDlgItem(progress, IDC_STATUS_LINE);
    s_items.fileLine = GetDlgItem(progress, IDC_FILE_LINE);
    s_items.percent = GetDlgItem(progress, IDC_PERCENT);
    s_items.bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
    s_items.cancel = GetDlgItem(progress, IDCANCEL);
}

// What SetDlgItemTextA sends.
void SetItemText(HWND item, const char* text) {
    SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Without a progress dialog there is no Cancel button, and so no cancel to find.
bool CancelConfirmed() {
    return s_items.cancel != nullptr && !IsWindowEnabled(s_items.cancel);
}

Attempt AfterAnswer(int answer) {
    return answer == IDCANCEL ? Attempt::CancelAsked : Attempt::Again;
}

// A question after a failed attempt. Under /S no one is asked: the answer is the one that loses
// nothing (Cancel, or No to going on without the file), and the pass stops with why.
int AskOrStop(HWND progress, UINT id, UINT style, PassOutcome stop) {
    LogFailure();
    if (!g_bSilent) return AskUser(progress, id, style);
    LogLine("  stopped at question %u", id);
    s_silentStop = stop;
    return (style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
}

// Under /S a source that is not where the pass looked is looked for in the folder of its disk
// that build lays out beside the installer's own; no prompt. Again when there is such a folder
// not yet tried, else a stop.
Attempt NextSilentLocation(const FileJob* job) {
    LogFailure();
    char folder[MAX_PATH + 16];
    wsprintfA(folder, "%s..\\DISK%ld\\", s_mediaDir, static_cast<long>(job->diskNumber));
    if (lstrcmpiA(folder, g_szSourceDir) != 0 && CopyWhole(g_szSourceDir, MAX_PATH, folder)) {
        LogLine("  looked for in %s", g_szSourceDir);
        return Attempt::Again;
    }
    LogLine("  stopped: no source");
    s_silentStop = PassOutcome::NoSource;
    return Attempt::Stopped;
}

void ShowFileTexts(const FileJob* job) {
    SetItemText(s_items.statusLine, s_statusText);
    SetItemText(s_items.fileLine, job->description);
}

// The disk prompt for the entry's disk; IDOK or IDCANCEL. A prompt that cannot be created
// counts as cancelled, so the user is still asked whether to stop.
int RunDiskPrompt(HWND progress, FileJob* job) {
    LogFailure();
    if (job->diskNumber != g_nShownDisk) {
        if (static_cast<uint32_t>(job->diskNumber) < kRepaintedDisks &&
            g_hwndBackground != nullptr) {
            InvalidateRect(g_hwndBackground, &g_rcDiskArea, FALSE);
        }
        g_nShownDisk = job->diskNumber;
    }
    ShowWindow(progress, SW_HIDE);
    const INT_PTR result =
        DialogBoxIndirectParamA(g_hInst, UiDialog(g_hInst, IDD_DISK_PROMPT), progress,
                                DiskPromptDlgProc, reinterpret_cast<LPARAM>(job->diskName));
    const int answer = result == -1 || LOWORD(result) != IDOK ? IDCANCEL : IDOK;
    LogLine("  disk prompt %s: %s %s", job->diskName, AnswerName(answer), g_szSourceDir);
    if (answer == IDCANCEL) return IDCANCEL;
    ShowWindow(progress, SW_SHOW);
    UpdateWindow(progress);
    ShowFileTexts(job);
    return IDOK;
}

// LZOpenFileA keeps the path in an OFSTRUCT of OFS_MAXPATHNAME characters; a longer path is
// opened with _lopen, which has no such limit, and handed to LZ32 as it is.
bool FitsOfStruct(const char* path) {
    return lstrlenA(path) < OFS_MAXPATHNAME;
}

INT OpenSource(char* path) {
    if (FitsOfStruct(path)) return g_lz.openFile(path, &s_sourceOf, OF_READ);
    const HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR) return -1;
    const INT source = g_lz.init(file);
    if (source < 0) _lclose(file);
    return source;
}

// Not LZOpenFileA: when a name cannot be created it falls back to the compressed form of the
// name ("FOO.DL_") and reports success, writing where the script never said.
INT CreateDestination(const char* path) {
    const HFILE file = _lcreat(path, 0);
    return file == HFILE_ERROR ? -1 : file;
}

// One try at an entry's file: the temporary file it is written to, and what it replaces.
struct Staging {
    char temp[MAX_PATH];
    OldFile old;
};

// TWAIN_32 is made at each attempt, so that Retry succeeds once the user has cleared what kept
// it from being made. A file of that name fails the attempt when the file is written.
bool MakeDestDir(const FileJob* job) {
    return job->dirNumber != kDestTwain || CreateDirectoryA(job->destDir, nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

// Writes the temporary file, a copy of copyFrom or an empty file for an expansion to fill;
// false, with nothing made, when the entry's file cannot be written: no usable destination, an
// old file that is never replaced, no source, or no room.
bool BeginStaging(const FileJob* job, const char* copyFrom, Staging* staging) {
    staging->temp[0] = '\0';
    if (!job->destUsable) {
        NoteFailure("destination name", ERROR_INVALID_NAME);
        return false;
    }
    if (!MakeDestDir(job)) {
        NoteFailure("CreateDirectoryA");
        return false;
    }
    RemoveLeftoversBeside(job->destPath);
    staging->old = InspectOldFile(job->destPath);
    if (staging->old == OldFile::Kept) {
        NoteFailure("old file read-only/hidden/system", ERROR_ACCESS_DENIED);
        return false;
    }
    if (MakeTempBeside(job->destPath, copyFrom, staging->temp)) return true;
    NoteFailure(copyFrom != nullptr ? "CopyFileA" : "CreateFileA");
    return false;
}

// Renames the written temporary file into place; when it was not written whole or the rename
// fails, it is removed.
bool FinishStaging(const FileJob* job, const Staging* staging, bool written = true) {
    if (written && PutInPlace(staging->temp, job->destPath, staging->old == OldFile::Replaceable))
        return true;
    if (written) NoteFailure("MoveFileA");
    RemoveTemp(staging->temp);
    return false;
}

// An incomplete expansion never replaces the file that was there. Where there was none, what
// was written goes in place whatever the answer, as the user may still make use of it.
Attempt AfterFailedExpansion(HWND progress, const FileJob* job, const Staging* staging,
                             LONG copied) {
    if (staging->old != OldFile::None) RemoveTemp(staging->temp);
    const bool goOn = AskOrStop(progress, IDS_EXPAND_FAILED, kQuestionStyle,
                                copied == LZERROR_WRITE ? PassOutcome::CannotWrite
                                                        : PassOutcome::DamagedSource) == IDYES;
    if (staging->old == OldFile::None) FinishStaging(job, staging);
    return goOn ? Attempt::PassedOver : Attempt::Stopped;
}

int CreateFailed(HWND progress) {
    return AskOrStop(progress, IDS_CREATE_FAILED, kRetryStyle, PassOutcome::CannotWrite);
}

// source is null when the source path did not fit: such an attempt fails as a source that
// cannot be opened, since another location may give a shorter path. No location can mend a
// destination, so that failure is put as one.
Attempt ExpandAttempt(HWND progress, FileJob* job, char* source) {
    if (!job->destUsable) {
        NoteFailure("destination name", ERROR_INVALID_NAME);
        return AfterAnswer(CreateFailed(progress));
    }
    const INT sourceFile = source != nullptr ? OpenSource(source) : -1;
    if (sourceFile < 0) {
        if (source != nullptr) NoteFailure("LZOpenFileA");
        if (g_bSilent) return NextSilentLocation(job);
        return AfterAnswer(RunDiskPrompt(progress, job));
    }

    Staging staging;
    const INT destFile =
        BeginStaging(job, nullptr, &staging) ? CreateDestination(staging.temp) : -1;
    if (destFile < 0) {
        if (staging.temp[0] != '\0') NoteFailure("_lcreat");
        g_lz.close(sourceFile);
        RemoveTemp(staging.temp);
        return AfterAnswer(CreateFailed(progress));
    }

    const LONG copied = g_lz.copy(sourceFile, destFile);
    // The length the SZDD header promises, or for a source without one (copied as it is) its
    // size. Only after the copy: on such a source it moves the file pointer to the end. On an
    // SZDD source it only reads the header's length; it can fail only in the seek of a source
    // without one, whose size its folder's entry gives.
    LONG expected = g_lz.seek(sourceFile, 0, 2);
    const bool flushed = FlushWritten(destFile);
    const LONG written = OpenFileSize(destFile);
    g_lz.close(sourceFile);
    g_lz.close(destFile);
    if (expected < 0) expected = FileSizeOf(source);
    if (!ExpansionComplete(copied, expected, written)) {
        // Its result: an LZ error, or the bytes it wrote, short of the promised length.
        NoteFailure("LZCopy", copied);
        return AfterFailedExpansion(progress, job, &staging, copied);
    }
    if (!flushed) NoteFailure("FlushFileBuffers");
    if (FinishStaging(job, &staging, flushed)) return Attempt::Finished;
    return AfterAnswer(CreateFailed(progress));
}

Attempt PlainCopyAttempt(HWND progress, const FileJob* job, const char* source) {
    Staging staging;
    if (source != nullptr && BeginStaging(job, source, &staging) && FinishStaging(job, &staging))
        return Attempt::Finished;
    const bool missing = source == nullptr || GetFileAttributesA(source) == INVALID_FILE_ATTRIBUTES;
    if (g_bSilent && missing) return NextSilentLocation(job);
    return AfterAnswer(AskOrStop(progress, IDS_COPY_FAILED, kRetryStyle, PassOutcome::CannotWrite));
}

EntryEnd RunAttempts(HWND progress, FileJob* job) {
    for (;;) {
        PumpMessages();
        if (CancelConfirmed()) return EntryEnd::Stopped;

        char source[MAX_PATH];
        char* path = BuildSourcePath(source, MAX_PATH, g_szSourceDir, job->dirName, job->sourceName)
                         ? source
                         : nullptr;
        if (path == nullptr) NoteFailure("source path", ERROR_FILENAME_EXCED_RANGE);
        const Attempt attempt = InfQuery(GetFileCompressed, job->index, nullptr) != 0
                                    ? ExpandAttempt(progress, job, path)
                                    : PlainCopyAttempt(progress, job, path);
        switch (attempt) {
        case Attempt::Finished: return EntryEnd::Finished;
        case Attempt::PassedOver: return EntryEnd::PassedOver;
        case Attempt::Stopped: return EntryEnd::Stopped;
        case Attempt::CancelAsked:
            if (g_bSilent || AskUser(progress, IDS_CONFIRM_CANCEL, kQuestionStyle) == IDYES)
                return EntryEnd::Stopped;
            break;
        case Attempt::Again: break;
        }
    }
}

void LogEntry(const FileJob* job) {
    LogLine("file %u: %s%s%s\\%s -> %s, %s", job->index + 1, g_szSourceDir,
            DirSeparator(g_szSourceDir), job->dirName, job->sourceName,
            job->destUsable ? job->destPath : job->destName,
            InfQuery(GetFileCompressed, job->index, nullptr) != 0 ? "expanded" : "plain");
}

void LogEntryEnd(const FileJob* job, EntryEnd end) {
    if (end == EntryEnd::Finished)
        LogLine("  installed, %ld bytes", FileSizeOf(job->destPath));
    else
        LogLine(end == EntryEnd::Stopped ? "  stopped" : "  passed over");
}

// Destination directory and path; false when either does not fit.
bool PrepareDestination(FileJob* job) {
    // WinMain read the Windows directory before the pass; empty when it could not.
    if (g_szWindowsDir[0] == '\0') return false;
    return BuildDestDir(job->destDir, MAX_PATH, g_szWindowsDir,
                        static_cast<uint32_t>(job->dirNumber)) &&
           BuildDestPath(job->destPath, MAX_PATH, job->destDir, job->destName);
}

EntryEnd CopyEntry(HWND progress, uint16_t index) {
    FileJob job = {};
    job.index = index;
    InfQuery(GetFileDescription, index, job.description);
    SetItemText(s_items.fileLine, job.description);
    InfQuery(GetFileSourceName, index, job.sourceName);
    InfQuery(GetFileDestName, index, job.destName);
    job.dirNumber = InfQuery(GetFileDir, index, job.dirName);
    job.diskNumber = InfQuery(GetFileDisk, index, job.diskName);

    // Only the Windows directory and TWAIN_32 are destinations; other entries are skipped, and
    // the file is not installed.
    if (!IsDestinationDir(static_cast<uint32_t>(job.dirNumber))) {
        LogLine("file %u: %s\\%s: no directory %ld, passed over", index + 1, job.dirName,
                job.sourceName, static_cast<long>(job.dirNumber));
        return EntryEnd::PassedOver;
    }
    // A name that leaves the destination is refused like a destination that cannot be created.
    job.destUsable = PrepareDestination(&job) && IsSafeDestName(job.destName);
    if (Logging()) LogEntry(&job);
    const EntryEnd end = RunAttempts(progress, &job);
    if (Logging()) LogEntryEnd(&job, end);
    return end;
}

// Only a new figure is shown: under Wine each text set is a round trip to the server and a
// repaint, and past 100 entries most of them would change nothing.
int32_t s_shownPercent = -1;

void ShowProgress(int32_t percent) {
    if (percent == s_shownPercent) return;
    s_shownPercent = percent;
    SendMessageA(s_items.bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    char text[kPercentWidth];
    wsprintfA(text, "%d%%", percent);
    SetItemText(s_items.percent, text);
}

} // namespace

PassOutcome CopyInstallFiles(HWND progress) {
    FindProgressItems(progress);
    LoadUiString(g_hInst, IDS_COPYING, s_statusText, kStatusWidth);
    SetItemText(s_items.statusLine, s_statusText);

    s_silentStop = PassOutcome::Stopped;
    CopyWhole(s_mediaDir, MAX_PATH, g_szSourceDir);
    PassOutcome outcome = PassOutcome::Complete;
    const uint16_t count = static_cast<uint16_t>(InfQuery(GetFileCount, 0, nullptr));
    for (uint16_t i = 0; i < count; ++i) {
        const EntryEnd end = CopyEntry(progress, i);
        if (end == EntryEnd::Stopped) {
            outcome = g_bSilent ? s_silentStop : PassOutcome::Stopped;
            break;
        }
        if (end == EntryEnd::PassedOver) outcome = PassOutcome::PassedOver;
        ShowProgress(ProgressPercent(i, count));
    }
    return outcome;
}
