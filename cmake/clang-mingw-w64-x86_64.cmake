# Cross-compiling from Linux with Debian's clang for the MinGW-w64 target:
# the MinGW-w64 headers and import libraries, GCC's libstdc++ and libgcc
# (posix-thread flavour, as in the GCC build), lld as the linker and
# llvm-windres for resources. Test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSROOT /usr/${MINGW_TRIPLE})

# clang can't find GCC's folder by itself: its name ("12-posix") is no
# version number clang recognises. Take the newest posix one.
file(GLOB MINGW_GCC_DIRS LIST_DIRECTORIES true /usr/lib/gcc/${MINGW_TRIPLE}/*-posix)
list(SORT MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET MINGW_GCC_DIRS 0 MINGW_GCC_DIR)
if(NOT IS_DIRECTORY "${MINGW_GCC_DIR}/include/c++")
  message(FATAL_ERROR "No posix-thread MinGW-w64 GCC under /usr/lib/gcc/${MINGW_TRIPLE} (g++-mingw-w64-x86-64-posix)")
endif()

set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_TRIPLE})
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${MINGW_GCC_DIR}/include/c++ -isystem ${MINGW_GCC_DIR}/include/c++/${MINGW_TRIPLE}")
# The host's ld knows no PE; lld does, in MinGW mode, and it resolves
# symbols across archives whatever their order, so the thread library
# libstdc++ needs can go anywhere on the line.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${MINGW_GCC_DIR} -lpthread")
# DLLs (the tests build one) link the same way.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")

find_program(MINGW_WINDRES NAMES llvm-windres ${MINGW_TRIPLE}-windres
             PATHS /usr/lib/llvm-14/bin /usr/lib/llvm-15/bin /usr/lib/llvm-16/bin)
set(CMAKE_RC_COMPILER ${MINGW_WINDRES})
set(CMAKE_RC_FLAGS_INIT "--target=pe-x86-64")

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
