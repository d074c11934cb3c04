# A rebuild copies the samples that are missing beside the program and keeps every file there,
# edited or not. Run with -DSCRIPT=<CopyMissing.cmake> -DWORK=<scratch folder>.
file(REMOVE_RECURSE "${WORK}")
file(WRITE "${WORK}/src/ejemplo.voski" "shipped\n")
file(WRITE "${WORK}/src/sub/plano.bmp" "shipped plan\n")
file(WRITE "${WORK}/src/config.xml" "shipped settings\n")

function(copy src dst)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${src} -DDST=${dst} -P ${SCRIPT} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "copy ${src} -> ${dst} failed: ${rc}")
  endif()
endfunction()

function(expect file text)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} is missing")
  endif()
  file(READ "${file}" got)
  if(NOT got STREQUAL "${text}")
    message(FATAL_ERROR "${file} holds '${got}', expected '${text}'")
  endif()
endfunction()

# First build: everything is copied, subfolders too; a single file as well.
copy(${WORK}/src ${WORK}/bin/samples)
copy(${WORK}/src/config.xml ${WORK}/bin/config.xml)
expect(${WORK}/bin/samples/ejemplo.voski "shipped\n")
expect(${WORK}/bin/samples/sub/plano.bmp "shipped plan\n")
expect(${WORK}/bin/config.xml "shipped settings\n")

# The user saves the sample and the program rewrites its settings; the checkout gains a sample
# and changes the shipped ones; a sample the user deleted comes back.
file(WRITE "${WORK}/bin/samples/ejemplo.voski" "saved by the user\n")
file(WRITE "${WORK}/bin/config.xml" "written on close\n")
file(REMOVE "${WORK}/bin/samples/sub/plano.bmp")
file(WRITE "${WORK}/src/nuevo.voski" "new sample\n")
file(WRITE "${WORK}/src/ejemplo.voski" "shipped, newer\n")
file(WRITE "${WORK}/src/config.xml" "shipped settings, newer\n")

copy(${WORK}/src ${WORK}/bin/samples)
copy(${WORK}/src/config.xml ${WORK}/bin/config.xml)
expect(${WORK}/bin/samples/ejemplo.voski "saved by the user\n")
expect(${WORK}/bin/config.xml "written on close\n")
expect(${WORK}/bin/samples/nuevo.voski "new sample\n")
expect(${WORK}/bin/samples/sub/plano.bmp "shipped plan\n")
file(REMOVE_RECURSE "${WORK}")
