// Start-up: the silent exits, the missing script, and media in unusual places.
#include "scenarios.h"

#include <windows.h>

namespace {

constexpr const char* kTwoFileInf = "[Application]\r\n"
                                    "AppName = GUI test\r\n"
                                    "[Disks]\r\n"
                                    "1 = Disk One\r\n"
                                    "[Dirs]\r\n"
                                    "1 = DISK1\r\n"
                                    "2 = TWAIN\r\n"
                                    "[Files]\r\n"
                                    "Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 1, N\r\n"
                                    "Text driver, TEXT.DL_, GUITEXT.DLL, 2, 1, Y\r\n"
                                    "[End]\r\n";

constexpr const char* kNoFilesInf = "[Application]\r\n"
                                    "AppName = GUI test\r\n"
                                    "[Disks]\r\n"
                                    "1 = Disk One\r\n"
                                    "[Dirs]\r\n"
                                    "1 = DISK1\r\n"
                                    "[Files]\r\n"
                                    "[End]\r\n";

bool PutTwoFiles(const std::string& media) {
    return PutFiles(media + "DISK1", {"PLAIN.INI"}) && PutFiles(media + "TWAIN", {"TEXT.DL_"});
}

// Windows the installer created, leaving out the helper windows Wine gives every GUI thread.
std::string CreatedWindows() {
    std::string out;
    for (const std::string& cls : SpyLinesOf("create"))
        if (cls != "IME" && cls != "OleMainThreadWndClass") out += (out.empty() ? "" : " ") + cls;
    return out;
}

// The whole run from a media folder: both files in place and the launch from that folder.
void RunTwoFileMedia(const std::string& dir) {
    Run r;
    if (!Prepare(r, dir, kTwoFileInf) || !PutTwoFiles(r.media) || !Start(r)) return;
    Check(StaysQuiet(r.inst), "a question came up on a copy that cannot fail");
    FinishWithLaunch(r);
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
}

struct ProbeArgs {
    const char* text;
};

DWORD WINAPI ProbeThread(LPVOID p) {
    MessageBoxA(nullptr, static_cast<ProbeArgs*>(p)->text, nullptr, MB_OK);
    return 0;
}

// The caption the system gives a message box that has none, read from a box of our own.
std::string DefaultCaption() {
    static ProbeArgs args{"caption probe"};
    HANDLE thread = CreateThread(nullptr, 0, ProbeThread, &args, 0, nullptr);
    const Process self{GetCurrentProcessId(), GetCurrentProcess()};
    HWND box = WaitMessageBox(self, 5000);
    std::string caption = box ? Caption(box) : "<no probe box>";
    if (box) Click(box, IDOK);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    return caption;
}

void NoFollowOn() {
    Run r;
    std::string media = WorkDir() + "\\nofollow";
    if (!Prepare(r, media, kTwoFileInf, false) || !PutTwoFiles(r.media) || !Start(r)) return;
    FinishWithoutLaunch(r, kExitNoFollowOnSetup);
    CheckText(CreatedWindows(), "", "windows created");
    CheckAbsent(WinFile("GUIPLAIN.INI"));
    CheckAbsent(TwainDir());
}

void NoScript() {
    std::string caption = DefaultCaption();
    Run r;
    if (!Prepare(r, WorkDir() + "\\noscript", nullptr) || !Start(r)) return;
    HWND box = WaitMessageBox(r.inst);
    if (!box) return;
    std::string want = "The " + r.media + "SETUP.INF" + kMsg1002Tail;
    CheckText(ItemText(box, kMsgTextId), want, "message 1002");
    CheckText(Caption(box), caption, "caption of message 1002");
    Check(GetWindow(box, GW_OWNER) == nullptr, "message 1002 has an owner window");
    CheckInt(CountTop(r.inst, nullptr, true), 1, "visible windows besides message 1002");
    Click(box, IDOK);
    FinishWithoutLaunch(r, kExitScriptNotFound);
    CheckText(CreatedWindows(), "#32770", "windows created");
}

void EmptyFileList() {
    Run r;
    if (!Prepare(r, WorkDir() + "\\nofiles", kNoFilesInf) || !Start(r)) return;
    Check(StaysQuiet(r.inst), "a question came up with nothing to copy");
    FinishWithLaunch(r);
    CheckInt(static_cast<long long>(SpyLinesOf("init").size()), 1, "dialogs initialised");
    CheckText(SpyPositions(), "0", "progress positions");
    CheckInt(static_cast<long long>(SpyLinesOf("text progress:107").size()), 0,
             "percentage texts set");
    CheckAbsent(TwainDir());
}

void BlankPath() {
    RunTwoFileMedia(WorkDir() + "\\media with blanks\\setup disk");
}

void LongPath() {
    std::string dir =
        WorkDir() + "\\a-long-media-folder-name\\that-goes-on-and-on\\past-65-characters";
    Check(dir.size() + 1 > 65, "the long media path is only %zu characters", dir.size() + 1);
    RunTwoFileMedia(dir);
}

void DriveRoot() {
    RunTwoFileMedia("R:\\");
}

// A follow-on setup that does not start outweighs a stopped pass in the exit code.
void FollowOnFails() {
    Run r;
    if (!Prepare(r, WorkDir() + "\\badfollow", kTwoFileInf, false) ||
        !WriteBytes(r.media + "photo\\setup.EXE", "not a program") || !Start(r))
        return;
    // No source is there: the plain copy fails, and the user stops.
    if (!Answer(r.inst, kMsg1011, kCaption, IDCANCEL) || !Answer(r.inst, kMsg1005, kCaption, IDYES))
        return;
    FinishWithoutLaunch(r, kExitNotLaunched);
}

} // namespace

const Scenario kStartupScenarios[] = {
    {"startup_no_followon", NoFollowOn},       {"startup_no_script", NoScript},
    {"startup_empty_files", EmptyFileList},    {"startup_blank_path", BlankPath},
    {"startup_long_path", LongPath},           {"startup_drive_root", DriveRoot},
    {"startup_followon_fails", FollowOnFails}, {nullptr, nullptr},
};
