// Copy pass: destinations, progress, the disk prompt, and every failure question.
#include "scenarios.h"

#include <windows.h>

namespace {

constexpr const char* kPlain1 = "Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 1, N\r\n";
constexpr const char* kOther1 = "Other settings, OTHER.INI, GUIOTHER.INI, 1, 1, N\r\n";
constexpr const char* kText2 = "Text driver, TEXT.DL_, GUITEXT.DLL, 2, 2, Y\r\n";

// Wine answers GetVersion for setup.exe as Windows 95 does, for one scope; then as the run's.
struct ScopedWindows95 {
    ScopedWindows95() { ShowSetupWindows("win95"); }
    ~ScopedWindows95() { ShowSetupWindows(RunWindowsVersion()); }
};

// An old file of a destination, which a failed replacement must leave as it was.
constexpr const char* kOldBytes = "old file that must survive";

bool PutOld(const std::string& path) {
    return WriteBytes(path, kOldBytes);
}

void CheckOld(const std::string& path) {
    std::string bytes;
    Check(ReadBytes(path, bytes) && bytes == kOldBytes, "the old %s was not kept whole (\"%s\")",
          path.c_str(), bytes.c_str());
}

void CheckOwnedByProgress(const Installer& inst) {
    HWND box = WaitMessageBox(inst);
    if (box)
        Check(GetWindow(box, GW_OWNER) == FindProgress(inst), "a message box of the copy pass "
                                                              "is not owned by the progress "
                                                              "dialog");
}

void PlainAndCompressed() {
    Run r;
    std::string inf =
        Script((std::string(kPlain1) + "Binary driver, BIN.DL_, GUIBIN.DLL, 2, 1, Y\r\n" +
                "Text driver, TEXT.DL_, GUITEXT.DLL, 1, 1, Y\r\n")
                   .c_str());
    if (!Prepare(r, WorkDir() + "\\plain", inf.c_str()) ||
        !PutSources(r.media, {"PLAIN.INI", "BIN.DL_", "TEXT.DL_"}) ||
        !WriteBytes(WinFile("GUIPLAIN.INI"), "old plain") ||
        !WriteBytes(WinFile("GUITEXT.DLL"), "old expanded") || !Start(r))
        return;
    Check(StaysQuiet(r.inst), "a question came up on copies that cannot fail");
    FinishWithLaunch(r);
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckSameAsData(TwainFile("GUIBIN.DLL"), "BIN.DLL");
    CheckSameAsData(WinFile("GUITEXT.DLL"), "TEXT.DLL");
    CheckText(SpyPositions(), "0 33 66 100", "progress positions");
    CheckText(SpyJoined("text"),
              "progress:103 Copying files... progress:104 Plain settings progress:107 33% "
              "progress:104 Binary driver progress:107 66% progress:104 Text driver "
              "progress:107 100%",
              "progress dialog texts");
}

void ProgressSteps() {
    Run r;
    std::string files;
    for (int i = 1; i <= 7; ++i)
        files += "Step " + std::to_string(i) + ", PLAIN.INI, GUIP" + std::to_string(i) + ".INI, " +
                 (i % 2 ? "1" : "2") + ", 1, N\r\n";
    if (!PrepareAndStart(r, "steps", Script(files.c_str()), {"PLAIN.INI"})) return;
    FinishWithLaunch(r);
    CheckText(SpyPositions(), "0 14 28 42 57 71 85 100", "progress positions");
    for (int i = 1; i <= 7; ++i) {
        std::string name = "GUIP" + std::to_string(i) + ".INI";
        CheckSameAsData(i % 2 ? WinFile(name.c_str()) : TwainFile(name.c_str()), "PLAIN.INI");
    }
}

void SkipOtherDirs() {
    Run r;
    std::string inf = Script("Dir three, PLAIN.INI, GUISKIP3.INI, 3, 1, N\r\n"
                             "Dir zero, TEXT.DL_, GUISKIP0.DLL, 0, 1, Y\r\n"
                             "Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 1, N\r\n");
    if (!Prepare(r, WorkDir() + "\\skip", inf.c_str()) ||
        !PutFiles(r.media + "DISK1", {"PLAIN.INI"}) ||
        !PutFiles(r.media + "DISK3", {"PLAIN.INI"}) || !Start(r))
        return;
    Check(StaysQuiet(r.inst), "a question came up for entries of other directories");
    FinishWithLaunch(r, kExitIncomplete);
    for (const char* name : {"GUISKIP3.INI", "GUISKIP0.DLL"}) {
        CheckAbsent(WinFile(name));
        CheckAbsent(TwainFile(name));
    }
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    std::string pos = SpyPositions();
    Check(pos.size() >= 3 && pos.compare(pos.size() - 3, 3, "100") == 0,
          "progress positions %s do not end at 100", pos.c_str());
}

void PromptOtherPath() {
    Run r;
    std::string inf = Script((std::string(kPlain1) + kText2 + kOther1 +
                              "Binary driver, BIN.DL_, GUIBIN.DLL, 1, 2, Y\r\n")
                                 .c_str());
    if (!PrepareAlt({"TEXT.DL_", "OTHER.INI", "BIN.DL_"}) ||
        !PrepareAndStart(r, "prompt", inf, {"PLAIN.INI"}))
        return;
    HWND prompt = WaitDiskPrompt(r.inst);
    if (!prompt) return;
    HWND progress = FindProgress(r.inst);
    CheckText(ItemText(prompt, IDC_DISK_NAME), "Disk Two", "disk label");
    std::string field = EditText(GetDlgItem(prompt, IDC_LOCATION));
    Check(lstrcmpiA(field.c_str(), r.media.c_str()) == 0, "prompt field \"%s\", want \"%s\"",
          field.c_str(), r.media.c_str());
    CheckInt(ProgressPos(progress), 25, "progress at the prompt");
    CheckText(ItemText(progress, IDC_PERCENT), "25%", "percentage at the prompt");
    Check(!IsWindowVisible(progress), "the progress dialog is visible under the disk prompt");
    // No trailing backslash: the pass must insert one before the [Dirs] name.
    if (!AnswerPrompt(r.inst, "c:\\gui\\alt")) return;
    Check(StaysQuiet(r.inst), "a question came up although every later file is at the new path");
    FinishWithLaunch(r);
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
    CheckSameAsData(WinFile("GUIOTHER.INI"), "OTHER.INI");
    CheckSameAsData(WinFile("GUIBIN.DLL"), "BIN.DLL");
    CheckText(SpyPositions(), "0 25 50 75 100", "progress positions");
}

void PromptCancel() {
    Run r;
    std::string inf = Script((std::string(kPlain1) + kText2 + kOther1).c_str());
    if (!PrepareAndStart(r, "promptcancel", inf, {"PLAIN.INI", "OTHER.INI"})) return;
    if (!AnswerPrompt(r.inst, nullptr, IDCANCEL)) return;
    CheckOwnedByProgress(r.inst);
    if (!Answer(r.inst, kMsg1005, kCaption, IDNO)) return;
    // No asks again: the source is still missing, so the prompt comes back.
    if (!AnswerPrompt(r.inst, nullptr, IDCANCEL)) return;
    if (!Answer(r.inst, kMsg1005, kCaption, IDYES)) return;
    FinishWithLaunch(r, kExitCancelled);
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckAbsent(TwainFile("GUITEXT.DLL"));
    CheckAbsent(WinFile("GUIOTHER.INI"));
    CheckText(SpyPositions(), "0 33", "progress positions");
}

void PlainRetry() {
    Run r;
    std::string inf = Script((std::string(kOther1) + kPlain1).c_str());
    if (!PrepareAndStart(r, "plainretry", inf, {"PLAIN.INI"})) return;
    CheckOwnedByProgress(r.inst);
    CheckAbsent(WinFile("GUIOTHER.INI"));
    // The cause goes away while the question is up; Retry then succeeds.
    PutSources(r.media, {"OTHER.INI"});
    if (!Answer(r.inst, kMsg1011, kCaption, IDRETRY)) return;
    Check(StaysQuiet(r.inst), "a question came up after a successful retry");
    FinishWithLaunch(r);
    CheckSameAsData(WinFile("GUIOTHER.INI"), "OTHER.INI");
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckText(SpyPositions(), "0 50 100", "progress positions");
}

void PlainCancel() {
    Run r;
    std::string inf =
        Script((std::string(kPlain1) + kOther1 + "Text driver, TEXT.DL_, GUITEXT.DLL, 1, 1, Y\r\n")
                   .c_str());
    if (!PrepareAndStart(r, "plaincancel", inf, {"PLAIN.INI", "TEXT.DL_"})) return;
    if (!Answer(r.inst, kMsg1011, kCaption, IDCANCEL)) return;
    if (!Answer(r.inst, kMsg1005, kCaption, IDNO)) return;
    if (!Answer(r.inst, kMsg1011, kCaption, IDCANCEL)) return;
    if (!Answer(r.inst, kMsg1005, kCaption, IDYES)) return;
    FinishWithLaunch(r, kExitCancelled);
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckAbsent(WinFile("GUIOTHER.INI"));
    CheckAbsent(WinFile("GUITEXT.DLL"));
    CheckText(SpyPositions(), "0 33", "progress positions");
}

void DestRetry() {
    Run r;
    std::string inf =
        Script((std::string("Text driver, TEXT.DL_, GUIDIR.DLL, 1, 1, Y\r\n") + kPlain1).c_str());
    // A folder where the expanded file must go. The installer must not fall back to another
    // name, as LZOpenFileA would ("GUIDIR.DL_"), and report success.
    if (!Prepare(r, WorkDir() + "\\destretry", inf.c_str()) ||
        !PutSources(r.media, {"TEXT.DL_", "PLAIN.INI"}) || !MakeDirs(WinFile("GUIDIR.DLL")) ||
        !Start(r))
        return;
    CheckOwnedByProgress(r.inst);
    RemoveTree(WinFile("GUIDIR.DLL"));
    if (!Answer(r.inst, kMsg1012, kCaption, IDRETRY)) return;
    Check(StaysQuiet(r.inst), "a question came up after a successful retry");
    FinishWithLaunch(r);
    CheckSameAsData(WinFile("GUIDIR.DLL"), "TEXT.DLL");
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckAbsent(WinFile("GUIDIR.DL_"));
}

void DestCancel() {
    Run r;
    std::string inf = Script("Text driver, TEXT.DL_, GUITEXT.DLL, 2, 1, Y\r\n"
                             "Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 1, N\r\n");
    // A file named TWAIN_32 keeps the folder from being made.
    if (!Prepare(r, WorkDir() + "\\destcancel", inf.c_str()) ||
        !PutSources(r.media, {"TEXT.DL_", "PLAIN.INI"}) ||
        !WriteBytes(TwainDir(), "not a folder") || !Start(r))
        return;
    if (!Answer(r.inst, kMsg1012, kCaption, IDCANCEL)) return;
    if (!Answer(r.inst, kMsg1005, kCaption, IDNO)) return;
    if (!Answer(r.inst, kMsg1012, kCaption, IDCANCEL)) return;
    if (!Answer(r.inst, kMsg1005, kCaption, IDYES)) return;
    FinishWithLaunch(r, kExitCancelled);
    Check(FileExists(TwainDir()), "the file TWAIN_32 was removed");
    CheckAbsent(WinFile("GUIPLAIN.INI"));
    CheckText(SpyPositions(), "0", "progress positions");
    RemoveTree(TwainDir());
}

// A destination name with a folder in it would write outside the two destinations: it is
// refused as a destination that cannot be made, every time it is retried.
void DestOutside(const char* name, const char* entry, const char* source, const char* question,
                 const char* escaped) {
    Run r;
    const std::string outside = WinFile("..\\") + escaped;
    DeleteFileA(outside.c_str());
    if (!PrepareAndStart(r, name, Script(entry), {source})) return;
    if (!Answer(r.inst, question, kCaption, IDRETRY)) return;
    if (!Answer(r.inst, question, kCaption, IDCANCEL)) return;
    if (!Answer(r.inst, kMsg1005, kCaption, IDYES)) return;
    FinishWithLaunch(r, kExitCancelled);
    CheckAbsent(outside);
    CheckText(SpyPositions(), "0", "progress positions");
}

void DestOutsidePlain() {
    DestOutside("outsideplain", "Settings, PLAIN.INI, ..\\GUIUP.INI, 1, 1, N\r\n", "PLAIN.INI",
                kMsg1011, "GUIUP.INI");
}

void DestOutsideCompressed() {
    DestOutside("outsidepacked", "Text driver, TEXT.DL_, ..\\..\\GUIUP.D, 2, 1, Y\r\n", "TEXT.DL_",
                kMsg1012, "GUIUP.D");
}

// A failed expansion: Yes goes on with the next entry, No stops without the cancel question.
void ExpandFails(const char* name, const char* inf, std::initializer_list<int> answers,
                 ExitCode want, std::initializer_list<const char*> oldFiles = {}) {
    Run r;
    if (!Prepare(r, WorkDir() + "\\" + name, inf) ||
        !PutSources(r.media, {"TRUNC.DL_", "BIN.DL_", "TEXT.DL_", "PLAIN.INI"}))
        return;
    for (const char* old : oldFiles)
        if (!PutOld(WinFile(old))) return;
    if (!Start(r)) return;
    for (int answer : answers) {
        CheckOwnedByProgress(r.inst);
        if (!Answer(r.inst, kMsg2012, kCaption, answer)) return;
    }
    Check(StaysQuiet(r.inst), "a question came up after the answers to 2012");
    FinishWithLaunch(r, want);
}

void ExpandTruncatedYes() {
    std::string inf = Script((std::string("Cut driver, TRUNC.DL_, GUICUT.DLL, 1, 1, Y\r\n") +
                              "Cut over old, TRUNC.DL_, GUICUTO.DLL, 1, 1, Y\r\n" + kPlain1)
                                 .c_str());
    ExpandFails("truncyes", inf.c_str(), {IDYES, IDYES}, kExitIncomplete, {"GUICUTO.DLL"});
    // Where nothing was there, what was written stays; an old file is never replaced by it.
    Check(FileExists(WinFile("GUICUT.DLL")), "the partly expanded file was removed");
    CheckOld(WinFile("GUICUTO.DLL"));
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckText(SpyPositions(), "0 33 66 100", "progress positions");
}

void ExpandTruncatedNo() {
    std::string inf =
        Script((std::string("Cut driver, TRUNC.DL_, GUICUT.DLL, 1, 1, Y\r\n") + kPlain1).c_str());
    ExpandFails("truncno", inf.c_str(), {IDNO}, kExitCancelled);
    Check(FileExists(WinFile("GUICUT.DLL")), "the partly expanded file was removed");
    CheckAbsent(WinFile("GUIPLAIN.INI"));
    CheckText(SpyPositions(), "0", "progress positions");
}

// An entry marked compressed whose source has no SZDD header is copied as it is.
void ExpandUncompressed() {
    Run r;
    std::string inf = Script("Raw settings, PLAIN.INI, GUIRAW.INI, 1, 1, Y\r\n"
                             "Text driver, TEXT.DL_, GUITEXT.DLL, 1, 1, Y\r\n");
    if (!PrepareAndStart(r, "expandraw", inf, {"PLAIN.INI", "TEXT.DL_"})) return;
    Check(StaysQuiet(r.inst), "a question came up for a compressed entry stored as it is");
    FinishWithLaunch(r);
    CheckSameAsData(WinFile("GUIRAW.INI"), "PLAIN.INI");
    CheckSameAsData(WinFile("GUITEXT.DLL"), "TEXT.DLL");
}

// TWAIN_32 is a 16 KB tmpfs: three old files of a page each leave one page free.
void ExpandDiskFull() {
    Run r;
    std::string inf = Script("Small settings, PLAIN.INI, GUISMALL.INI, 2, 1, N\r\n"
                             "Binary driver, BIN.DL_, GUIBIN.DLL, 2, 1, Y\r\n"
                             "Text over old, TEXT.DL_, GUIOLD.DLL, 2, 1, Y\r\n"
                             "Binary over old, BIN.DLL, GUIOLD.BIN, 2, 1, N\r\n"
                             "Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 1, N\r\n");
    if (!Prepare(r, WorkDir() + "\\diskfull", inf.c_str()) ||
        !PutSources(r.media, {"PLAIN.INI", "BIN.DL_", "TEXT.DL_", "BIN.DLL"}) ||
        !PutOld(TwainFile("GUISMALL.INI")) || !PutOld(TwainFile("GUIOLD.DLL")) ||
        !PutOld(TwainFile("GUIOLD.BIN")) || !Start(r))
        return;
    // The first replacement fits beside its old file (a guard: it passed before files were
    // written aside). The expansion of BIN.DL_ then fills the disk.
    if (!Answer(r.inst, kMsg2012, kCaption, IDYES) || !Answer(r.inst, kMsg2012, kCaption, IDYES) ||
        !Answer(r.inst, kMsg1011, kCaption, IDCANCEL) || !Answer(r.inst, kMsg1005, kCaption, IDYES))
        return;
    FinishWithLaunch(r, kExitCancelled);
    CheckSameAsData(TwainFile("GUISMALL.INI"), "PLAIN.INI");
    std::string partial;
    Check(ReadBytes(TwainFile("GUIBIN.DLL"), partial) && partial.size() < 65536,
          "the partly expanded GUIBIN.DLL is not in place (%zu bytes)", partial.size());
    CheckOld(TwainFile("GUIOLD.DLL"));
    CheckOld(TwainFile("GUIOLD.BIN"));
    CheckAbsent(WinFile("GUIPLAIN.INI"));
    CheckText(SpyPositions(), "0 20 40 60", "progress positions");
}

// An old file that another program holds open without letting it be deleted, or that is
// read-only, is not replaced: the question comes, and Retry succeeds once the user has closed
// the program and cleared the attribute. On the 9x family the old file is deleted before the
// rename, which the holder refuses the same way. The plain source is read-only, as on a CD,
// and so is the copy until it is flushed, when the attribute goes.
void ReplaceRefused() {
    Run r;
    std::string inf = Script("Plain settings, PLAIN.INI, GUIHELD.INI, 1, 1, N\r\n"
                             "Text driver, TEXT.DL_, GUIRO.DLL, 1, 1, Y\r\n");
    const std::string held = WinFile("GUIHELD.INI"), readOnly = WinFile("GUIRO.DLL");
    if (!Prepare(r, WorkDir() + "\\refused", inf.c_str()) ||
        !PutSources(r.media, {"PLAIN.INI", "TEXT.DL_"}) || !PutOld(held) || !PutOld(readOnly) ||
        !SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY) ||
        !SetFileAttributesA((r.media + "DISK1\\PLAIN.INI").c_str(), FILE_ATTRIBUTE_READONLY))
        return;
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (!Check(holder != INVALID_HANDLE_VALUE, "cannot hold GUIHELD.INI open") || !Start(r)) {
        CloseHandle(holder);
        return;
    }
    bool answered = WaitMessageBox(r.inst) != nullptr;
    CheckOld(held);
    CloseHandle(holder);
    answered = answered && Answer(r.inst, kMsg1011, kCaption, IDRETRY) && WaitMessageBox(r.inst);
    CheckOld(readOnly);
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!answered || !Answer(r.inst, kMsg1012, kCaption, IDRETRY)) return;
    Check(StaysQuiet(r.inst), "a question came up after both retries");
    FinishWithLaunch(r);
    CheckSameAsData(held, "PLAIN.INI");
    CheckSameAsData(readOnly, "TEXT.DLL");
    // The copy of a read-only source (as from a CD) is not read-only, or the next run would
    // keep it.
    Check((GetFileAttributesA(held.c_str()) & FILE_ATTRIBUTE_READONLY) == 0,
          "the copy of a read-only source kept its attribute");
}

