# What both MinGW-w64 toolchains share; the including file sets
# BONEPLAY_MINGW_TRIPLET first (i686-w64-mingw32 or x86_64-w64-mingw32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)  # Windows 7: the oldest the wide file calls and the runtime need

# The posix-threads variant of the compiler: GoogleTest needs std::mutex,
# which the win32-threads libstdc++ of GCC 12 lacks. Its threading library
# (winpthreads) is linked in statically like the rest of the runtime below.
foreach(lang C CXX)
  if(lang STREQUAL "C")
    set(tool gcc)
  else()
    set(tool g++)
  endif()
  find_program(BONEPLAY_MINGW_${lang} NAMES ${BONEPLAY_MINGW_TRIPLET}-${tool}-posix
               REQUIRED)
  set(CMAKE_${lang}_COMPILER ${BONEPLAY_MINGW_${lang}})
endforeach()
set(CMAKE_RC_COMPILER ${BONEPLAY_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW tree only; build tools (flex,
# bison) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${BONEPLAY_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthreads linked in: the module is one
# self-contained file and the test programs run without MinGW's runtime DLLs
# on the search path.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static")
endforeach()

# CTest runs the test programs under Wine (scripts/wine-run.sh keeps a Wine
# prefix of the build folder's own). BONEPLAY_WINE_LOADER is the Wine loader
# able to run this word size.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${BONEPLAY_WINE_LOADER})
