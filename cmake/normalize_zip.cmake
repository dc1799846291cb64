# Run by cpack after it has made the zip: makes it again with Info-ZIP from
# the same files, in name order, without the extra fields that hold the
# files' times (cpack's archiver writes each file's change time there,
# which no one can set), times read in UTC. The same files then give the
# same zip, wherever and whenever it is made. Without zip, the zip stays as
# cpack made it.
find_program(INFO_ZIP zip)
if(NOT INFO_ZIP)
  message(STATUS "No zip program: ${CPACK_PACKAGE_FILES} keeps the files' change times")
  return()
endif()
get_filename_component(parent ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY)
get_filename_component(top ${CPACK_TEMPORARY_DIRECTORY} NAME)
file(GLOB_RECURSE files RELATIVE ${parent} ${CPACK_TEMPORARY_DIRECTORY}/*)
list(SORT files)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.zip$")
    continue()
  endif()
  file(REMOVE ${package})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${INFO_ZIP} -X -D -q ${package} ${files}
                  WORKING_DIRECTORY ${parent} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "zip could not make ${package} again (${status})")
  endif()
endforeach()