// A run ended from outside while it asks about a cut expansion leaves its temporary file. The
// next run into that folder removes it, but not one that another installer holds open, nor a
// name of someone else's.
void LeftoverRemoved() {
    Run r;
    const std::string left = TwainFile("~setup0000.tmp"), busy = TwainFile("~setup0001.tmp"),
                      other = TwainFile("~setupnote.tmp");
    if (!PrepareAndStart(r, "leftover", Script("Cut, TRUNC.DL_, GUICUT.DLL, 2, 1, Y\r\n"),
                         {"TRUNC.DL_", "PLAIN.INI"}) ||
        !WaitMessageBox(r.inst))
        return;
    KillInstaller(r.inst);
    if (!Check(FileExists(left), "the killed run left no temporary file") ||
        !WriteBytes(busy, "busy") || !WriteBytes(other, "other"))
        return;
    // Held as one may hold a file and still let it be deleted: only an open that wants it alone
    // tells that it is in use.
    const DWORD shared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE holder =
        CreateFileA(busy.c_str(), GENERIC_READ, shared, nullptr, OPEN_EXISTING, 0, nullptr);
    if (WriteBytes(r.media + "SETUP.INF", Script("Plain, PLAIN.INI, GUIPLAIN.INI, 2, 1, N\r\n")) &&
        Start(r))
        FinishWithLaunch(r);
    CloseHandle(holder);
    CheckAbsent(left);
    CheckSameAsData(TwainFile("GUIPLAIN.INI"), "PLAIN.INI");
    Check(FileExists(busy), "a temporary file in use was removed");
    Check(FileExists(other), "a file not of the installer's own names was removed");
    DeleteFileA(busy.c_str());
    DeleteFileA(other.c_str());
}

