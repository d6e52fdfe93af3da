#pragma once

#include <windows.h>

// Process-wide state of the run. Every path buffer holds MAX_PATH characters, so media in
// deep folders work like media at a drive's root.
constexpr UINT kCaptionWidth = 30;

extern HINSTANCE g_hInst;
extern char g_szSourceDir[MAX_PATH];
extern char g_szWindowsDir[MAX_PATH];
extern const char* g_szCaption;
extern HWND g_hwndBackground;
extern RECT g_rcDiskArea;
extern int g_nShownDisk;

// Loads string stringId, formats it wvsprintfA-style with the arguments and shows it in a
// message box; returns the button pressed. The text is cut to 199 characters.
int ShowStringMessage(HINSTANCE instance, HWND owner, UINT stringId, const char* caption,
                      UINT style, ...);
