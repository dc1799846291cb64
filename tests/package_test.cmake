# Makes the release zip in a folder of its own and checks that it holds the
# program, as built, and the README: nothing of the stand-in, the tests or
# GoogleTest.
#
# cmake -DCPACK=<cpack> -DBUILD_DIR=<dir> -DCONFIG=<config> -DPACKAGE=<name>
#       -DPROGRAM=<built exe> -P package_test.cmake
set(out ${BUILD_DIR}/package-test)
file(REMOVE_RECURSE ${out})

set(config_args "")
if(CONFIG)
  set(config_args -C ${CONFIG})
endif()
execute_process(COMMAND ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake ${config_args} -B ${out}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${output}")
endif()

set(zip ${out}/${PACKAGE}.zip)
if(NOT EXISTS ${zip})
  file(GLOB made ${out}/*.zip)
  message(FATAL_ERROR "no ${PACKAGE}.zip; cpack made: ${made}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip}
                RESULT_VARIABLE status OUTPUT_VARIABLE listing)
string(REPLACE "\n" ";" entries "${listing}")
set(files "")
foreach(entry IN LISTS entries)
  if(entry AND NOT entry MATCHES "/$")
    list(APPEND files ${entry})
  endif()
endforeach()
list(SORT files)
set(expected ${PACKAGE}/README.md ${PACKAGE}/uninstall-addin.exe)
if(NOT files STREQUAL expected)
  string(REPLACE ";" "\n  " files "${files}")
  message(FATAL_ERROR "${zip} holds:\n  ${files}\nnot only the program and README.md")
endif()

file(MAKE_DIRECTORY ${out}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${out}/unpacked
                RESULT_VARIABLE status)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                        ${out}/unpacked/${PACKAGE}/uninstall-addin.exe ${PROGRAM}
                RESULT_VARIABLE differs)
if(NOT status EQUAL 0 OR NOT differs EQUAL 0)
  message(FATAL_ERROR "the zip's uninstall-addin.exe is not the one built at ${PROGRAM}")
endif()
message(STATUS "${zip}: ${expected}")
