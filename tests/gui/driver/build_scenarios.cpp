// Media made by inftool build (tests/gui/build-media.sh), installed from a copy in C:\gui, or
// from its images mounted as A: and B: (wine-env.sh run-floppies), or from the CD image of the
// demo's set mounted as the CD drive D: (wine-env.sh run-cd).
#include "scenarios.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

// Copies folder from, with everything in it, into to.
bool CopyTree(const std::string& from, const std::string& to) {
    if (!MakeDirs(to)) return false;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((from + "\\*").c_str(), &fd);
    if (!Check(h != INVALID_HANDLE_VALUE, "no built media at %s", from.c_str())) return false;
    bool ok = true;
    do {
        if (!std::strcmp(fd.cFileName, ".") || !std::strcmp(fd.cFileName, "..")) continue;
        const std::string source = from + "\\" + fd.cFileName;
        const std::string target = to + "\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(source, target) && ok;
        else
            ok = Check(CopyFileA(source.c_str(), target.c_str(), FALSE) != 0, "cannot copy %s",
                       source.c_str()) &&
                 ok;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return ok;
}

// Lays out the installer's folder from the built disk, in place of the test media.
bool PrepareBuilt(Run& r, const std::string& folder, const char* builtDisk) {
    RemoveTree(folder);
    return Prepare(r, folder + "\\DISK1", nullptr, false) &&
           CopyTree(DataPath("built") + "\\" + builtDisk, r.media.substr(0, r.media.size() - 1));
}

// One disk built from builtDisk: installed without a question.
void InstallOneDisk(const char* builtDisk) {
    Run r;
    const std::string folder = WorkDir() + "\\built1";
    if (!PrepareBuilt(r, folder, builtDisk) || !Start(r)) return;
    Check(StaysQuiet(r.inst), "a question came up on media that inftool build laid out");
    FinishWithLaunch(r);
    CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
    CheckSameAsData(WinFile("GUIBIN.DLL"), "BIN.DLL");
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
}

void OneDisk() {
    InstallOneDisk("one_disk");
}

// A script with LF line ends and a byte-order mark: build wrote it on the disk as CR LF lines.
void LfScript() {
    InstallOneDisk("lf_script");
}

// From the start of the installer to the end, disk 2 given as secondDisk at the prompt.
void InstallTwoDisks(Run& r, const char* secondDisk) {
    if (!Start(r)) return;
    HWND prompt = WaitDiskPrompt(r.inst);
    if (!prompt) return;
    CheckText(ItemText(prompt, IDC_DISK_NAME), "Disk Two", "disk label");
    CheckAbsent(WinFile("GUIBIN.DLL"));
    if (!AnswerPrompt(r.inst, secondDisk)) return;
    Check(StaysQuiet(r.inst), "a question came up after disk 2 was given");
    FinishWithLaunch(r);
    CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckSameAsData(WinFile("GUIBIN.DLL"), "BIN.DLL");
    CheckSameAsData(WinFile("GUIOTHER.INI"), "OTHER.INI");
    CheckText(SpyPositions(), "0 25 50 75 100", "progress positions");
}

void TwoDisks() {
    Run r;
    const std::string folder = WorkDir() + "\\built2";
    if (PrepareBuilt(r, folder, "two_disks\\DISK1") &&
        CopyTree(DataPath("built\\two_disks\\DISK2"), folder + "\\DISK2"))
        InstallTwoDisks(r, "C:\\GUI\\BUILT2\\DISK2");
}

// build's two disks side by side: /S finds disk 2 in ..\DISK2 of the installer's folder, shows
// nothing and asks nothing, and the follow-on setup gets what follows "--"; the log follows the
// run. Without DISK2, /S stops at its first file:
// disk 2's old files stay whole, and the follow-on setup is not started.
void SilentTwoDisks(bool withDisk2) {
    Run r;
    const std::string folder = WorkDir() + "\\silent2", log = WorkDir() + "\\silent2.log";
    r.args = "/S /LOG=" + log + " -- " + (r.launchArgs = "-s -f1\"C:\\a b\\setup.iss\"");
    if (!PrepareBuilt(r, folder, "two_disks\\DISK1") || !WriteBytes(WinFile("GUIBIN.DLL"), "old") ||
        (withDisk2 && !CopyTree(DataPath("built\\two_disks\\DISK2"), folder + "\\DISK2")) ||
        !Start(r))
        return;
    if (withDisk2)
        FinishWithLaunch(r);
    else
        FinishWithoutLaunch(r, kExitNoSource);
    CheckNoWindow();
    CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    if (!withDisk2) {
        std::string old;
        Check(ReadBytes(WinFile("GUIBIN.DLL"), old) && old == "old", "the old GUIBIN.DLL is lost");
        CheckAbsent(WinFile("GUIOTHER.INI"));
        CheckLog(log, "file 3: |stopped: no source|exit code 8");
        return;
    }
    CheckSameAsData(WinFile("GUIBIN.DLL"), "BIN.DLL");
    CheckSameAsData(WinFile("GUIOTHER.INI"), "OTHER.INI");
    CheckLog(log, "file 2: |installed|file 3: |failed: LZOpenFileA|looked for in " + r.media +
                      "..\\DISK2\\|installed|file 4: |installed|main setup \"|exit code 0");
}

void TwoImages() {
    Run r;
    PrepareDrive(r, "A:\\");
    InstallTwoDisks(r, "B:\\");
}

// The demo's files below the Windows directory, and their originals (build-media.sh kept them).
constexpr const char* kDemoFiles[][2] = {{"TWAIN_32\\SCANDS.DS", "TWAIN\\SCANDS.DS"},
                                         {"TWAIN_32\\SCANDS.INI", "TWAIN\\SCANDS.INI"},
                                         {"SCANUTIL.HLP", "WINDOWS\\SCANUTIL.HLP"},
                                         {"SCANUTIL.INI", "WINDOWS\\SCANUTIL.INI"}};

// The file's number on its volume: a replaced file has another.
unsigned long long FileIdentity(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (h == INVALID_HANDLE_VALUE) return 0;
    GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return static_cast<unsigned long long>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
}

// One run from the CD: every file in place, none read-only, without a question; returns their
// identities. The files of a run before stay (PrepareDrive would clear TWAIN_32).
std::vector<unsigned long long> InstallFromCd(const char* version) {
    ShowSetupWindows(version);
    Run r;
    r.media = "D:\\";
    ResetRecords();
    std::vector<unsigned long long> identities;
    if (!Start(r)) return identities;
    Check(StaysQuiet(r.inst), "a question came up on the CD at %s", version ? version : "default");
    FinishWithLaunch(r);
    for (const auto& file : kDemoFiles) {
        const std::string path = WinFile(file[0]);
        CheckSameAsData(path, ("built\\cd_originals\\" + std::string(file[1])).c_str());
        Check((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) == 0,
              "%s is read-only, as its source on the CD", path.c_str());
        identities.push_back(FileIdentity(path));
    }
    return identities;
}

// The demo's set as inftool build --cd laid it out: installed from the CD at the run's Windows
// version and as Windows 98, and a second time from the same CD, which replaces every file.
void Cd() {
    if (!Check((GetFileAttributesA("D:\\SETUP.INF") & FILE_ATTRIBUTE_READONLY) != 0 &&
                   GetDriveTypeA("D:\\") == DRIVE_CDROM,
               "D: is no CD drive with read-only files"))
        return;
    const char* run = RunWindowsVersion();
    std::vector<const char*> versions = {run};
    if (run == nullptr || std::strcmp(run, "win98") != 0) versions.push_back("win98");
    for (const char* version : versions) {
        Run clean;
        PrepareDrive(clean, "D:\\");
        for (const auto& file : kDemoFiles)
            RemoveTree(WinFile(file[0]));
        const std::vector<unsigned long long> first = InstallFromCd(version);
        const std::vector<unsigned long long> second = InstallFromCd(version);
        for (size_t i = 0; i < first.size() && i < second.size(); ++i)
            Check(first[i] != second[i], "the second run did not replace %s", kDemoFiles[i][0]);
    }
    ShowSetupWindows(RunWindowsVersion());
}

} // namespace

const Scenario kBuildScenarios[] = {
    {"build_one_disk", OneDisk},
    {"build_lf_script", LfScript},
    {"build_two_disks", TwoDisks},
    {"build_two_images", TwoImages},
    {"build_cd", Cd},
    {"build_silent_two_disks", [] { SilentTwoDisks(true); }},
    {"build_silent_disk_missing", [] { SilentTwoDisks(false); }},
    {nullptr, nullptr},
};
