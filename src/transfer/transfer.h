#pragma once

#include <windows.h>

#include "common/exit_code.h"

// Copies every [Files] entry into place under the progress dialog; returns when all are
// finished or the user has stopped the pass, and how it ended.
PassOutcome CopyInstallFiles(HWND progress);

INT_PTR CALLBACK ProgressDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DiskPromptDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
