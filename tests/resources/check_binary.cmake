cmake_minimum_required(VERSION 3.25)
# Checks the built program's PE header and imports.
# -DOBJDUMP=<objdump> -DEXE=<setup.exe> -DFORMAT=<pei-i386|pei-x86-64>

execute_process(COMMAND ${OBJDUMP} -p ${EXE}
  OUTPUT_VARIABLE headers RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump could not read ${EXE}: ${errors}")
endif()

if(NOT headers MATCHES "file format ${FORMAT}")
  message(FATAL_ERROR "${EXE} is not of format ${FORMAT}")
endif()
if(NOT headers MATCHES "\nSubsystem[ \t]+00000002")
  message(FATAL_ERROR "${EXE} is not a GUI program (subsystem 2)")
endif()

# Only the operating system's own libraries: no compiler runtime beside the program.
set(allowed KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL LZ32.DLL MSVCRT.DLL)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
list(LENGTH imports import_count)
if(import_count EQUAL 0)
  message(FATAL_ERROR "no imports found in ${EXE}")
endif()
set(required KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL LZ32.DLL)
foreach(entry IN LISTS imports)
  string(REGEX REPLACE "DLL Name: " "" dll "${entry}")
  string(STRIP "${dll}" dll)
  string(TOUPPER "${dll}" dll)
  if(NOT dll IN_LIST allowed)
    message(SEND_ERROR "${EXE} imports ${dll}, which is not a system library")
  endif()
  list(REMOVE_ITEM required ${dll})
endforeach()
if(required)
  message(SEND_ERROR "${EXE} does not import ${required}")
endif()
