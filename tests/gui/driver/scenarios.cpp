#include "scenarios.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

void CleanDestinations() {
    // Every scenario names its destination files GUI*, so one pattern clears them all.
    WIN32_FIND_DATAA fd;
    std::string base = WindowsDir() + "\\";
    HANDLE h = FindFirstFileA((base + "GUI*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do
            RemoveTree(base + fd.cFileName);
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveTree(TwainDir()); // a mounted TWAIN_32 keeps its folder and loses its content
}

bool SameName(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

} // namespace

const char* RunWindowsVersion() {
    const char* version = std::getenv("GUI_WINDOWS_VERSION");
    return version != nullptr && version[0] != '\0' ? version : nullptr;
}

void ShowSetupWindows(const char* version) {
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\setup.exe";
    if (version == nullptr) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        return;
    }
    Check(RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Version", REG_SZ, version,
                          static_cast<DWORD>(std::strlen(version) + 1)) == 0,
          "cannot set %s to %s", kKey, version);
}

void PrepareDrive(Run& r, const std::string& mediaDir) {
    r.media = WithBackslash(mediaDir);
    ResetRecords();
    CleanDestinations();
}

bool Prepare(Run& r, const std::string& mediaDir, const char* inf, bool followOn) {
    PrepareDrive(r, mediaDir);
    return LayOutMedia(r.media, inf, followOn);
}

bool Start(Run& r) {
    return StartInstaller(r.inst, r.media + "setup.exe", r.args);
}

void FinishWithLaunch(Run& r, ExitCode want) {
    DWORD code = 99;
    if (WaitExit(r.inst, kWaitMs, &code)) CheckInt(code, want, "installer exit code");
    Launch l = WaitLaunch(kWaitMs);
    if (!Check(l.present, "the follow-on setup was not started")) return;
    std::string module = r.media + "photo\\setup.EXE";
    Check(SameName(l.module, module), "follow-on started as %s, want %s", l.module.c_str(),
          module.c_str());
    const std::string cmdline =
        "\"" + module + "\"" + (r.launchArgs.empty() ? "" : " " + r.launchArgs);
    Check(SameName(l.cmdline, cmdline), "follow-on command line %s, want %s", l.cmdline.c_str(),
          cmdline.c_str());
    Check(SameName(l.cwd, WindowsDir()), "follow-on current directory %s, want %s", l.cwd.c_str(),
          WindowsDir().c_str());
    CheckText(l.background, "0", "background window present at the launch");
}

void FinishWithoutLaunch(Run& r, ExitCode want) {
    DWORD code = 99;
    if (WaitExit(r.inst, kWaitMs, &code)) CheckInt(code, want, "installer exit code");
    Check(!WaitLaunch(kQuietMs).present, "the follow-on setup was started but must not be");
}

std::string WinFile(const char* name) {
    return WindowsDir() + "\\" + name;
}

std::string TwainFile(const char* name) {
    return TwainDir() + "\\" + name;
}

HWND TypeLocation(HWND prompt, const char* typed) {
    HWND edit = GetDlgItem(prompt, IDC_LOCATION);
    ClearEdit(edit);
    TypeText(edit, typed);
    return edit;
}

bool AnswerPrompt(const Installer& inst, const char* typed, int button, DWORD ms) {
    HWND prompt = WaitDiskPrompt(inst, ms);
    if (!prompt) return false;
    if (typed) TypeLocation(prompt, typed);
    Click(prompt, button);
    return WaitGone(prompt, ms);
}

std::string SpyPositions() {
    return SpyJoined("pos");
}

std::string Script(const char* files) {
    return std::string("[Application]\r\nAppName = GUI test\r\n"
                       "[Disks]\r\n1 = Disk One\r\n2 = Disk Two\r\n3 = Disk Three\r\n"
                       "[Dirs]\r\n1 = DISK1\r\n2 = TWAIN\r\n3 = DISK3\r\n"
                       "[Files]\r\n") +
           files + "[End]\r\n";
}

bool PutFiles(const std::string& folder, std::initializer_list<const char*> names) {
    if (!MakeDirs(folder)) return false;
    for (const char* name : names)
        if (!PutData(name, folder + "\\" + name)) return false;
    return true;
}

std::string SpyJoined(const char* kind) {
    std::string out;
    for (const std::string& p : SpyLinesOf(kind))
        out += (out.empty() ? "" : " ") + p;
    return out;
}

bool PutSources(const std::string& root, std::initializer_list<const char*> names) {
    std::string base = WithBackslash(root);
    return PutFiles(base + "DISK1", names) && PutFiles(base + "TWAIN", names);
}

bool PrepareAndStart(Run& r, const char* name, const std::string& inf,
                     std::initializer_list<const char*> sources) {
    return Prepare(r, WorkDir() + "\\" + name, inf.c_str()) &&
           (sources.size() == 0 || PutSources(r.media, sources)) && Start(r);
}

std::string AltDir() {
    return WorkDir() + "\\alt";
}

bool PrepareAlt(std::initializer_list<const char*> names) {
    RemoveTree(AltDir());
    return PutSources(AltDir(), names);
}

HWND StartPrompting(Run& r, const char* name, const char* disk) {
    std::string files = std::string("Text driver, TEXT.DL_, GUITEXT.DLL, 2, ") + disk + ", Y\r\n";
    if (!PrepareAlt({"TEXT.DL_"}) || !PrepareAndStart(r, name, Script(files.c_str())))
        return nullptr;
    return WaitDiskPrompt(r.inst);
}
