# Run by cpack once it has put the release's files together and before it
# packs them: writes SHA256SUMS beside them, one line per file in the form
# sha256sum -c reads, so the sums are of the very bytes the zip holds
# (after a signing, too).
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
message(STATUS "SHA256SUMS: ${files}")
