cmake_minimum_required(VERSION 3.25)
# Disassembles the shipped program's code and fails on every instruction that the 80386 and
# 80387 lack, naming it and its address: the first such instruction ends the program on a 486 or
# a Pentium, and in the emulators of one.
# -DOBJDUMP=<objdump> -DEXE=<program or object> -DALLOWED=<instruction list>
# [-DMAP=<linker map>]: where the code ends; without it, the whole of .text is code.

file(STRINGS ${ALLOWED} words REGEX "^[a-z]")
string(REPLACE " " ";" words "${words}")
foreach(word IN LISTS words)
  set(allowed_${word} TRUE)
endforeach()

# The linker puts the constructor lists, which are data, at the end of .text.
set(stop "")
if(MAP)
  file(STRINGS ${MAP} ctor_line REGEX "[ \t]___CTOR_LIST__ = \\.")
  if(NOT ctor_line MATCHES "(0x[0-9a-fA-F]+)")
    message(FATAL_ERROR "${MAP} does not say where the constructor list starts")
  endif()
  set(stop "--stop-address=${CMAKE_MATCH_1}")
endif()

execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn -M intel ${stop} ${EXE}
  OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump could not disassemble ${EXE}: ${errors}")
endif()
string(REGEX MATCHALL "Disassembly of section [^:]+" sections "${listing}")
if(NOT sections STREQUAL "Disassembly of section .text")
  message(SEND_ERROR "${EXE}: code outside .text is not checked: ${sections}")
endif()

# Brackets and semicolons would split CMake's lists in the wrong places.
string(REPLACE "[" "<" listing "${listing}")
string(REPLACE "]" ">" listing "${listing}")
string(REPLACE ";" "," listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(count 0)
set(refused 0)
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^ *([0-9a-f]+):\t(.+)$")
    continue()
  endif()
  set(address ${CMAKE_MATCH_1})
  set(text "${CMAKE_MATCH_2}")
  math(EXPR count "${count} + 1")
  string(REPLACE "<" "[" shown "${text}")
  string(REPLACE ">" "]" shown "${shown}")
  string(REGEX REPLACE "^((rep|repz|repe|repnz|repne|lock|data16|addr16|[c-gs]s) +)+" "" insn
    "${text}")
  string(REGEX MATCH "^[a-z0-9]+" mnemonic "${insn}")
  if(NOT DEFINED allowed_${mnemonic})
    message(SEND_ERROR "${EXE}: 0x${address}: ${shown}: not an 80386 or 80387 instruction")
    math(EXPR refused "${refused} + 1")
  elseif(mnemonic STREQUAL "nop" AND NOT insn STREQUAL "nop")
    message(SEND_ERROR "${EXE}: 0x${address}: ${shown}: the multi-byte nop came with the Pentium Pro")
    math(EXPR refused "${refused} + 1")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "no instructions found in ${EXE}")
endif()
message(STATUS "${count} instructions, ${refused} outside the 80386 and 80387")
