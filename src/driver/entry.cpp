#include <windows.h>

// The process starts here rather than in the C runtime's start-up, which would be most of the
// file: the installer takes no arguments, needs no constructors and uses no runtime calls.
extern "C" void WinMainCRTStartup() {
    ExitProcess(static_cast<UINT>(
        WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT)));
}
