#pragma once

#include <windows.h>

constexpr char kBackgroundClass[] = "hwndBackground";

// The class atom, 0 when registration fails.
ATOM RegisterBackgroundClass(HINSTANCE hInstance);

// Dots per inch of the screen, read once; what the background draws scales with it.
int ScreenDpi();