void ReplaceRefused9x() {
    ScopedWindows95 version;
    ReplaceRefused();
}

// A file named TWAIN_32 keeps the folder from being made: the question comes, and Retry succeeds
// once the user has removed the file, as TWAIN_32 is made at each attempt.
void TwainRetry() {
    Run r;
    if (!Prepare(r, WorkDir() + "\\twainretry",
                 Script("Plain settings, PLAIN.INI, GUIPLAIN.INI, 2, 1, N\r\n").c_str()) ||
        !PutSources(r.media, {"PLAIN.INI"}) || !WriteBytes(TwainDir(), "not a folder") ||
        !Start(r) || !WaitMessageBox(r.inst))
        return;
    DeleteFileA(TwainDir().c_str());
    if (!Answer(r.inst, kMsg1011, kCaption, IDRETRY)) return;
    Check(StaysQuiet(r.inst), "a question came up after a successful retry");
    FinishWithLaunch(r);
    CheckSameAsData(TwainFile("GUIPLAIN.INI"), "PLAIN.INI");
}

// On the 9x way an old file is renamed aside, under a name that holds its own, until the new
// one has its name. A run ended between the two renames leaves it there; the next run into that
// folder puts it back where its name is free and removes it where the new file took the name,
// before it replaces a file itself.
void AsideRestored9x() {
    ScopedWindows95 version;
    Run r;
    std::string inf = Script("Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 1, N\r\n");
    const std::string lost = WinFile("GUILOST.INI"), kept = WinFile("GUIKEPT.INI");
    if (!Prepare(r, WorkDir() + "\\asiderestored", inf.c_str()) ||
        !PutSources(r.media, {"PLAIN.INI"}) || !PutOld(WinFile("~setup~GUILOST.INI.tmp")) ||
        !PutOld(WinFile("~setup~GUIKEPT.INI.tmp")) || !WriteBytes(kept, "new") ||
        !PutOld(WinFile("GUIPLAIN.INI")) || !Start(r))
        return;
    Check(StaysQuiet(r.inst), "a question came up on a copy that cannot fail");
    FinishWithLaunch(r);
    CheckOld(lost);
    std::string bytes;
    Check(ReadBytes(kept, bytes) && bytes == "new", "the new file that took its name was changed");
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
}

