// Acting on the installer as a person would: its process, its windows, its controls.
#pragma once

#include "resource.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr DWORD kWaitMs = 20000; // any single thing the installer is asked to do
constexpr DWORD kQuietMs = 1500; // how long "nothing happens" is watched for
constexpr DWORD kPollMs = 50;
constexpr int kMsgTextId = 0xFFFF; // the static control that holds a message box's text
constexpr const char* kDialogClass = "#32770";
constexpr const char* kBackgroundClass = "hwndBackground";
constexpr const char* kCaption = "Scanvale Installation";

// Failures are counted, printed at once, and never stop the program by themselves.
bool Check(bool ok, const char* fmt, ...) __attribute__((format(gnu_printf, 2, 3)));
bool CheckText(const std::string& got, const std::string& want, const char* what);
bool CheckInt(long long got, long long want, const char* what);
int FailureCount();
void Note(const char* fmt, ...) __attribute__((format(gnu_printf, 1, 2)));

// A process whose windows are looked at: the installer, or the driver itself.
struct Process {
    DWORD id = 0;
    HANDLE handle = nullptr;
};

// The installer's process, owned by one run: however a scenario ends, the process ends with it.
struct Installer : Process {
    HANDLE thread = nullptr;
    Installer() = default;
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;
    ~Installer();
};

// Starts the installer with the message spy hooked into its thread before it runs; args, when
// given, follow the quoted program name on its command line.
bool StartInstaller(Installer& inst, const std::string& exe, const std::string& args = "");
bool StartInstaller(Installer& inst, const std::wstring& exe, const std::string& args = "");
// Ends the installer at once, as the task manager does; it cleans up nothing.
void KillInstaller(Installer& inst);
// Waits for the exit; on timeout the installer is killed and the check fails.
bool WaitExit(Installer& inst, DWORD ms, DWORD* code);
bool IsRunning(const Process& inst);

// Top-level windows of the installer's process, visible ones unless asked otherwise.
HWND FindTop(const Process& inst, const char* cls, bool visibleOnly = true);
int CountTop(const Process& inst, const char* cls, bool visibleOnly);
HWND WaitTop(const Process& inst, const char* cls, DWORD ms = kWaitMs);
// A visible "#32770" window whose control 0xFFFF exists: a message box.
HWND WaitMessageBox(const Process& inst, DWORD ms = kWaitMs);
// The disk prompt: a visible dialog with the location field.
HWND WaitDiskPrompt(const Process& inst, DWORD ms = kWaitMs);
// The progress dialog, shown or hidden: the dialog with the progress bar.
HWND FindProgress(const Process& inst);
bool WaitGone(HWND hwnd, DWORD ms = kWaitMs);
// True when no message box or disk prompt comes up within ms.
bool StaysQuiet(const Process& inst, DWORD ms = kQuietMs);

// A window's text as the program reads it (ANSI), or read as UTF-16 and given in UTF-8.
std::string Caption(HWND hwnd, bool utf8 = false);
std::string ItemText(HWND dlg, int id, bool utf8 = false);
std::string Utf8(const std::wstring& text);
std::string EditText(HWND edit);
int ProgressPos(HWND progressDlg);
bool IsItemEnabled(HWND dlg, int id);

void TypeText(HWND edit, const char* text);
void TypeText(HWND edit, const std::wstring& text); // as UTF-16 characters
void ClearEdit(HWND edit);
void Click(HWND dlg, int id);

// Answers a message box after checking its text and caption; false when none came.
bool Answer(const Process& inst, const char* text, const char* caption, int button,
            DWORD ms = kWaitMs);

// A capture of the whole screen, top-down, 32 bits a pixel.
struct Screen {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
// Captures the screen into s once hwnd has painted all it was asked to and the paint has reached
// the screen: no update region is left, its thread has ended the paint, and two captures a poll
// apart agree within area.
bool CaptureSettled(Screen& s, HWND hwnd, const RECT& area, DWORD ms = kWaitMs);
inline uint32_t PixelAt(const Screen& s, int x, int y) {
    return s.pixels[static_cast<size_t>(y) * s.width + x];
}
inline int BlueOf(uint32_t px) {
    return static_cast<int>(px & 0xFF);
}
inline int GreenOf(uint32_t px) {
    return static_cast<int>((px >> 8) & 0xFF);
}
inline int RedOf(uint32_t px) {
    return static_cast<int>((px >> 16) & 0xFF);
}
