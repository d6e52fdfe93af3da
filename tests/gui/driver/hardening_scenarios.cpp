// What a person's folder may hold or be called: planted DLLs, deep and foreign-named media,
// destination subfolders, and a progress dialog that cannot be made.
#include "scenarios.h"

#include "common/system_dlls.h"

#include <windows.h>

namespace {

constexpr const char* kPlainAndText = "Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 1, N\r\n"
                                      "Text driver, TEXT.DL_, GUITEXT.DLL, 2, 1, Y\r\n";

// An environment variable of the driver, and so of the installer it starts, for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        had_ = GetEnvironmentVariableA(name, old_, sizeof old_) != 0;
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedEnv() { SetEnvironmentVariableA(name_, had_ ? old_ : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    char old_[512] = {};
    bool had_ = false;
};

void CheckBothInstalled() {
    CheckSameAsData(WinFile("GUIPLAIN.INI"), "PLAIN.INI");
    CheckSameAsData(TwainFile("GUITEXT.DLL"), "TEXT.DLL");
}

// Stand-ins for lz32.dll and comctl32.dll beside the installer and in its current directory,
// which the test registration tells Wine to prefer to its own: none of them may be loaded.
void PlantedDlls() {
    Run r;
    const char* dlls[] = {"lz32.dll", "comctl32.dll"};
    if (!Prepare(r, WorkDir() + "\\planted", Script(kPlainAndText).c_str()) ||
        !PutSources(r.media, {"PLAIN.INI", "TEXT.DL_"}))
        return;
    const std::string places[] = {r.media, "C:\\"};
    for (const std::string& place : places)
        for (const char* dll : dlls) {
            DeleteFileA((place + dll + ".mark").c_str());
            if (!Check(CopyFileA(PlantedDllPath(dll).c_str(), (place + dll).c_str(), FALSE) != 0,
                       "cannot plant %s in %s", dll, place.c_str()))
                return;
        }
    if (!Start(r)) return;
    Check(StaysQuiet(r.inst), "a question came up on copies that cannot fail");
    FinishWithLaunch(r);
    CheckBothInstalled();
    for (const std::string& place : places)
        for (const char* dll : dlls) {
            Check(!FileExists(place + dll + ".mark"), "the planted %s in %s was loaded", dll,
                  place.c_str());
            DeleteFileA((place + dll).c_str());
        }
}

// Where the first module lacks the LZ calls, as the oldest systems' KERNEL32 does, every one of
// them comes from lz32.dll of the system directory, and they work.
void LzFallback() {
    LzCalls calls{};
    if (!Check(ResolveLzCalls(GetModuleHandleA("kernel32.dll"), &calls),
               "KERNEL32 has no LZ calls"))
        return;
    Check(GetModuleHandleA("lz32.dll") == nullptr,
          "lz32.dll was loaded although KERNEL32 has them");
    if (!Check(ResolveLzCalls(GetModuleHandleA("user32.dll"), &calls), "no LZ calls after user32"))
        return;
    HMODULE lz = GetModuleHandleA("lz32.dll");
    char loaded[MAX_PATH] = {};
    char system[MAX_PATH] = {};
    GetModuleFileNameA(lz, loaded, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    Check(lz != nullptr && lstrcmpiA(loaded, (std::string(system) + "\\lz32.dll").c_str()) == 0,
          "lz32.dll loaded from \"%s\"", loaded);
    const void* const got[] = {
        reinterpret_cast<void*>(calls.openFile), reinterpret_cast<void*>(calls.init),
        reinterpret_cast<void*>(calls.copy), reinterpret_cast<void*>(calls.seek),
        reinterpret_cast<void*>(calls.close)};
    int i = 0;
    for (const char* name : {"LZOpenFileA", "LZInit", "LZCopy", "LZSeek", "LZClose"})
        Check(got[i++] == reinterpret_cast<void*>(GetProcAddress(lz, name)), "%s is not lz32's",
              name);
    std::string path = DataPath("TEXT.DL_"), expanded;
    OFSTRUCT of;
    const INT file = calls.openFile(path.data(), &of, OF_READ);
    const LONG length = file >= 0 ? calls.seek(file, 0, 2) : -1;
    if (file >= 0) calls.close(file);
    if (Check(ReadBytes(DataPath("TEXT.DLL"), expanded), "no TEXT.DLL"))
        CheckInt(length, static_cast<long long>(expanded.size()), "expanded length by lz32.dll");
}

// Media deeper than the prompt's typing limit: the offered location, taken as it is, must
// reach every later source path whole.
void PromptDeepMedia() {
    Run r;
    const std::string deep =
        WorkDir() + "\\deep-media-" + std::string(48, 'd') + "\\" + std::string(40, 'e');
    const std::string inf = Script("Text driver, TEXT.DL_, GUITEXT.DLL, 2, 2, Y\r\n"
                                   "Plain settings, PLAIN.INI, GUIPLAIN.INI, 1, 2, N\r\n");
    if (!Prepare(r, deep, inf.c_str()) || !PutSources(r.media, {"PLAIN.INI"}) || !Start(r)) return;
    HWND prompt = WaitDiskPrompt(r.inst);
    if (!prompt) return;
    const std::string offered = EditText(GetDlgItem(prompt, IDC_LOCATION));
    Check(r.media.size() > 100 && lstrcmpiA(offered.c_str(), r.media.c_str()) == 0,
          "prompt offers \"%s\", want the %zu characters of \"%s\"", offered.c_str(),
          r.media.size(), r.media.c_str());
    // The disk goes in while the prompt is up; OK on the offered text.
    if (!PutFiles(r.media + "TWAIN", {"TEXT.DL_"})) return;
    Click(prompt, IDOK);
    Check(WaitGone(prompt), "the disk prompt stayed up after OK");
    Check(StaysQuiet(r.inst), "a question came up although the offered location holds the files");
    FinishWithLaunch(r);
    CheckBothInstalled();
}

// Media in a folder whose name the ANSI code page cannot spell.
void ForeignFolder() {
    Run r;
    const std::wstring foreign =
        L"C:\\gui\\\x141\xf3\x64\x17a-\x43c\x435\x434\x438\x430-\x65e5\x672c";
    const std::string staging = WorkDir() + "\\foreign-staging";
    const std::wstring wideStaging(staging.begin(), staging.end());
    // A folder of an earlier run goes back to its spellable name to be removed.
    RemoveTree(staging);
    MoveFileW(foreign.c_str(), wideStaging.c_str());
    if (!Prepare(r, staging, Script(kPlainAndText).c_str()) ||
        !PutSources(r.media, {"PLAIN.INI", "TEXT.DL_"}))
        return;
    if (!Check(MoveFileW(wideStaging.c_str(), foreign.c_str()) != 0,
               "cannot rename the media folder (error %lu)", GetLastError()))
        return;
    if (!StartInstaller(r.inst, foreign + L"\\setup.exe")) return;
    Check(StaysQuiet(r.inst), "a question came up on media in a foreign-named folder");
    DWORD code = 99;
    if (WaitExit(r.inst, kWaitMs, &code)) CheckInt(code, 0, "installer exit code");
    const Launch launch = WaitLaunch(kWaitMs);
    if (Check(launch.present, "the follow-on setup was not started")) {
        const std::string tail = "\\PHOTO\\SETUP.EXE";
        std::string module = launch.module;
        CharUpperA(module.data());
        Check(module.size() > tail.size() &&
                  module.compare(module.size() - tail.size(), tail.size(), tail) == 0,
              "follow-on started as %s", launch.module.c_str());
    }
    CheckBothInstalled();
}

// A destination below the Windows directory or TWAIN_32 is written once its folder exists;
// until then each copy gets its usual retry question.
void DestSubfolder() {
    Run r;
    const std::string inf = Script("Plain settings, PLAIN.INI, GUISUB\\P.INI, 1, 1, N\r\n"
                                   "Text driver, TEXT.DL_, GUISUB/T.DLL, 2, 1, Y\r\n");
    RemoveTree(WinFile("GUISUB"));
    RemoveTree(TwainFile("GUISUB"));
    if (!PrepareAndStart(r, "subfolder", inf, {"PLAIN.INI", "TEXT.DL_"})) return;
    // Each folder is made only once the retry without it has been asked about again.
    if (!Answer(r.inst, kMsg1011, kCaption, IDRETRY) || !WaitMessageBox(r.inst)) return;
    if (!Check(MakeDirs(WinFile("GUISUB")), "cannot make the Windows subfolder")) return;
    if (!Answer(r.inst, kMsg1011, kCaption, IDRETRY)) return;
    if (!Answer(r.inst, kMsg1012, kCaption, IDRETRY) || !WaitMessageBox(r.inst)) return;
    if (!Check(MakeDirs(TwainFile("GUISUB")), "cannot make the TWAIN_32 subfolder")) return;
    if (!Answer(r.inst, kMsg1012, kCaption, IDRETRY)) return;
    FinishWithLaunch(r);
    CheckSameAsData(WinFile("GUISUB\\P.INI"), "PLAIN.INI");
    CheckSameAsData(TwainFile("GUISUB\\T.DLL"), "TEXT.DLL");
    RemoveTree(WinFile("GUISUB"));
    RemoveTree(TwainFile("GUISUB"));
}

// The spy refuses to let the progress dialog be made: the files still go in place.
void NoProgressDialog() {
    Run r;
    {
        ScopedEnv veto("GUI_SPY_VETO_DIALOG", "1");
        if (!PrepareAndStart(r, "nodialog", Script(kPlainAndText), {"PLAIN.INI", "TEXT.DL_"}))
            return;
    }
    Check(StaysQuiet(r.inst), "a question came up on copies that cannot fail");
    FinishWithLaunch(r);
    CheckBothInstalled();
    CheckText(SpyJoined("veto"), "#32770", "windows the spy refused");
    CheckText(SpyJoined("init"), "", "dialogs initialised");
}

} // namespace

extern const Scenario kHardeningScenarios[] = {
    {"startup_planted_dlls", PlantedDlls},
    {"startup_lz_fallback", LzFallback},
    {"startup_foreign_folder", ForeignFolder},
    {"copy_prompt_deep_media", PromptDeepMedia},
    {"copy_dest_subfolder", DestSubfolder},
    {"copy_no_progress_dialog", NoProgressDialog},
    {nullptr, nullptr},
};
