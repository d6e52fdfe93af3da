cmake_minimum_required(VERSION 3.25)
# A release signs the program and promises that removing the signature gives back these bytes.
# osslsigncode pads the file to a multiple of 8 and recomputes the PE CheckSum, and keeps both
# when it removes the signature: so the link must write the checksum and whole 8-byte units.
# -DOSSLSIGNCODE=<osslsigncode> -DOPENSSL=<openssl> -DEXE=<program> -DWORK=<scratch folder>

foreach(tool OSSLSIGNCODE OPENSSL)
  if(NOT EXISTS "${${tool}}")
    string(TOLOWER ${tool} program)
    message(FATAL_ERROR "${program} not found (tools/install-deps installs it)")
  endif()
endforeach()

file(SIZE ${EXE} size)
math(EXPR tail "${size} % 8")
if(NOT tail EQUAL 0)
  message(FATAL_ERROR "${EXE} is ${size} bytes, not a multiple of 8: signing would pad it")
endif()

# run(WHAT COMMAND...): runs the command in WORK and stops with its output when it fails.
function(run what)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed: ${output}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
run("a throwaway certificate" ${OPENSSL} req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1
  -nodes -keyout key.pem -out cert.pem -days 1 -subj /CN=signable)
run("signing ${EXE}" ${OSSLSIGNCODE} sign -certs cert.pem -key key.pem -h sha256 -in ${EXE}
  -out signed.exe)
run("removing the signature" ${OSSLSIGNCODE} remove-signature -in signed.exe -out unsigned.exe)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXE} ${WORK}/unsigned.exe
  RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${EXE} signed and unsigned again is not the same file: its PE CheckSum "
    "is not the one osslsigncode computes")
endif()
file(REMOVE_RECURSE ${WORK})
