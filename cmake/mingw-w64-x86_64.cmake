# Cross-build for 64-bit Windows with MinGW-w64: the same sources and tests
# as the 32-bit build, for machines that cannot execute 32-bit x86 code (and
# so cannot run 32-bit Wine). The shipped module is the 32-bit one.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BONEPLAY_MINGW_TRIPLET x86_64-w64-mingw32)
# Debian keeps the 64-bit loader out of PATH (its wine script prefers wine32).
find_program(BONEPLAY_WINE_LOADER NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH
             DOC "The Wine loader that runs the test programs")
if(NOT BONEPLAY_WINE_LOADER)
  set(BONEPLAY_WINE_LOADER wine64 CACHE FILEPATH "The Wine loader that runs the test programs" FORCE)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