// Cancel in the progress dialog, clicked the moment the dialog comes back after a prompt.
void ProgressCancel(int answer) {
    Run r;
    std::string inf = Script((std::string(kPlain1) + kText2 + kOther1).c_str());
    if (!PrepareAlt({"TEXT.DL_", "OTHER.INI"}) ||
        !PrepareAndStart(r, "progcancel", inf, {"PLAIN.INI"}))
        return;
    HWND prompt = WaitDiskPrompt(r.inst);
    HWND progress = FindProgress(r.inst);
    if (!prompt || !progress) return;
    TypeLocation(prompt, (AltDir() + "\\").c_str());
    // Both clicks wait in the queue: the prompt's loop takes OK and ends, the pass's pump
    // then delivers Cancel to the progress dialog that has just been shown.
    Click(prompt, IDOK);
    Click(progress, IDCANCEL);
    HWND box = WaitMessageBox(r.inst);
    if (!box) return;
    CheckText(ItemText(box, kMsgTextId), kMsg1005, "cancel confirmation");
    Check(GetWindow(box, GW_OWNER) == progress, "1005 is not owned by the progress dialog");
    Check(IsWindowVisible(progress), "the progress dialog is hidden after the prompt's OK");
    CheckText(ItemText(progress, IDC_STATUS_LINE), "Copying files...", "status line after showing");
    CheckText(ItemText(progress, IDC_FILE_LINE), "Text driver", "file line after showing");
    Click(box, answer);
    WaitGone(box);
    Check(StaysQuiet(r.inst), "a question came up after the answer to 1005");
    FinishWithLaunch(r, answer == IDNO ? kExitInstalled : kExitCancelled);
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    bool disabled = SpyJoined("enable").find("progress:2 0") != std::string::npos;
    if (answer == IDNO) {
        Check(!disabled, "Cancel was disabled although the answer was No");
        CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
        CheckSameAsData(WinFile("GUIOTHER.INI"), "OTHER.INI");
        CheckText(SpyPositions(), "0 33 66 100", "progress positions");
    } else {
        Check(disabled, "Cancel was not disabled by the answer Yes");
        CheckAbsent(TwainFile("GUITEXT.DLL"));
        CheckAbsent(WinFile("GUIOTHER.INI"));
        CheckText(SpyPositions(), "0 33", "progress positions");
    }
}

