# cmake -DSRC=<folder or file> -DDST=<folder or file> -P CopyMissing.cmake
# Copies what the destination does not hold yet and leaves every existing file alone: the
# program and its user write beside the program (an edited sample, config.xml), and a build
# must never put the shipped copy back over their work.
if(NOT DEFINED SRC OR NOT DEFINED DST)
  message(FATAL_ERROR "CopyMissing: SRC and DST are required")
endif()
if(NOT IS_DIRECTORY "${SRC}")
  if(NOT EXISTS "${DST}")
    get_filename_component(dir "${DST}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${SRC}" "${DST}")
  endif()
  return()
endif()
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*")
foreach(f IN LISTS files)
  if(NOT EXISTS "${DST}/${f}")
    get_filename_component(dir "${DST}/${f}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${SRC}/${f}" "${DST}/${f}")
  endif()
endforeach()
