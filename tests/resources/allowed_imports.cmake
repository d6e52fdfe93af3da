# The calls the installer may import, per DLL: only from DLLs the system always takes from its
# own directory (a DLL of any other name placed beside the program would be loaded in its
# stead), and only calls that every system the program starts on exports: an older loader
# refuses a program with a missing import, and the headers do not hide newer calls. The LZ
# calls are looked up at run time, since the oldest systems have them only in LZ32.DLL.
# docs/platforms.md gives each one's source; check_ledger.cmake keeps the two the same.
set(allowed_KERNEL32.DLL CloseHandle CopyFileA CreateDirectoryA CreateFileA DeleteFileA ExitProcess
  FindClose FindFirstFileA FindNextFileA FindResourceExA FlushFileBuffers GetACP GetCommandLineA
  GetFileAttributesA GetFullPathNameA GetLastError GetModuleFileNameA GetModuleFileNameW GetModuleHandleA
  GetProcAddress GetSystemDirectoryA GetUserDefaultLangID GetVersion GetWindowsDirectoryA
  GlobalAlloc GlobalFree GlobalLock GlobalUnlock IsDBCSLeadByte LoadLibraryA LoadLibraryExA
  LoadResource LockResource MoveFileA MultiByteToWideChar OpenFile SetCurrentDirectoryA
  SetFileAttributesA SetLastError SizeofResource WideCharToMultiByte WinExec WriteFile _lclose _lcreat _lopen _lread
  lstrcmpiA lstrcpynA lstrlenA)
set(allowed_USER32.DLL BeginPaint CreateDialogIndirectParamA CreateWindowExA DefWindowProcA
  DestroyWindow DialogBoxIndirectParamA DispatchMessageA DrawTextA EnableWindow EndDialog EndPaint
  FillRect GetClientRect GetDC GetDlgItem GetDlgItemTextA GetSystemMetrics GetWindowRect
  GetWindowTextLengthA InvalidateRect IsWindowEnabled LoadCursorA MessageBeep MessageBoxA
  PeekMessageA RegisterClassA ReleaseDC SendDlgItemMessageA SendMessageA SetCursor SetDlgItemTextA
  SetWindowPos SetWindowTextA ShowWindow TranslateMessage UpdateWindow wsprintfA wvsprintfA)
set(allowed_GDI32.DLL CreateFontIndirectA CreateSolidBrush DeleteObject GetDeviceCaps SelectObject
  SetBkMode SetTextColor)
