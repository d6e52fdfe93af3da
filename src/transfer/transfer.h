#pragma once

#include <windows.h>

// Copies every [Files] entry into place under the progress dialog; returns when all are
// finished or the user has stopped the pass.
void CopyInstallFiles(HWND progress);

INT_PTR CALLBACK ProgressDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DiskPromptDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
