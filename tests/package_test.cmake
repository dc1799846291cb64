# Makes the release zip in a folder of its own and checks that it holds the
# program, as built, the README, the license and the third-party notices, the
# documents and recipes, the bill of materials and the checksums:
# nothing of the stand-in, the tests or GoogleTest; that the checksums match
# the files; and that the bill of materials is SPDX JSON that names the
# program at its version, commit and license and what is linked into it.
#
# cmake -DCPACK=<cpack> -DBUILD_DIR=<dir> -DCONFIG=<config> -DPACKAGE=<name>
#       -DPROGRAM=<built exe> -DVERSION=<version> -DSOURCE_DIR=<dir>
#       -P package_test.cmake
cmake_policy(SET CMP0057 NEW)  # if(IN_LIST)
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
file(GLOB_RECURSE documents RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/docs/* ${SOURCE_DIR}/examples/*)
set(expected ${PACKAGE}/LICENSE ${PACKAGE}/README.md ${PACKAGE}/SHA256SUMS
             ${PACKAGE}/THIRD-PARTY-NOTICES.txt ${PACKAGE}/uninstall-addin.exe
             ${PACKAGE}/uninstall-addin.spdx.json)
foreach(document IN LISTS documents)
  list(APPEND expected ${PACKAGE}/${document})
endforeach()
list(SORT expected)
if(NOT files STREQUAL expected)
  string(REPLACE ";" "\n  " files "${files}")
  message(FATAL_ERROR "${zip} holds:\n  ${files}\nnot only the program, README.md, LICENSE, "
                      "THIRD-PARTY-NOTICES.txt, docs/, examples/, SHA256SUMS and the SBOM")
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

# Every other file has its line in SHA256SUMS, with its sum.
set(top ${out}/unpacked/${PACKAGE})
file(STRINGS ${top}/SHA256SUMS lines)
set(summed "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
    message(FATAL_ERROR "SHA256SUMS: not a checksum line: ${line}")
  endif()
  set(name ${CMAKE_MATCH_2})
  file(SHA256 ${top}/${name} sum)
  if(NOT sum STREQUAL CMAKE_MATCH_1)
    message(FATAL_ERROR "SHA256SUMS: ${name} has ${sum}, not ${CMAKE_MATCH_1}")
  endif()
  list(APPEND summed ${PACKAGE}/${name})
endforeach()
set(others ${expected})
list(REMOVE_ITEM others ${PACKAGE}/SHA256SUMS)
if(NOT summed STREQUAL others)
  message(FATAL_ERROR "SHA256SUMS sums ${summed}, not ${others}")
endif()

# The fields a scanner reads. string(JSON) fails the test on bad JSON.
file(READ ${top}/uninstall-addin.spdx.json sbom)
function(expect_field want)
  string(JSON got ERROR_VARIABLE error GET "${sbom}" ${ARGN})
  if(error OR NOT got MATCHES "${want}")
    message(FATAL_ERROR "SBOM: ${ARGN} is \"${got}\" ${error}, not ${want}")
  endif()
endfunction()
expect_field("^SPDX-2\\.3$" spdxVersion)
expect_field("^CC0-1\\.0$" dataLicense)
expect_field("^SPDXRef-DOCUMENT$" SPDXID)
expect_field("^https://" documentNamespace)
expect_field("^[0-9-]+T[0-9:]+Z$" creationInfo created)
expect_field("^Tool: " creationInfo creators 0)
expect_field("^uninstall-addin$" packages 0 name)
expect_field("^${VERSION}$" packages 0 versionInfo)
expect_field("^MIT$" packages 0 licenseDeclared)
expect_field("^Copyright \\(c\\) [0-9]+ " packages 0 copyrightText)
execute_process(COMMAND git -C ${SOURCE_DIR} rev-parse HEAD OUTPUT_VARIABLE commit
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(commit)
  expect_field("commit ${commit}" packages 0 sourceInfo)
endif()
string(JSON count LENGTH "${sbom}" packages)
math(EXPR last "${count} - 1")
set(names "")
foreach(i RANGE 1 ${last})
  foreach(field SPDXID downloadLocation licenseConcluded licenseDeclared copyrightText)
    expect_field("." packages ${i} ${field})
  endforeach()
  # Each version as the build machine's packages report it: 10.0.0-3.
  expect_field("^[0-9]+:?[0-9.]+.*-" packages ${i} versionInfo)
  string(JSON name GET "${sbom}" packages ${i} name)
  list(APPEND names ${name})
endforeach()
foreach(component mingw-w64-crt winpthreads libstdc++ libgcc)
  if(NOT component IN_LIST names)
    message(FATAL_ERROR "SBOM: no ${component} among ${names}")
  endif()
endforeach()
expect_field("^DESCRIBES$" relationships 0 relationshipType)
message(STATUS "${zip}: ${expected}")
