cmake_minimum_required(VERSION 3.25)
# Checks the built program's PE header, imports, security flags and manifest.
# -DOBJDUMP=<objdump> -DEXE=<setup.exe> -DFORMAT=<pei-i386|pei-x86-64> -DMAX_SIZE=<bytes, 0: any>

execute_process(COMMAND ${OBJDUMP} -p ${EXE}
  OUTPUT_VARIABLE headers RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump could not read ${EXE}: ${errors}")
endif()

file(SIZE ${EXE} size)
if(MAX_SIZE GREATER 0 AND size GREATER MAX_SIZE)
  message(SEND_ERROR "${EXE} is ${size} bytes, over its budget of ${MAX_SIZE}")
endif()

if(NOT headers MATCHES "file format ${FORMAT}")
  message(FATAL_ERROR "${EXE} is not of format ${FORMAT}")
endif()
if(NOT headers MATCHES "\nSubsystem[ \t]+00000002")
  message(FATAL_ERROR "${EXE} is not a GUI program (subsystem 2)")
endif()
# The oldest 32-bit systems it starts on look at this.
if(FORMAT STREQUAL "pei-i386" AND NOT headers MATCHES "\nMajorSubsystemVersion[ \t]+4\n")
  message(SEND_ERROR "${EXE} does not start on subsystem version 4.0")
endif()

# Load-time imports: only from DLLs the system always takes from its own directory (a DLL of
# any other name placed beside the program would be loaded in its stead), and only calls that
# every system the program starts on exports: an older loader refuses a program with a missing
# import, and the headers do not hide newer calls. The LZ calls are looked up at run time,
# since the oldest systems have them only in LZ32.DLL.
set(allowed_KERNEL32.DLL CloseHandle CopyFileA CreateDirectoryA CreateFileA DeleteFileA
  ExitProcess FindResourceA FindResourceExA FreeResource GetACP GetCommandLineA
  GetFileAttributesA GetLastError GetModuleFileNameA GetModuleFileNameW GetModuleHandleA
  GetProcAddress GetSystemDirectoryA GetUserDefaultLangID GetVersion GetWindowsDirectoryA
  GlobalAlloc GlobalFree GlobalLock GlobalUnlock IsDBCSLeadByte LoadLibraryA LoadLibraryExA
  LoadResource LockResource MoveFileA MultiByteToWideChar OpenFile SetCurrentDirectoryA
  SetFileAttributesA SizeofResource WideCharToMultiByte WinExec _lclose _lcreat _lopen _lread
  lstrcmpiA lstrcpynA lstrlenA)
set(allowed_USER32.DLL BeginPaint CreateDialogIndirectParamA CreateDialogParamA CreateWindowExA
  DefWindowProcA DestroyWindow DialogBoxIndirectParamA DialogBoxParamA DispatchMessageA DrawTextA
  EnableWindow EndDialog EndPaint FillRect GetClientRect GetDC GetDlgItem GetDlgItemTextA
  GetSystemMetrics GetWindowRect GetWindowTextLengthA InvalidateRect IsWindowEnabled LoadCursorA
  LoadStringA MessageBeep MessageBoxA PeekMessageA RegisterClassA ReleaseDC SendDlgItemMessageA
  SendMessageA SetCursor SetDlgItemTextA SetWindowPos SetWindowTextA ShowWindow TranslateMessage
  UpdateWindow wsprintfA wvsprintfA)
set(allowed_GDI32.DLL CreateFontIndirectA CreateSolidBrush DeleteObject GetDeviceCaps SelectObject
  SetBkMode SetTextColor)
set(required KERNEL32.DLL USER32.DLL GDI32.DLL)
set(dll "")
set(import_count 0)
string(REPLACE "\n" ";" lines "${headers}")
foreach(line IN LISTS lines)
  if(line MATCHES "DLL Name: ([^ \t]+)")
    string(TOUPPER "${CMAKE_MATCH_1}" dll)
    if(NOT DEFINED allowed_${dll})
      message(SEND_ERROR "${EXE} imports ${dll} at load time, which a planted DLL could stand in for")
    endif()
    list(REMOVE_ITEM required ${dll})
  elseif(dll AND line MATCHES "^\t[0-9a-fA-F]+\t +[0-9]+ +([^ ]+)$")
    set(call "${CMAKE_MATCH_1}")
    math(EXPR import_count "${import_count} + 1")
    if(call MATCHES "^LZ")
      message(SEND_ERROR "${EXE} imports ${call} from ${dll}: the oldest systems lack it there")
    elseif(DEFINED allowed_${dll} AND NOT call IN_LIST allowed_${dll})
      message(SEND_ERROR "${EXE} imports ${dll} ${call}, which is not on the list of calls "
        "every supported system exports")
    endif()
  elseif(line STREQUAL "")
    set(dll "")
  endif()
endforeach()
if(import_count EQUAL 0)
  message(FATAL_ERROR "no imports found in ${EXE}")
endif()
if(required)
  message(SEND_ERROR "${EXE} does not import ${required}")
endif()

# ASLR (0x40) with the relocations it needs, DEP (0x100), and on x86_64 high-entropy ASLR (0x20).
string(REGEX MATCH "\nDllCharacteristics[ \t]+([0-9a-fA-F]+)" found "${headers}")
if(NOT found)
  message(FATAL_ERROR "no DllCharacteristics in ${EXE}")
endif()
math(EXPR flags "0x${CMAKE_MATCH_1}")
set(wanted 0x140)
if(FORMAT STREQUAL "pei-x86-64")
  set(wanted 0x160)
endif()
math(EXPR missing "(${flags} & ${wanted}) ^ ${wanted}" OUTPUT_FORMAT HEXADECIMAL)
if(NOT missing EQUAL 0)
  message(SEND_ERROR "${EXE} lacks DllCharacteristics ${missing} (has 0x${CMAKE_MATCH_1})")
endif()
if(NOT headers MATCHES "Entry 5 [0-9a-fA-F]+ 0*[1-9a-fA-F][0-9a-fA-F]* Base Relocation Directory")
  message(SEND_ERROR "${EXE} has no relocations: it cannot be moved where ASLR puts it")
endif()

# The manifest, stored as text among the resources.
file(STRINGS ${EXE} manifest REGEX "requestedExecutionLevel|supportedOS|Common-Controls|dpiAware|asm.v3")
if(NOT manifest MATCHES "requestedExecutionLevel level=\"requireAdministrator\"")
  message(SEND_ERROR "${EXE} has no manifest asking for administrator rights")
endif()
string(REGEX MATCHALL "supportedOS Id" oses "${manifest}")
list(LENGTH oses os_count)
if(os_count LESS 5)
  message(SEND_ERROR "${EXE} lists ${os_count} supported systems in its manifest, want 5")
endif()
# System-aware DPI, in the element and namespaces that Windows reads (no prefixes).
if(NOT manifest MATCHES "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">" OR NOT manifest
    MATCHES "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>")
  message(SEND_ERROR "${EXE} does not declare itself DPI-aware in its manifest")
endif()
if(manifest MATCHES "Common-Controls")
  message(SEND_ERROR "${EXE} opts in to common controls version 6: the dialogs would change look")
endif()
