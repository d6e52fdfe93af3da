#pragma once

#include <windows.h>

// Process-wide state of the run, and nothing else. Every path buffer holds MAX_PATH
// characters, so media in deep folders work like media at a drive's root.
extern HINSTANCE g_hInst;
extern char g_szSourceDir[MAX_PATH];
extern char g_szWindowsDir[MAX_PATH];
extern const char* g_szCaption;
extern HWND g_hwndBackground;
extern RECT g_rcDiskArea;
extern int g_nShownDisk;
// /S: no window, and no question; where one would come, the pass stops.
extern bool g_bSilent;
