#pragma once

#include <windows.h>

constexpr char kBackgroundClass[] = "hwndBackground";

extern HFONT g_hTitleFont;
extern LOGFONTA g_lfTitle;

// The class atom, 0 when registration fails.
ATOM RegisterBackgroundClass(HINSTANCE hInstance);
LRESULT CALLBACK BackgroundWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
HFONT CreateTitleFont();
