# Run by cpack once it has put the release's files together and before it
# packs them: writes SHA256SUMS beside them, one line per file in the form
# sha256sum -c reads, so the sums are of the very bytes the zip holds
# (after a signing, too). Then it dates every file and folder to the last
# commit (SOURCE_DATE_EPOCH), where touch can, so that the zip holds no
# time of the build.
set(top ${CPACK_TEMPORARY_DIRECTORY})
file(GLOB_RECURSE files RELATIVE ${top} ${top}/*)
list(REMOVE_ITEM files SHA256SUMS)
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 ${top}/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
file(WRITE ${top}/SHA256SUMS "${sums}")

set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  execute_process(COMMAND git -C ${CPACK_UNINSTALL_ADDIN_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
find_program(TOUCH touch)
if(epoch MATCHES "^[0-9]+$" AND TOUCH)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true ${top}/*)
  execute_process(COMMAND ${TOUCH} -h -d @${epoch} ${top} ${entries})
endif()
