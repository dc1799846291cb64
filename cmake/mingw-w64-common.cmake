# What both cross toolchains share: where the MinGW-w64 headers and
# libraries are, and Wine to run the test programs.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

find_program(WINE64_LOADER NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT WINE64_LOADER)
  find_program(WINE64_LOADER NAMES wine64 wine)
endif()
if(WINE64_LOADER)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64_LOADER})
endif()
