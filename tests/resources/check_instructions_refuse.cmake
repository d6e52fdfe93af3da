cmake_minimum_required(VERSION 3.25)
# The instruction check, run on code that holds newer instructions among 80386 ones, must refuse
# each newer one by name and nothing else.
# -DCC=<compiler> -DOBJDUMP=<objdump> -DSOURCE=<assembly> -DALLOWED=<list> -DWORK=<folder>

file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CC} -c ${SOURCE} -o ${WORK}/newer.o RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not assemble ${SOURCE}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP} -DEXE=${WORK}/newer.o
    -DALLOWED=${ALLOWED} -P ${CMAKE_CURRENT_LIST_DIR}/check_instructions.cmake
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(status EQUAL 0)
  message(SEND_ERROR "the check passed code with newer instructions")
endif()

file(STRINGS ${SOURCE} marked REGEX "# refused: ")
list(LENGTH marked want)
foreach(line IN LISTS marked)
  string(REGEX REPLACE ".*# refused: " "" mnemonic "${line}")
  # CMake wraps its error messages, so a line break may stand on either side of the name.
  if(NOT out MATCHES "[: \n]${mnemonic}[ :\n]")
    message(SEND_ERROR "the check did not name ${mnemonic}")
  endif()
endforeach()
if(NOT out MATCHES " ${want} outside the 80386")
  message(SEND_ERROR "want ${want} refused instructions, the check said:\n${out}")
endif()
