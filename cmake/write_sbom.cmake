# Writes the program's bill of materials (SPDX 2.3, JSON) at build time:
# the program with its version and source commit, the compiler that built
# it, and the runtime libraries linked into it, each at the version the
# build machine's packages report. No wall-clock time goes in: the date is
# the last commit's (SOURCE_DATE_EPOCH), so two builds of one commit write
# the same file.
#
# cmake -DOUT=<file> -DSOURCE_DIR=<dir> -DNAME=<name> -DVERSION=<version>
#       -DCOMPILER=<path of the C++ compiler> -DCOMPILER_ID=<GNU|Clang>
#       -DCXX_RUNTIME=<libstdc++|libc++> -DLICENSE=<SPDX id> -DCOPYRIGHT=<line>
#       -P write_sbom.cmake

# Output of a command, or "" when it fails or is missing.
function(command_output var)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    set(out "")
  endif()
  set(${var} "${out}" PARENT_SCOPE)
endfunction()

# A Debian package's version as dpkg reports it, or NOASSERTION.
function(package_version var package)
  command_output(version dpkg-query -W -f=\${Version} ${package})
  if(version STREQUAL "")
    set(version NOASSERTION)
  endif()
  set(${var} "${version}" PARENT_SCOPE)
endfunction()

# The commit and its date. A tree without git (a source archive) has no
# commit to name; SOURCE_DATE_EPOCH, when set, stands for its date.
command_output(commit git -C ${SOURCE_DIR} rev-parse HEAD)
command_output(dirty git -C ${SOURCE_DIR} status --porcelain --untracked-files=no)
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  command_output(epoch git -C ${SOURCE_DIR} log -1 --format=%ct)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  set(epoch 0)
endif()
set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP created "%Y-%m-%dT%H:%M:%SZ" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

if(commit STREQUAL "")
  set(source_info "built from a source tree without git: no commit")
  set(commit_id nocommit)
else()
  set(source_info "built from commit ${commit}")
  if(NOT dirty STREQUAL "")
    string(APPEND source_info ", with uncommitted changes")
  endif()
  set(commit_id ${commit})
endif()

# The compiler, by the package that holds it.
file(REAL_PATH "${COMPILER}" compiler_file)
command_output(owner dpkg-query -S ${compiler_file})
string(REGEX REPLACE ":.*" "" compiler_package "${owner}")
if(compiler_package STREQUAL "")
  set(compiler_package "${COMPILER_ID}")
  set(compiler_package_version NOASSERTION)
else()
  package_version(compiler_package_version ${compiler_package})
endif()
set(compiler_text "${COMPILER_ID} (${compiler_package} ${compiler_package_version})")

# What is linked into the image, each as: id|name|package|license|summary.
set(components
  "mingw-w64-crt|mingw-w64-crt|mingw-w64-x86-64-dev|ZPL-2.1|MinGW-w64 C runtime start-up and import libraries"
  "winpthreads|winpthreads|mingw-w64-x86-64-dev|MIT AND BSD-3-Clause|MinGW-w64 POSIX threads library")
if(CXX_RUNTIME STREQUAL "libc++")
  list(APPEND components
    "libcxx|libc++|NOASSERTION|Apache-2.0 WITH LLVM-exception|LLVM C++ standard library"
    "libunwind|libunwind|NOASSERTION|Apache-2.0 WITH LLVM-exception|LLVM unwinder")
else()
  list(APPEND components
    "libstdcxx|libstdc++|g++-mingw-w64-x86-64-posix|GPL-3.0-or-later WITH GCC-exception-3.1|GNU C++ standard library"
    "libgcc|libgcc|gcc-mingw-w64-x86-64-posix|GPL-3.0-or-later WITH GCC-exception-3.1|GCC low-level runtime library")
endif()

