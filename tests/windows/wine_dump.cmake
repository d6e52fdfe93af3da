# Runs inftool.exe under 64-bit Wine in a prefix of its own.
#   MODE=start: create the prefix.   MODE=stop: stop that prefix's server only.
#   MODE=dump:  dump SCRIPT into ACTUAL and compare it byte for byte with EXPECTED.
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
set(ENV{WINEDEBUG} "-all")

if(MODE STREQUAL "start")
  file(MAKE_DIRECTORY ${PREFIX})
  execute_process(COMMAND ${WINE} wineboot --init RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "wineboot failed: ${rc}")
  endif()
elseif(MODE STREQUAL "stop")
  execute_process(COMMAND ${WINESERVER} -k RESULT_VARIABLE rc)
elseif(MODE STREQUAL "dump")
  # Wine's Z: drive is the host's root; backslashes keep the path plainly Windows-style.
  string(REPLACE "/" "\\" windows_path "Z:${SCRIPT}")
  execute_process(COMMAND ${WINE} ${INFTOOL} dump ${windows_path}
    OUTPUT_FILE ${ACTUAL} ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "inftool.exe dump ${windows_path} exited ${rc}: ${err}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ACTUAL} ${EXPECTED}
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    file(READ ${ACTUAL} actual_text)
    message(FATAL_ERROR "${ACTUAL} differs from ${EXPECTED}:\n${actual_text}")
  endif()
else()
  message(FATAL_ERROR "MODE must be start, stop or dump")
endif()
