#include "setup_state.h"

HINSTANCE g_hInst;
char g_szSourceDir[MAX_PATH];
char g_szWindowsDir[MAX_PATH];
const char* g_szCaption;
HWND g_hwndBackground;
RECT g_rcDiskArea;
int g_nShownDisk;
bool g_bSilent;