set(program_id SPDXRef-Package-${NAME})
string(CONCAT json
  "{\n"
  "  \"spdxVersion\": \"SPDX-2.3\",\n"
  "  \"dataLicense\": \"CC0-1.0\",\n"
  "  \"SPDXID\": \"SPDXRef-DOCUMENT\",\n"
  "  \"name\": \"${NAME}-${VERSION}\",\n"
  "  \"documentNamespace\": \"https://spdx.org/spdxdocs/${NAME}-${VERSION}-${commit_id}-${COMPILER_ID}\",\n"
  "  \"creationInfo\": {\n"
  "    \"created\": \"${created}\",\n"
  "    \"creators\": [\"Tool: ${NAME}-write_sbom.cmake\"]\n"
  "  },\n"
  "  \"documentDescribes\": [\"${program_id}\"],\n"
  "  \"packages\": [\n"
  "    {\n"
  "      \"name\": \"${NAME}\",\n"
  "      \"SPDXID\": \"${program_id}\",\n"
  "      \"versionInfo\": \"${VERSION}\",\n"
  "      \"sourceInfo\": \"${source_info}\",\n"
  "      \"downloadLocation\": \"NOASSERTION\",\n"
  "      \"filesAnalyzed\": false,\n"
  "      \"licenseConcluded\": \"${LICENSE}\",\n"
  "      \"licenseDeclared\": \"${LICENSE}\",\n"
  "      \"copyrightText\": \"${COPYRIGHT}\",\n"
  "      \"primaryPackagePurpose\": \"APPLICATION\",\n"
  "      \"comment\": \"uninstall-addin.exe, compiled by ${compiler_text}\"\n"
  "    },\n"
  "    {\n"
  "      \"name\": \"${compiler_package}\",\n"
  "      \"SPDXID\": \"SPDXRef-Package-compiler\",\n"
  "      \"versionInfo\": \"${compiler_package_version}\",\n"
  "      \"downloadLocation\": \"NOASSERTION\",\n"
  "      \"filesAnalyzed\": false,\n"
  "      \"licenseConcluded\": \"NOASSERTION\",\n"
  "      \"licenseDeclared\": \"NOASSERTION\",\n"
  "      \"copyrightText\": \"NOASSERTION\",\n"
  "      \"primaryPackagePurpose\": \"OTHER\",\n"
  "      \"comment\": \"the compiler: ${compiler_text}\"\n"
  "    }")
string(CONCAT relationships
  "    {\"spdxElementId\": \"SPDXRef-DOCUMENT\", \"relationshipType\": \"DESCRIBES\", \"relatedSpdxElement\": \"${program_id}\"},\n"
  "    {\"spdxElementId\": \"SPDXRef-Package-compiler\", \"relationshipType\": \"BUILD_TOOL_OF\", \"relatedSpdxElement\": \"${program_id}\"}")
foreach(component IN LISTS components)
  string(REPLACE "|" ";" fields "${component}")
  list(GET fields 0 id)
  list(GET fields 1 name)
  list(GET fields 2 package)
  list(GET fields 3 license)
  list(GET fields 4 summary)
  if(package STREQUAL "NOASSERTION")
    set(version NOASSERTION)
    set(from "")
  else()
    package_version(version ${package})
    set(from ", from the Debian package ${package}")
  endif()
  string(APPEND json ",\n"
    "    {\n"
    "      \"name\": \"${name}\",\n"
    "      \"SPDXID\": \"SPDXRef-Package-${id}\",\n"
    "      \"versionInfo\": \"${version}\",\n"
    "      \"downloadLocation\": \"NOASSERTION\",\n"
    "      \"filesAnalyzed\": false,\n"
    "      \"licenseConcluded\": \"NOASSERTION\",\n"
    "      \"licenseDeclared\": \"${license}\",\n"
    "      \"copyrightText\": \"NOASSERTION\",\n"
    "      \"primaryPackagePurpose\": \"LIBRARY\",\n"
    "      \"summary\": \"${summary}\",\n"
    "      \"comment\": \"linked statically${from}; the program compiled by ${compiler_text}\"\n"
    "    }")
  string(APPEND relationships ",\n"
    "    {\"spdxElementId\": \"${program_id}\", \"relationshipType\": \"STATIC_LINK\", \"relatedSpdxElement\": \"SPDXRef-Package-${id}\"}")
endforeach()
string(APPEND json "\n  ],\n  \"relationships\": [\n${relationships}\n  ]\n}\n")

# Written only when it changed, so that nothing that packs it is redone.
set(old "")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
if(NOT old STREQUAL json)
  file(WRITE ${OUT} "${json}")
endif()