void ProgressCancelNo() {
    ProgressCancel(IDNO);
}
void ProgressCancelYes() {
    ProgressCancel(IDYES);
}

} // namespace

const Scenario kCopyScenarios[] = {
    {"copy_plain_and_compressed", PlainAndCompressed},
    {"copy_progress_steps", ProgressSteps},
    {"copy_skip_other_dirs", SkipOtherDirs},
    {"copy_prompt_other_path", PromptOtherPath},
    {"copy_prompt_cancel", PromptCancel},
    {"copy_plain_retry", PlainRetry},
    {"copy_plain_cancel", PlainCancel},
    {"copy_dest_retry", DestRetry},
    {"copy_dest_cancel", DestCancel},
    {"copy_dest_outside_plain", DestOutsidePlain},
    {"copy_dest_outside_compressed", DestOutsideCompressed},
    {"copy_expand_truncated", ExpandTruncatedYes},
    {"copy_expand_truncated_no", ExpandTruncatedNo},
    {"copy_expand_uncompressed", ExpandUncompressed},
    {"copy_expand_disk_full", ExpandDiskFull},
    {"copy_replace_refused", ReplaceRefused},
    {"copy_replace_refused_9x", ReplaceRefused9x},
    {"copy_leftover_removed", LeftoverRemoved},
    {"copy_twain_retry", TwainRetry},
    {"copy_aside_restored_9x", AsideRestored9x},
    {"copy_progress_cancel_no", ProgressCancelNo},
    {"copy_progress_cancel_yes", ProgressCancelYes},
    {nullptr, nullptr},
};
