# Fails when a wx-free folder includes a wx header: datamodel, link, core and pardex must build
# and test without the toolkit.
foreach(folder datamodel link core pardex)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(f ${files})
    file(STRINGS ${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]wx/")
    if(hits)
      message(SEND_ERROR "${f} includes a wx header: ${hits}")
    endif()
  endforeach()
endforeach()
