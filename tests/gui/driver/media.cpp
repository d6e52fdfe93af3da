#include "media.h"

#include "common/languages.h"
#include "harness.h"

#include <windows.h>

#include <cstring>

namespace {

std::string FromEnv(const char* name) {
    char buf[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA(name, buf, static_cast<DWORD>(std::size(buf)));
    if (!Check(n > 0 && n < std::size(buf), "environment variable %s is not set", name)) return {};
    std::string path = buf;
    if (path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string LaunchFile() {
    return WorkDir() + "\\launch.txt";
}

std::string SpyLog() {
    return WorkDir() + "\\spy.log";
}

std::string Field(const std::string& text, const char* key) {
    std::string k = std::string(key) + "=";
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, k.size(), k) == 0) return line.substr(k.size());
        at = end + 1;
    }
    return {};
}

} // namespace

std::string SetupExePath() {
    return FromEnv("GUI_SETUP_EXE");
}
std::string FollowOnExePath() {
    return FromEnv("GUI_FOLLOWON_EXE");
}
std::string SpyDllPath() {
    return FromEnv("GUI_SPY_DLL");
}
std::string DataPath(const char* name) {
    return FromEnv("GUI_DATA_DIR") + "\\" + name;
}
std::string PlantedDllPath(const char* name) {
    return FromEnv("GUI_PLANTED_DIR") + "\\" + name;
}

std::string WorkDir() {
    return "C:\\gui";
}

std::string WindowsDir() {
    char buf[MAX_PATH] = {};
    GetWindowsDirectoryA(buf, static_cast<UINT>(std::size(buf)));
    return buf;
}

std::string TwainDir() {
    return WindowsDir() + "\\TWAIN_32";
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

const void* SetupResource(LPCSTR type, UINT id, LANGID language, DWORD* size) {
    static const HMODULE module =
        LoadLibraryExA(SetupExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), language);
    if (!Check(module && found, "setup.exe has no resource %u of language %04x", id, language))
        return nullptr;
    *size = SizeofResource(module, found);
    return LockResource(LoadResource(module, found));
}

} // namespace

std::wstring SetupString(LANGID language, UINT id) {
    DWORD size = 0;
    const auto* bundle =
        static_cast<const uint16_t*>(SetupResource(RT_STRING, id / 16 + 1, language, &size));
    const uint16_t* text = nullptr;
    uint32_t length = 0;
    if (!bundle || !FindBundleString(bundle, size / 2, id % 16, &text, &length)) return L"";
    return std::wstring(text, text + length);
}

const DLGTEMPLATE* SetupDialog(LANGID language, UINT id) {
    DWORD size = 0;
    return static_cast<const DLGTEMPLATE*>(SetupResource(RT_DIALOG, id, language, &size));
}

std::string WithBackslash(const std::string& path) {
    const char* last = nullptr;
    for (const char* p = path.c_str(); *p; p = CharNextA(p))
        last = p;
    return last && *last == '\\' ? path : path + "\\";
}

bool MakeDirs(const std::string& path) {
    const char* begin = path.c_str();
    for (const char* p = begin;; p = CharNextA(p)) {
        if ((*p == '\\' && p - begin > 2) || *p == '\0')
            CreateDirectoryA(path.substr(0, static_cast<size_t>(p - begin)).c_str(), nullptr);
        if (*p == '\0') break;
    }
    return Check(DirExists(path), "cannot create folder %s", path.c_str());
}

void RemoveTree(const std::string& path) {
    if (FileExists(path)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    std::string base = WithBackslash(path);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((base + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!std::strcmp(fd.cFileName, ".") || !std::strcmp(fd.cFileName, "..")) continue;
            RemoveTree(base + fd.cFileName);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    if (path.size() > 3) RemoveDirectoryA(path.c_str()); // a drive's root stays
}

std::vector<std::string> FindBelow(const std::string& dir, const char* prefix, const char* suffix) {
    std::vector<std::string> found;
    const size_t prefixLength = std::strlen(prefix), suffixLength = std::strlen(suffix);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        const std::string name = fd.cFileName, path = dir + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name == "." || name == "..") continue;
            for (const std::string& below : FindBelow(path, prefix, suffix))
                found.push_back(below);
        } else if (name.size() >= prefixLength + suffixLength &&
                   !_strnicmp(name.c_str(), prefix, prefixLength) &&
                   !_stricmp(name.c_str() + name.size() - suffixLength, suffix)) {
            found.push_back(path);
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return found;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Check(h != INVALID_HANDLE_VALUE, "cannot create %s", path.c_str())) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return Check(ok && written == bytes.size(), "cannot write %s", path.c_str());
}

bool ReadBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        bytes.append(buf, got);
    CloseHandle(h);
    return true;
}

bool PutData(const char* name, const std::string& dest) {
    std::string src = DataPath(name);
    return Check(CopyFileA(src.c_str(), dest.c_str(), FALSE) != 0, "cannot copy %s to %s",
                 src.c_str(), dest.c_str());
}

bool CheckSameAsData(const std::string& path, const char* name) {
    std::string got, want;
    if (!Check(ReadBytes(path, got), "%s was not created", path.c_str())) return false;
    if (!Check(ReadBytes(DataPath(name), want), "test data %s is missing", name)) return false;
    return Check(got == want, "%s differs from %s (%zu bytes, want %zu)", path.c_str(), name,
                 got.size(), want.size());
}

bool CheckAbsent(const std::string& path) {
    return Check(GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES,
                 "%s exists but must not", path.c_str());
}

bool LayOutMedia(const std::string& dir, const char* inf, bool followOn) {
    std::string base = WithBackslash(dir);
    RemoveTree(dir);
    if (!MakeDirs(base + "photo")) return false;
    bool ok = Check(CopyFileA(SetupExePath().c_str(), (base + "setup.exe").c_str(), FALSE) != 0,
                    "cannot copy the installer to %s", base.c_str());
    if (followOn)
        ok = ok && Check(CopyFileA(FollowOnExePath().c_str(), (base + "photo\\setup.EXE").c_str(),
                                   FALSE) != 0,
                         "cannot copy the follow-on setup to %s", base.c_str());
    if (inf) ok = ok && WriteBytes(base + "SETUP.INF", inf);
    return ok;
}

void ResetRecords() {
    MakeDirs(WorkDir());
    DeleteFileA(LaunchFile().c_str());
    DeleteFileA(SpyLog().c_str());
    SetEnvironmentVariableA("GUI_LAUNCH_FILE", LaunchFile().c_str());
    SetEnvironmentVariableA("GUI_SPY_LOG", SpyLog().c_str());
}

Launch WaitLaunch(unsigned long ms) {
    Launch l{};
    DWORD start = GetTickCount();
    std::string text;
    // The stand-in writes its record under another name and renames it when complete.
    while (!ReadBytes(LaunchFile(), text)) {
        if (GetTickCount() - start > ms) return l;
        Sleep(kPollMs);
    }
    l.present = true;
    l.module = Field(text, "module");
    l.cmdline = Field(text, "cmdline");
    l.cwd = Field(text, "cwd");
    l.background = Field(text, "background");
    return l;
}

std::vector<std::string> SpyLines() {
    std::vector<std::string> lines;
    std::string text;
    ReadBytes(SpyLog(), text);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::vector<std::string> SpyLinesOf(const char* kind) {
    std::vector<std::string> out;
    std::string k = std::string(kind) + " ";
    for (const std::string& line : SpyLines())
        if (line.compare(0, k.size(), k) == 0) out.push_back(line.substr(k.size()));
    return out;
}
