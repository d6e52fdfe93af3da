# Runs inftool.exe under 64-bit Wine in a prefix of its own.
#   MODE=start: create the prefix.   MODE=stop: stop that prefix's server only.
#   MODE=dump:  dump SCRIPT into ACTUAL and compare it byte for byte with EXPECTED.
#   MODE=codepage: build the UTF-8 SCRIPT into OUT with --codepage PAGE and compare the
#     SETUP.INF written with EXPECTED; without EXPECTED, the build must be refused (exit 2)
#     and write nothing.
#   MODE=inputs: compress in OUT, given IN again under other names as its output; import of
#   containers, which this build refuses.
#   MODE=cd: build --cd in OUT, which this build refuses by name, writing nothing.
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
elseif(MODE STREQUAL "codepage")
  file(REMOVE_RECURSE ${OUT})
  string(REPLACE "/" "\\" windows_script "Z:${SCRIPT}")
  string(REPLACE "/" "\\" windows_out "Z:${OUT}")
  string(REPLACE "/" "\\" windows_inftool "Z:${INFTOOL}")
  get_filename_component(from ${SCRIPT} DIRECTORY)
  string(REPLACE "/" "\\" windows_from "Z:${from}")
  execute_process(COMMAND ${WINE} ${INFTOOL} build ${windows_script} --from ${windows_from}
      --setup ${windows_inftool} --follow-on ${windows_inftool} --out ${windows_out}
      --codepage ${PAGE}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT DEFINED EXPECTED)
    if(NOT rc EQUAL 2 OR EXISTS ${OUT} OR NOT err MATCHES "has no character in code page ${PAGE}")
      message(FATAL_ERROR "inftool.exe build --codepage ${PAGE} was not refused: ${rc}: ${out}${err}")
    endif()
    return()
  endif()
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "inftool.exe build --codepage ${PAGE} exited ${rc}: ${out}${err}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/SETUP.INF ${EXPECTED}
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${OUT}/SETUP.INF differs from ${EXPECTED}")
  endif()
elseif(MODE STREQUAL "inputs")
  # compress refuses an OUT that is IN by any name or holds it, and replaces another file:
  # MinGW's stat numbers every file 0, so only the file system's own numbers tell them apart.
  set(kept "the input, which stays as it is")
  file(REMOVE_RECURSE ${OUT})
  file(WRITE ${OUT}/a.dll ${kept})
  file(WRITE ${OUT}/other.dll "another file")
  file(CREATE_LINK ${OUT}/a.dll ${OUT}/hard.dll)
  file(CREATE_LINK a.dll ${OUT}/sym.dll SYMBOLIC)
  foreach(target a.dll hard.dll sym.dll . other.dll)
    set(want 2)
    if(target STREQUAL "other.dll")
      set(want 0)
    endif()
    execute_process(COMMAND ${WINE} ${INFTOOL} compress a.dll ${target} WORKING_DIRECTORY ${OUT}
      ERROR_VARIABLE err RESULT_VARIABLE rc)
    if(NOT rc EQUAL want)
      message(FATAL_ERROR "inftool.exe compress a.dll ${target} exited ${rc}, not ${want}: ${err}")
    endif()
  endforeach()
  file(READ ${OUT}/a.dll now)
  if(NOT now STREQUAL kept)
    message(FATAL_ERROR "a.dll was written over")
  endif()
  # import refuses every container by name, with nothing written.
  string(ASCII 20 copyqm)
  string(ASCII 3 4 zip)
  string(REPEAT " " 32769 system_area)
  foreach(kind "IMD 1.18" "CQ${copyqm}" "PK${zip}" "${system_area}CD001")
    file(WRITE ${OUT}/disk.bin "${kind}")
    execute_process(COMMAND ${WINE} ${INFTOOL} import disk.bin --out restored
      WORKING_DIRECTORY ${OUT} ERROR_VARIABLE err RESULT_VARIABLE rc)
    if(NOT rc EQUAL 2 OR NOT err MATCHES "IMD, TD0, CQM, archives and ISO need the Linux build"
       OR EXISTS ${OUT}/restored)
      string(STRIP "${kind}" kind)
      message(FATAL_ERROR "inftool.exe import of ${kind} exited ${rc}: ${err}")
    endif()
  endforeach()
elseif(MODE STREQUAL "cd")
  # Refused before any input is read: none is there.
  file(REMOVE_RECURSE ${OUT})
  file(MAKE_DIRECTORY ${OUT})
  execute_process(COMMAND ${WINE} ${INFTOOL} build SETUP.INF --from . --setup setup.exe
      --follow-on setup.exe --out cd --cd WORKING_DIRECTORY ${OUT}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  file(GLOB written ${OUT}/*)
  if(NOT rc EQUAL 2 OR written OR NOT err MATCHES
      "inftool build: --cd: this build writes raw images and folders; ISO needs the Linux build")
    message(FATAL_ERROR "inftool.exe build --cd was not refused by name: ${rc}: ${out}${err}")
  endif()
else()
  message(FATAL_ERROR "MODE must be start, stop, dump, codepage, inputs or cd")
endif()
