# cmake --install of the build BUILD into PREFIX must give the program, runnable, and its man
# page where man looks for it.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${out}${err}")
endif()
foreach(file bin/inftool share/man/man1/inftool.1.gz share/doc/inftool/copyright
    share/doc/inftool/changelog.Debian.gz)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "cmake --install wrote no ${PREFIX}/${file}")
  endif()
endforeach()
execute_process(COMMAND ${PREFIX}/bin/inftool --version RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^inftool [0-9.]+\n$")
  message(FATAL_ERROR "the installed inftool --version printed: ${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env MANPATH=${PREFIX}/share/man man -w inftool
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "${PREFIX}/share/man/man1/inftool.1.gz\n")
  message(FATAL_ERROR "man -w inftool with MANPATH=${PREFIX}/share/man: ${out}${err}")
endif()
