#pragma once

// The installer runs from whatever folder it was unpacked to, where anyone may have put a DLL
// with a system DLL's name. Every DLL beyond the ones the system always takes from its own
// directory is therefore loaded from there explicitly.

// Keeps DLLs loaded from now on (also by system DLLs) to the system directory, where the
// system has the calls for it.
void RestrictDllSearch();

// InitCommonControls of the system's comctl32; false when it cannot be loaded.
bool InitSystemCommonControls();
